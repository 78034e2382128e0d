// The WASI layer: the system calls the program makes, answered by a host, one
// layer for the page and for Node. The host owns the bytes; this layer moves
// them, standard output in pieces of OUTPUT_PIECE.

import { Bytes } from './bytes.mjs';

// The program blocks on std::cin between prompts, and JavaScript cannot block.
// The module is built with binaryen's asyncify pass for fd_read, fd_write and
// fd_close: when the host answers one of them with a Promise, the call unwinds
// the module's stack into memory and returns to run(), which waits for the
// Promise and then rewinds the stack into the same call, which finishes with
// the answer. The arithmetic never leaves the module.
const WASI_ESUCCESS = 0;
const WASI_EBADF = 8;
const WASI_ESPIPE = 70;
const WASI_FILETYPE_CHARACTER_DEVICE = 2;

// asyncify_get_state() while the stack unwinds
const UNWINDING = 1;

// The build keeps memory below the program's data (its __global_base) free
// for the unwound stack; its header sits at the first aligned address past 0.
const ASYNCIFY_HEADER = 16;

// Standard output goes to the host in pieces of up to this many bytes, as a
// pipe carries what a program writes, not a call for every line: a long run
// writes millions of lines, and a call out of the module for each cost the
// page as much as the program's own formatting of them.
const OUTPUT_PIECE = 16384;

// What a host's Promise rejects with when a person stops the run: the run
// ends, and whoever started it says "stopped", not that it failed.
export class Stopped extends Error {
  constructor() {
    super('stopped');
  }
}

// proc_exit's way out of the module, which has no other.
class Exit extends Error {
  constructor(status) {
    super(`exit status ${status}`);
    this.status = status;
  }
}

