// The page's turn: nextTurn(then) calls `then` once the browser has handled
// what was waiting (keys, clicks, a frame), by a message to itself, not a
// timer: a timer set from a timer waits at least 4 ms, at every slice.

// A message may still come before a frame: Firefox, while a page loads, puts
// its frames behind the page's own messages, and a long link's replay then went
// seconds with a frame only every tenth of a second, while a click waited for
// the screen to settle. So once no frame has come for STARVED_MS, the next
// turn waits for one (or, in a tab in the background, which has none, a moment).
const STARVED_MS = 50;
const HIDDEN_MS = 50;

let channel = null;
const waiting = [];
let lastFrame = 0;
let watching = false;

function watchFrames() {
  if (watching) return;
  watching = true;
  requestAnimationFrame(() => {
    watching = false;
    lastFrame = performance.now();
  });
}

export function nextTurn(then) {
  if (!channel) {
    channel = new MessageChannel();
    channel.port1.onmessage = () => waiting.shift()();
    lastFrame = performance.now();
  }
  waiting.push(then);
  const post = () => channel.port2.postMessage(null);
  watchFrames();
  if (performance.now() - lastFrame < STARVED_MS) {
    post();
    return;
  }
  let posted = false;
  const once = () => {
    if (posted) return;
    posted = true;
    lastFrame = performance.now();
    post();
  };
  requestAnimationFrame(once);
  setTimeout(once, document.hidden ? 0 : HIDDEN_MS);
}
