"""The facts that the page's tests state about the last bits,
worked out apart from the program: the damped step in Python's own floats
(IEEE doubles, each operation rounded once) with the C library's pow (on
the path CTest picks, the one the page's module rounds as), each
double's place on the number line from its bit pattern, its shortest text
from repr() and its %a from float.hex(). Prints each fact it confirms."""
import ctypes
import ctypes.util
import math
import struct
import sys
from fractions import Fraction


def step(x, damping):
    fx = (math.pow(x, 3.0) - (x + x)) + 2.0
    dfx = math.pow(x, 2.0) * 3.0 - 2.0
    return x - (fx / dfx) * damping


def products_step(x, damping):
    """The step with the cube and the square as products, as Windows' pow forms them."""
    square = x * x
    fx = (square * x - (x + x)) + 2.0
    dfx = square * 3.0 - 2.0
    return x - (fx / dfx) * damping


def fma(a, b, c):
    """a · b + c rounded once: exact in fractions, then to the nearest double."""
    return float(Fraction(a) * Fraction(b) + Fraction(c))


def fused_step(x, damping):
    """The step with every multiply and add that GCC may fuse fused."""
    fx = fma(-2.0, x, math.pow(x, 3.0)) + 2.0
    dfx = fma(math.pow(x, 2.0), 3.0, -2.0)
    return fma(fx / dfx, -damping, x)


libm = ctypes.CDLL(ctypes.util.find_library('m'))
libm.powf.restype = ctypes.c_float
libm.powf.argtypes = [ctypes.c_float, ctypes.c_float]


def single(x):
    """x rounded to float: a double operation on floats, so rounded, is the float operation."""
    return struct.unpack('<f', struct.pack('<f', x))[0]


def single_step(x, damping):
    """The step in float throughout, with the C library's powf."""
    x, damping = single(x), single(damping)
    fx = single(single(single(libm.powf(x, 3.0)) - single(x + x)) + 2.0)
    dfx = single(single(single(libm.powf(x, 2.0)) * 3.0) - 2.0)
    return single(x - single(single(fx / dfx) * damping))


def two_digits(x):
    """x to two significant digits, as a sentence gives it: 0.41, 9.0e-17."""
    text = f'{x:.1e}'
    exponent = int(text[text.index('e') + 1:])
    if -3 <= exponent <= 1:
        return f'{x:.{1 - exponent}f}'
    return f'{text[:text.index("e")]}e{exponent:+d}'


def gaps(x, damping):
    """The damped step from x, and the gap to x's neighbour on the side it goes."""
    fx = (math.pow(x, 3.0) - (x + x)) + 2.0
    dfx = math.pow(x, 2.0) * 3.0 - 2.0
    step = (fx / dfx) * damping
    gap = abs(math.nextafter(x, -math.inf if step > 0 else math.inf) - x)
    return fx, step, gap


def tolerance_stop(start, damping, limit, tolerance=1.48e-8):
    """The run at which a step of at most `tolerance` stops the runs, and where."""
    x = start
    for runs in range(limit):
        following = step(x, damping)
        moved = abs(following - x)
        x = following
        if moved <= tolerance:
            return runs + 1, x
    return 0, x


def run(start, damping, limit, step=step):
    """The iterates, the start first, and the count on the Done line or 0."""
    iterates = [start]
    for runs in range(limit):
        candidate = step(iterates[-1], damping)
        if candidate == iterates[-1]:
            return iterates, runs + 1
        iterates.append(candidate)
    return iterates, 0


def place(x):
    bits = struct.unpack('<q', struct.pack('<d', x))[0]
    return bits if bits >= 0 else -(bits & 0x7FFFFFFFFFFFFFFF)


def moved(iterates, k):
    """Run k's move in ulps, signed; the run after the last iterate moves none."""
    if k >= len(iterates):
        return '0'
    ulps = place(iterates[k]) - place(iterates[k - 1])
    return f'{ulps:+d}' if ulps else '0'


failed = 0


def fact(what, found, stated):
    global failed
    print(('holds: ' if found == stated else 'FAILS: ') + what + f': {found!r}')
    failed += found != stated