// Runs a compiled module (a WebAssembly.Module) from its _start to its end and resolves to the exit status.
// host.read(max): the next bytes of standard input, at most max of them, as a
//   Uint8Array (empty at the end of input), or a WASI errno, or a Promise of
//   either.
// host.write(fd, bytes): writes all of bytes to fd 1 or 2; a WASI errno (0 on
//   success) or a Promise of one. bytes are good only until the call returns:
//   a host that keeps them copies them. Standard output comes in pieces of
//   whole writes, each handed over once OUTPUT_PIECE bytes are held, and
//   whatever is held before the program reads, writes to standard error,
//   closes or ends; an errno for a piece is the answer to the write that
//   handed it over, or else to the next write to standard output or close.
// host.close(fd): a WASI errno.
// A Promise that rejects ends the run: run() rejects with its reason.
export async function run(module, host) {
  let exports;
  let buffer = null;  // the module's memory, and views of it as bytes and as words
  let bytes = null;
  let words = null;
  let rewinding = false;
  let answer;  // the settled Promise of the call being rewound
  let waitingFor = null;

  // The views are made anew whenever the memory has grown.
  const memory = () => {
    if (buffer !== exports.memory.buffer) {
      buffer = exports.memory.buffer;
      bytes = new Uint8Array(buffer);
      words = new DataView(buffer);
    }
  };

  // A WASI iovec list: the address and the length of piece i, and all the
  // pieces' length.
  const address = (list, i) => words.getUint32(list + 8 * i, true);
  const length = (list, i) => words.getUint32(list + 8 * i + 4, true);
  const totalLength = (list, count) => {
    let total = 0;
    for (let i = 0; i < count; i++) total += length(list, i);
    return total;
  };

  // Standard output held for the host, and the errno of a piece it failed
  // to take that no call has answered yet.
  const held = new Bytes(2 * OUTPUT_PIECE);
  let heldError = WASI_ESUCCESS;

  // Appends what an iovec list points at to `into`, a Bytes.
  const collect = (into, list, count) => {
    for (let i = 0; i < count; i++) into.appendFrom(bytes, address(list, i), address(list, i) + length(list, i));
    return into;
  };

  // Hands what is held to the host: its answer, an errno or a Promise of one.
  const handOver = () => {
    if (held.length === 0) return WASI_ESUCCESS;
    const answer = host.write(1, held.view());
    held.clear();
    return answer;
  };

  // Hands over what is held before `next()`, whose answer this is; an errno
  // on the way is kept for the next write or close of standard output.
  const afterHandingOver = (next) => {
    const keep = (errno) => {
      heldError ||= errno;
      return next();
    };
    const answer = handOver();
    return answer instanceof Promise ? answer.then(keep) : keep(answer);
  };

  const write = (fd, list, count) => {
    if (fd === 2) {
      const piece = collect(new Bytes(totalLength(list, count)), list, count).view();
      return afterHandingOver(() => host.write(2, piece));
    }
    if (fd !== 1) return WASI_EBADF;
    if (heldError) return heldError;
    collect(held, list, count);
    return held.length >= OUTPUT_PIECE ? handOver() : WASI_ESUCCESS;
  };

  // A call whose answer may come later: ask(fd, list, count) asks the host,
  // and finish(answer, fd, list, count, resultAddress) completes the call,
  // now or once rewound.
  const mayWait = (ask, finish) => (fd, list, count, resultAddress) => {
    memory();
    let value;
    if (rewinding) {
      rewinding = false;
      exports.asyncify_stop_rewind();
      value = answer;
      answer = undefined;
    } else {
      value = ask(fd, list, count);
      if (value instanceof Promise) {
        waitingFor = value;
        words.setUint32(ASYNCIFY_HEADER, ASYNCIFY_HEADER + 8, true);
        words.setUint32(ASYNCIFY_HEADER + 4, exports.__global_base.value, true);
        exports.asyncify_start_unwind(ASYNCIFY_HEADER);
        return 0;  // unused: the stack is unwinding
      }
    }
    memory();  // the host's answer may have come after the memory grew
    return finish(value, fd, list, count, resultAddress);
  };

  const standardStream = (fd) => fd >= 0 && fd <= 2;

  const imports = {
    wasi_snapshot_preview1: {
      fd_read: mayWait(
        (fd, list, count) => (fd === 0 ? afterHandingOver(() => host.read(totalLength(list, count))) : WASI_EBADF),
        (input, fd, list, count, readAddress) => {
          if (typeof input === 'number') return input;
          let done = 0;
          for (let i = 0; i < count; i++) {
            const piece = input.subarray(done, done + length(list, i));
            bytes.set(piece, address(list, i));
            done += piece.length;
          }
          words.setUint32(readAddress, done, true);
          return WASI_ESUCCESS;
        }),

      fd_write: mayWait(
        write,
        (errno, fd, list, count, writtenAddress) => {
          if (errno !== WASI_ESUCCESS) return errno;
          words.setUint32(writtenAddress, totalLength(list, count), true);
          return WASI_ESUCCESS;
        }),

      // Closing standard output hands over what is held first, and answers
      // for it.
      fd_close: mayWait(
        (fd) => {
          if (!standardStream(fd)) return WASI_EBADF;
          if (fd !== 1) return host.close(fd);
          return afterHandingOver(() => heldError || host.close(fd));
        },
        (errno) => errno),

      // The three standard streams are terminals: not seekable, so the C
      // library never tries to seek back over input it has read ahead.
      fd_fdstat_get: (fd, stat) => {
        if (!standardStream(fd)) return WASI_EBADF;
        memory();
        words.setUint8(stat, WASI_FILETYPE_CHARACTER_DEVICE);
        words.setUint16(stat + 2, 0, true);
        const seekAndTell = (1n << 2n) | (1n << 5n);
        words.setBigUint64(stat + 8, ~seekAndTell & 0x1fffffffn, true);
        words.setBigUint64(stat + 16, 0n, true);
        return WASI_ESUCCESS;
      },
      fd_seek: () => WASI_ESPIPE,

      // No environment.
      environ_sizes_get: (countAddress, sizeAddress) => {
        memory();
        words.setUint32(countAddress, 0, true);
        words.setUint32(sizeAddress, 0, true);
        return WASI_ESUCCESS;
      },
      environ_get: () => WASI_ESUCCESS,

      proc_exit: (status) => {
        throw new Exit(status);
      },
    },
  };

  ({ exports } = await WebAssembly.instantiate(module, imports));
  // The module is a reactor: its constructors first, then main(), which
  // returns the exit status. Rewinding calls main() again and re-enters the
  // call that waited.
  exports._initialize();
  try {
    let status = exports.__main_void();
    while (exports.asyncify_get_state() === UNWINDING) {
      exports.asyncify_stop_unwind();
      answer = await waitingFor;
      waitingFor = null;
      rewinding = true;
      exports.asyncify_start_rewind(ASYNCIFY_HEADER);
      status = exports.__main_void();
    }
    return status;
  } catch (error) {
    if (error instanceof Exit) return error.status;
    throw error;
  } finally {
    // A program that ends without closing its standard output still shows
    // all it wrote.
    await handOver();
  }
}

// An instance of the module that never runs main(), for the page's questions
// (web/module/program.mjs). It makes no system call but to grow its heap; one that
// it did make would be a fault, and fails.
export async function instance(module) {
  const refuse = () => {
    throw new Error('the page asked the program for something that reads or writes');
  };
  const calls = WebAssembly.Module.imports(module).map(({ name }) => [name, refuse]);
  const { exports } = await WebAssembly.instantiate(module, {
    wasi_snapshot_preview1: Object.fromEntries(calls),
  });
  exports._initialize();
  return exports;
}
