"""The facts that the page's tests state about the last bits,
worked out apart from the program: the damped step in Python's own floats
(IEEE doubles, each operation rounded once) with the C library's pow, each
double's place on the number line from its bit pattern, its shortest text
from repr() and its %a from float.hex(). Prints each fact it confirms."""
import math
import struct
import sys


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

sys.exit(1 if failed else 0)