built, done = run(0.0, 0.5, 500)
fact('the built-in run is done after', done, 63)
fact("runs 59 to 63 move it", [moved(built, k) for k in range(59, 64)], ['-9', '-4', '-3', '-1', '0'])
fact('run 13 lands on', (repr(built[13]), built[13].hex()), ('-1.2994965211676668', '-0x1.4cabcdd3ae4f8p+0'))
fact('run 13 starts from', (repr(built[12]), built[12].hex()), ('0.8587125427502232', '0x1.b7a92b9f8dee9p-1'))
fact('run 13 moves it', moved(built, 13), '-9214441045741519841')

crept, done = run(-3.0, 0.25, 500)
fact('start -3, λ 0.25 is done after', done, 129)
fact('its runs 125 to 129 move it', [moved(crept, k) for k in range(125, 130)], ['+1', '+1', '+1', '+1', '0'])
fact('its run 10 moves it', moved(crept, 10), '+194875445265595')

cycle, done = run(-2.0, 1.7, 500)
first = next(k for k in range(len(cycle) - 2) if cycle[k] == cycle[k + 2] and cycle[k] != cycle[k + 1])
fact('start -2, λ 1.7 goes round two doubles from run', first, 93)
fact('they are', [cycle[93].hex(), cycle[94].hex()], ['-0x1.c4f057fe848c6p+0', '-0x1.c4f057fe848cap+0'])
fact('4 ulps apart', abs(place(cycle[94]) - place(cycle[93])), 4)
fact('and no Done line comes', done, 0)

undamped, _ = run(0.0, 1.0, 10)
fact('undamped from 0: 1 is this many ulps from 0', place(undamped[1]), 4607182418800017408)

overshoot, _ = run(-2.0, 1.0, 10)
fact('from -2 undamped, run 1 lands on', (repr(overshoot[1]), overshoot[1].hex(), moved(overshoot, 1)),
     ('-1.8', '-0x1.ccccccccccccdp+0', '+900719925474099'))

multiplied, done = run(0.0, 0.5, 500, products_step)
fact('with the cube and square as products the built-in run is done after', done, 64)
parts = next(k for k in range(1, len(built)) if multiplied[k] != built[k])
fact('and parts from the program at run', parts, 7)
fact('landing on, for the program\'s', [multiplied[7].hex(), built[7].hex()],
     ['0x1.fb141c93ee94ep-1', '0x1.fb141c93ee94fp-1'])

# Why a run stops: the step in gaps to the neighbouring double.
fx, last_step, gap = gaps(built[-1], 0.5)
fact("the built-in run's run 63: f(x), its step, the gap below, the step in gaps",
     [two_digits(fx), two_digits(last_step), two_digits(gap), two_digits(last_step / gap), last_step > 0],
     ['1.3e-15', '9.0e-17', '2.2e-16', '0.41', True])
fact("the built-in run's runs 59 to 63, the step in gaps",
     [two_digits(abs(gaps(x, 0.5)[1]) / gaps(x, 0.5)[2]) for x in built[58:63]], ['8.9', '4.5', '2.6', '1.1', '0.41'])
fx, last_step, gap = gaps(crept[-1], 0.25)
fact('-3, λ 0.25: run 129, its step, the gap above, the step in gaps',
     [two_digits(last_step), two_digits(gap), two_digits(abs(last_step) / gap)], ['-4.5e-17', '2.2e-16', '0.20'])
fx, first_step, gap = gaps(-2.0, 1.0)
fact('from -2 undamped, run 1 steps up into the binade below 2: its gap is 2^-52, and the step in gaps',
     [gap == 2 ** -52, two_digits(abs(first_step) / gap)], [True, '9.0e+14'])
fact('the last lines that read as -1.76929', sum(1 for x in built if f'{x:.6g}' == '-1.76929'), 35)
fact('at the two doubles of -2, λ 1.7: f(x), and the step in gaps',
     [(two_digits(gaps(x, 1.7)[0]), two_digits(abs(gaps(x, 1.7)[1]) / gaps(x, 1.7)[2])) for x in cycle[93:95]],
     [('3.6e-15', '3.7'), ('-3.6e-15', '3.7')])
