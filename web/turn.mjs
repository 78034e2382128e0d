// The page's turn: nextTurn(then) calls `then` once the browser has handled
// what was waiting (keys, clicks, a frame). A message to itself, not a timer:
// browsers make a timer set from a timer wait at least 4 ms, which a long
// run or a map would pay at every slice.
let channel = null;
const waiting = [];

export function nextTurn(then) {
  if (!channel) {
    channel = new MessageChannel();
    channel.port1.onmessage = () => waiting.shift()();
  }
  waiting.push(then);
  channel.port2.postMessage(null);
}
