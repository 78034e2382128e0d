// The console's program in a worker (runner.mjs): main() run by the WASI layer,
// its host the page's console, asked by message. One session at a time; a
// session the page stops ends at its next call, and the next begins then.
import { run, Stopped } from './wasi.mjs';

// Pieces of output the page may hold before the program waits for it to
// take one: enough that a page keeping up never makes it wait.
const IN_FLIGHT = 4;

let module = null;
let session = null;             // the session being made
let ended = Promise.resolve();  // once the session before has ended
let stoppedUpTo = 0;            // the latest session the page stopped

// Session `number`: the program's calls are asked of the page, and the call that
// waits is answered by its messages.
function start(number) {
  let waiting = null;  // { kind, resolve, reject } of the call that waits
  let inFlight = 0;
  let lost = 0;        // an errno for a piece already handed over
  const stopped = () => number <= stoppedUpTo;
  const wait = (kind) => (stopped() ? Promise.reject(new Stopped())
    : new Promise((resolve, reject) => { waiting = { kind, resolve, reject }; }));
  const answer = (kind, value) => {
    if (waiting?.kind !== kind) return;
    const { resolve } = waiting;
    waiting = null;
    resolve(value);
  };
  session = {
    number,
    answer: (value) => answer('answer', value),
    taken(errno) {
      inFlight--;
      lost ||= errno;
      answer('taken', lost);
    },
    stop: () => waiting?.reject(new Stopped()),
  };
  const host = {
    read(max) {
      postMessage({ session: number, read: max });
      return wait('answer');
    },
    write(fd, bytes) {
      if (stopped()) return Promise.reject(new Stopped());
      if (lost) return lost;
      const piece = bytes.slice();
      postMessage({ session: number, write: fd, bytes: piece }, [piece.buffer]);
      return ++inFlight < IN_FLIGHT ? 0 : wait('taken');
    },
    close(fd) {
      postMessage({ session: number, close: fd });
      return wait('answer');
    },
  };
  if (stopped()) return postMessage({ session: number, stopped: true });
  return run(module, host).then(
    (status) => postMessage({ session: number, exit: status }),
    (error) => postMessage({ session: number, ...(error instanceof Stopped ? { stopped: true } : { failed: error.message }) }),
  );
}

addEventListener('message', ({ data }) => {
  if (data.module) {
    module = data.module;
    postMessage({ ready: true });
  } else if (data.start) {
    ended = ended.then(() => start(data.start));
  } else if (data.stop) {
    stoppedUpTo = Math.max(stoppedUpTo, data.stop);
    if (session?.number <= stoppedUpTo) session.stop();
  } else if (data.to === session?.number) {
    if ('answer' in data) session.answer(data.answer);
    else session.taken(data.taken);
  }
});