fact('at 0 and 1, λ 1: f(x)', [two_digits(gaps(x, 1.0)[0]) for x in (0.0, 1.0)], ['2.0', '1.0'])

# A step of exactly half a gap is a tie, which rounds to the even neighbour.
fx, tie, gap = gaps(1.0, 5.551115123125783e-17)
fact('from 1 with λ 2^-54: a step of half the gap below, which rounds back to 1',
     [tie / gap, 1.0 - tie, run(1.0, 5.551115123125783e-17, 500)[1]], [0.5, 1.0, 1])
odd = 1.0000000000000002
fx, tie, gap = gaps(odd, 1.1102230246251578e-16)
fact('from 1 + 2^-52: half the gap below, which rounds down to 1, the even one',
     [tie / gap, odd - tie], [0.5, 1.0])

# The pace: near the root a run leaves |1 - λ| of the error.
fact('from -3: λ 0.25, 0.5 and 1 are done after', [run(-3.0, lam, 500)[1] for lam in (0.25, 0.5, 1.0)], [129, 55, 7])
fact('|1 - λ| for λ 0.25 and 1.5', [two_digits(abs(1 - 0.25)), two_digits(abs(1 - 1.5))], ['0.75', '0.50'])
over, done = run(-2.0, 1.5, 500)
signs = [moved(over, k)[0] for k in range(len(over) - 20, len(over))]
fact('-2, λ 1.5 is done after, and its last 20 runs go up and down', [done, signs.count('+'), signs.count('-')],
     [51, 10, 10])

# What a tolerance of 1.48e-8 on the step would have done.
for start, damping, stated in (
        (0.0, 0.5, (37, '-1.7692923459934788', '-1.7692923542386312', '8.2e-9', '0.56', '1.0')),
        (-3.0, 0.25, (63, '-1.7692923962149711', '-1.7692923542386316', '4.2e-8', '2.8', '3.0')),
        (0.0, 0.1, (151, '-1.76929222992446', '-1.7692923542386305', '1.2e-7', '8.4', '9.0'))):
    stop, where = tolerance_stop(start, damping, 500)
    exact = run(start, damping, 500)[0][-1]
    distance = abs(where - exact)
    fact(f'from {start}, λ {damping}: the tolerance stops at, there, the exact stop ends at, the distance, '
         'over the tolerance, (1 - λ)/λ',
         (stop, repr(where), repr(exact), two_digits(distance), two_digits(distance / 1.48e-8),
          two_digits((1 - damping) / damping)), stated)

# Why the limit comes first, in four rows of the whole map (starts -4 to 4 by
# 0.025, limit 500): as the last 64 iterates show it, a cycle of doubles
# within 2^20 ulps is one by the root.
def limit_reason(start, damping):
    iterates, done = run(start, damping, 500)
    last = iterates[-1]
    if done:
        return 'Done'
    if not math.isfinite(last):
        return 'inf/NaN'
    recent = iterates[-64:]
    for p in range(1, len(recent)):
        if struct.pack('<d', recent[-1 - p]) == struct.pack('<d', last):
            cycle = recent[-p:]
            span = place(max(cycle)) - place(min(cycle))
            return f'by the root, {span} ulps' if span <= 2 ** 20 else 'wider cycle'
    return 'still moving'


for damping, stated in ((0.1, {'Done': 233, 'still moving': 88}), (1.0, {'Done': 259, 'wider cycle': 62}),
                        (1.7, {'by the root, 4 ulps': 321}), (2.0, {'still moving': 321})):
    reasons = {}
    for i in range(321):
        reason = limit_reason((-4000 + 25 * i) / 1000, damping)
        reasons[reason] = reasons.get(reason, 0) + 1
    fact(f'the map\'s row λ {damping}: why its cells end', reasons, stated)

# What students who build the program on Windows see, whose pow multiplies.
fact('with products, -2, λ 1.7 is done after', run(-2.0, 1.7, 500, products_step)[1], 96)

# Other roundings of the built-in run.
fact('the built-in run fused, and in single precision, is done after',
     [run(0.0, 0.5, 500, fused_step)[1], run(0.0, 0.5, 500, single_step)[1]], [63, 34])

sys.exit(1 if failed else 0)
