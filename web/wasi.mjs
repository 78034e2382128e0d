// The WASI layer: the system calls the program makes (read, write, close and
// the few that the C library makes at start), one layer for the page and for
// Node. A host answers them; it owns the bytes, this layer only moves them.
//
// The program blocks on std::cin between prompts, and JavaScript cannot block.
// The module is built with binaryen's asyncify pass for fd_read and fd_write:
// when the host answers one of them with a Promise, the call unwinds the
// module's stack into memory and returns to run(), which waits for the Promise
// and then rewinds the stack into the same call, which finishes with the
// answer. The arithmetic never leaves the module.

const WASI_ESUCCESS = 0;
const WASI_EBADF = 8;
const WASI_ESPIPE = 70;
const WASI_FILETYPE_CHARACTER_DEVICE = 2;

// asyncify_get_state()
const UNWINDING = 1;
const REWINDING = 2;

// The build keeps memory below the program's data (its __global_base) free
// for the unwound stack; its header sits at the first aligned address past 0.
const ASYNCIFY_HEADER = 16;

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
//   success) or a Promise of one. bytes is the host's own copy.
// host.close(fd): a WASI errno.
// A Promise that rejects ends the run: run() rejects with its reason.
export async function run(module, host) {
  let exports;
  let memoryBuffer = null;
  let memoryView = null;
  let answer;  // the settled Promise of the call being rewound
  let waitingFor = null;

  // The view is made anew whenever the memory has grown.
  const memory = () => {
    if (memoryBuffer !== exports.memory.buffer) {
      memoryBuffer = exports.memory.buffer;
      memoryView = new DataView(memoryBuffer);
    }
    return memoryView;
  };

  // A WASI iovec list as [address, length] pairs.
  const iovecs = (list, count) => {
    const view = memory();
    const pieces = [];
    for (let i = 0; i < count; i++) {
      pieces.push([view.getUint32(list + 8 * i, true), view.getUint32(list + 8 * i + 4, true)]);
    }
    return pieces;
  };
  const totalLength = (pieces) => pieces.reduce((sum, [, length]) => sum + length, 0);

  // A call whose answer may come later: ask(...args) asks the host, and
  // finish(answer, ...args) completes the call, now or once rewound.
  const mayWait = (ask, finish) => (...args) => {
    let value;
    if (exports.asyncify_get_state() === REWINDING) {
      exports.asyncify_stop_rewind();
      value = answer;
      answer = undefined;
    } else {
      value = ask(...args);
      if (value instanceof Promise) {
        waitingFor = value;
        const view = memory();
        view.setUint32(ASYNCIFY_HEADER, ASYNCIFY_HEADER + 8, true);
        view.setUint32(ASYNCIFY_HEADER + 4, exports.__global_base.value, true);
        exports.asyncify_start_unwind(ASYNCIFY_HEADER);
        return 0;  // unused: the stack is unwinding
      }
    }
    return finish(value, ...args);
  };

  const standardStream = (fd) => fd >= 0 && fd <= 2;

  const imports = {
    wasi_snapshot_preview1: {
      fd_read: mayWait(
        (fd, list, count) => {
          if (fd !== 0) return WASI_EBADF;
          const room = totalLength(iovecs(list, count));
          return host.read(room);
        },
        (bytes, fd, list, count, readAddress) => {
          if (typeof bytes === 'number') return bytes;
          const heap = new Uint8Array(memory().buffer);
          let done = 0;
          for (const [address, length] of iovecs(list, count)) {
            const piece = bytes.subarray(done, done + length);
            heap.set(piece, address);
            done += piece.length;
          }
          memory().setUint32(readAddress, done, true);
          return WASI_ESUCCESS;
        }),

      fd_write: mayWait(
        (fd, list, count) => {
          if (fd !== 1 && fd !== 2) return WASI_EBADF;
          const pieces = iovecs(list, count);
          const bytes = new Uint8Array(totalLength(pieces));
          let done = 0;
          for (const [address, length] of pieces) {
            bytes.set(new Uint8Array(memory().buffer, address, length), done);
            done += length;
          }
          return host.write(fd, bytes);
        },
        (errno, fd, list, count, writtenAddress) => {
          if (errno !== WASI_ESUCCESS) return errno;
          const total = totalLength(iovecs(list, count));
          memory().setUint32(writtenAddress, total, true);
          return WASI_ESUCCESS;
        }),

      fd_close: (fd) => (standardStream(fd) ? host.close(fd) : WASI_EBADF),

      // The three standard streams are terminals: not seekable, so the C
      // library never tries to seek back over input it has read ahead.
      fd_fdstat_get: (fd, address) => {
        if (!standardStream(fd)) return WASI_EBADF;
        const view = memory();
        view.setUint8(address, WASI_FILETYPE_CHARACTER_DEVICE);
        view.setUint16(address + 2, 0, true);
        const seekAndTell = (1n << 2n) | (1n << 5n);
        view.setBigUint64(address + 8, ~seekAndTell & 0x1fffffffn, true);
        view.setBigUint64(address + 16, 0n, true);
        return WASI_ESUCCESS;
      },
      fd_seek: () => WASI_ESPIPE,

      // No environment.
      environ_sizes_get: (countAddress, sizeAddress) => {
        memory().setUint32(countAddress, 0, true);
        memory().setUint32(sizeAddress, 0, true);
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
      exports.asyncify_start_rewind(ASYNCIFY_HEADER);
      status = exports.__main_void();
    }
    return status;
  } catch (error) {
    if (error instanceof Exit) return error.status;
    throw error;
  }
}

// An instance of the module that never runs main(), for the page's questions
// (web/program.mjs). It makes no system call but to grow its heap; one that
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
