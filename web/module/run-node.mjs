// The module as a process under Node, through the page's WASI layer: standard
// input, output and error are this process's, and its exit status the program's.
// Usage: node web/module/run-node.mjs web/damped-newton.wasm
import { readFileSync, read, writeSync, closeSync } from 'node:fs';
import { run } from './wasi.mjs';

// Node's error codes as WASI's errno numbers, for the program's strerror.
const WASI_ERRNO = {
  EACCES: 2, EAGAIN: 6, EBADF: 8, ECONNRESET: 15, EDQUOT: 19, EFBIG: 22,
  EINTR: 27, EINVAL: 28, EIO: 29, ENOSPC: 51, EPERM: 63, EPIPE: 64,
};
const errnoOf = (error) => WASI_ERRNO[error.code] ?? WASI_ERRNO.EIO;

// A descriptor that another process left non-blocking answers EAGAIN, where
// the program expects to wait.
const tryAgainSoon = (attempt) =>
  new Promise((resolve) => setTimeout(resolve, 5)).then(attempt);

const host = {
  // Waits for input without blocking Node: a pipe gives what has come, a
  // terminal one line.
  read(max) {
    const attempt = () => new Promise((resolve) => {
      const buffer = Buffer.alloc(max);
      read(0, buffer, 0, max, null, (error, count) => {
        if (error?.code === 'EAGAIN') resolve(tryAgainSoon(attempt));
        else resolve(error ? errnoOf(error) : buffer.subarray(0, count));
      });
    });
    return attempt();
  },

  write(fd, bytes) {
    let done = 0;
    const attempt = () => {
      try {
        while (done < bytes.length) done += writeSync(fd, bytes, done);
        return 0;
      } catch (error) {
        if (error.code !== 'EAGAIN') return errnoOf(error);
        // The bytes are the module's until this call returns.
        bytes = bytes.slice(done);
        done = 0;
        return tryAgainSoon(attempt);
      }
    };
    return attempt();
  },

  close(fd) {
    try {
      closeSync(fd);
      return 0;
    } catch (error) {
      return errnoOf(error);
    }
  },
};

const module = new WebAssembly.Module(readFileSync(process.argv[2]));
process.exitCode = await run(module, host);
