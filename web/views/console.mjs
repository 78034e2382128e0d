// The console: a terminal for the program, and the WASI layer's host. It shows
// what the program writes, echoes what is typed, keeps typed lines until the
// program reads them, and keeps standard output for "Save screen".

import { Bytes } from '../module/bytes.mjs';
import { Stopped } from '../module/wasi.mjs';
import { nextTurn } from '../shared/turn.mjs';
import { Throttle } from '../shared/throttle.mjs';

// A session can print millions of lines, and a link or a paste can type as
// many. The screen keeps them in blocks the browser lays out only when seen,
// and lets the earliest go past MAX_BLOCKS, so that memory and the page's
// height stay bounded. A browser lays out a block new to the page once, even
// off screen, to see whether it is on screen: blocks that lines pour past are
// kept unseen until they come near the screen or the lines stop.
const LINES_PER_BLOCK = 1000;
const MAX_BLOCKS = 200;
// Blocks waiting for the next frame past this are laid out at once: a tab in
// the background gets no frames, and the program would keep writing.
const MAX_COMING = 50;
// The program yields to the page after this much time writing or reading, so
// that keys and clicks are answered during a long run or a long replay.
const SLICE_MS = 30;
// Unseen blocks laid out a frame, once the lines have stopped.
const REVEALED_PER_FRAME = 10;
// How often the program's lines are laid out while they pour in: a screen
// laid out costs most of a frame, and nobody reads sixty screens a second.
// What is typed is laid out at the next frame.
const RENDER_MS = 50;

const countLines = (text) => {
  let lines = 0;
  for (let at = text.indexOf('\n'); at !== -1; at = text.indexOf('\n', at + 1)) lines++;
  return lines;
};

// A block of lines: the text it shows, and the standard output among it as
// bytes, which "Save screen" gives as they were written. Output is decoded
// for the screen once a frame, not once a line.
class Block {
  constructor(decoder) {
    this.decoder = decoder;  // standard output's, which runs on across blocks
    this.text = '';          // not yet on the page
    this.lines = 0;
    this.outputLines = 0;    // of them, those the program ended
    this.output = new Bytes();
    this.decoded = 0;        // how much of output is in text
    this.element = null;     // once it is on the page, closed
  }

  // Takes bytes up to the line end that fills the block, or all of them;
  // returns how many it took.
  addOutput(bytes) {
    let taken = bytes.length;
    for (let at = bytes.indexOf(0x0a); at !== -1; at = bytes.indexOf(0x0a, at + 1)) {
      this.lines++;
      this.outputLines++;
      if (this.lines >= LINES_PER_BLOCK) {
        taken = at + 1;
        break;
      }
    }
    this.output.append(bytes.subarray(0, taken));
    return taken;
  }

  addText(text) {
    this.takeOutput();
    this.text += text;
    this.lines += countLines(text);
  }

  // The text not yet on the page, with the output that came since.
  takeOutput() {
    this.text += this.decoder.decode(this.output.view().subarray(this.decoded), { stream: true });
    this.decoded = this.output.length;
    return this.text;
  }

  takeText() {
    const text = this.takeOutput();
    this.text = '';
    return text;
  }

  outputBytes() {
    return this.output.view();
  }

  // A closed block gives back the room it will not use.
  close() {
    this.takeOutput();
    this.output.trim();
  }
}

export class Console {
  // screen: the element that shows the transcript; keys: a textarea that
  // takes what is typed (it brings up a phone's keyboard).
  constructor(screen, keys) {
    this.screen = screen;
    this.keys = keys;
    this.onChange = () => {};  // (console): its state or dropped count changed
    this.onInput = () => {};   // (text): a piece of text sent to the program; null at the end of input
    this.onOutput = () => {};  // (bytes): a write to standard output
    this.utf8 = new TextEncoder();
    this.sessions = 0;
    this.laying = new Throttle(RENDER_MS, (inFrame) => this.render(inFrame), { inFrame: true });
    keys.addEventListener('keydown', (event) => this.keyDown(event));
    keys.addEventListener('input', (event) => {
      if (!event.isComposing) this.input();
    });
    keys.addEventListener('compositionend', () => this.input());
    keys.addEventListener('paste', (event) => this.paste(event));
    screen.addEventListener('click', () => {
      if (!window.getSelection().toString()) this.focus();
    });
    // A block within a screen's height of the screen is seen.
    this.nearScreen = new IntersectionObserver((entries) => {
      for (const { isIntersecting, target } of entries) if (isIntersecting) this.reveal(target);
    }, { root: screen, rootMargin: '100% 0px' });
    // Until the first session starts, the program is still loading: a screen
    // that said "running" then had a Stop that could not be pressed.
    this.reset('loading');
  }

  focus() {
    this.keys.focus({ preventScroll: true });
  }

  // A fresh terminal for a fresh session, and the host its program talks to.
  // A session that was stopped, or replaced by a fresh one, can no longer reach the
  // screen: its calls are answered with Stopped.
  //
  // A session that takes over from one waiting for input (`continued`) keeps the
  // screen: it is given again all that the other read, and what it writes
  // up to where the other was is on screen already, and not shown twice.
  session({ continued = false } = {}) {
    if (continued) {
      this.reader = null;
      this.skipped = this.written;
      if (this.taken.length) this.lines.unshift(this.taken.view().slice());
      this.taken.clear();
    } else this.reset();
    const session = ++this.sessions;
    const current = () => session === this.sessions && !this.stopped;
    const stopped = () => Promise.reject(new Stopped());
    return {
      read: (max) => (current() ? this.read(max) : stopped()),
      write: (fd, bytes) => (current() ? this.write(fd, bytes) : stopped()),
      close: () => (current() ? 0 : stopped()),
    };
  }

  reset(state = 'running') {
    this.screen.replaceChildren();
    this.nearScreen.disconnect();
    this.blocks = [];         // closed, on the page
    this.unseen = [];         // of their elements, those not laid out yet, earliest first
    this.coming = [];         // closed since the last frame
    this.outputDecoder = new TextDecoder();
    this.errorDecoder = new TextDecoder();
    this.live = new Block(this.outputDecoder);  // being written, shown in the last element
    this.droppedLines = 0;
    // Of the program's own output: the lines dropped whole, and whether the
    // last dropped block ended inside a line.
    this.droppedOutput = { lines: 0, partly: false };
    this.written = 0;         // bytes of standard output
    this.skipped = 0;         // bytes of it a session that took over writes again
    this.taken = new Bytes(); // what the program has read
    this.editLine = '';       // typed, not yet sent with Enter
    this.lines = [];          // sent, as bytes, not yet read; null is end of input
    this.replaying = [];      // a link's lines, typed one each time the program reads
    this.replayed = 0;        // how many of them have been typed
    this.reader = null;       // the program's read waiting for a line
    this.stopped = false;
    this.finished = false;
    this.state = state;
    this.sliceStart = performance.now();
    this.laying.cancel();
    this.scrollFrame = 0;
    this.revealFrame = 0;

    this.liveElement = this.screen.appendChild(document.createElement('div'));
    this.liveElement.className = 'block';
    this.liveText = this.liveElement.appendChild(document.createTextNode(''));
    this.edit = this.liveElement.appendChild(document.createElement('span'));
    this.edit.className = 'edit';
    const cursor = this.liveElement.appendChild(document.createElement('span'));
    cursor.className = 'cursor';
    this.onChange(this);
  }

  // The standard output kept, as a list of Uint8Arrays: all of it unless
  // lines were dropped.
  savedOutput() {
    this.laying.now();
    return [...this.blocks, this.live].map((block) => block.outputBytes());
  }

  setState(state) {
    if (this.state === state) return;
    this.state = state;
    this.onChange(this);
    if (state !== 'running') this.revealRest();
  }

  // The program has ended, or was stopped: what is typed now goes nowhere.
  finish(state) {
    this.laying.now();
    this.finished = true;
    this.setState(state);
  }

  stop() {
    this.stopped = true;
    if (this.reader) {
      this.reader.reject(new Stopped());
      this.reader = null;
    }
  }

  // Types these lines one at a time, each when the program reads and has
  // nothing left to read, as a link replays a dialogue.
  replay(lines) {
    this.replaying = lines;
    this.replayed = 0;
  }

  // Host calls of the WASI layer, through a session.

  read(max) {
    // A link's dialogue types its next line when the program asks, as a
    // person would, but the program does not stop for it. A whole line goes
    // as it is: what a person has typed meanwhile, not yet sent, stays theirs
    // and is not joined to it.
    if (!this.lines.length && this.replayed < this.replaying.length) {
      const line = this.replaying[this.replayed++];
      if (line.endsWith('\n') && !this.finished) this.send(line, { byHand: false });
      else this.type(line, { byHand: false });
    }
    if (this.lines.length) return this.afterSlice(() => this.takeLine(max));
    // The question and the prompt are shown before the program waits; whoever
    // is told that it waits may answer at once.
    this.laying.now();
    const line = new Promise((resolve, reject) => {
      this.reader = {
        resolve: () => {
          this.sliceStart = performance.now();  // the page has had its turn
          resolve(this.takeLine(max));
        },
        reject,
      };
    });
    this.setState('waiting for input');
    return line;
  }

  // As a terminal reads: at most one line, and at its end of input nothing,
  // once.
  takeLine(max) {
    this.setState('running');
    const line = this.lines[0];
    if (line === null) {
      this.lines.shift();
      return new Uint8Array(0);
    }
    const taken = line.length <= max ? this.lines.shift() : line.subarray(0, max);
    if (taken !== line) this.lines[0] = line.subarray(max);
    this.taken.append(taken);
    return taken;
  }

  write(fd, bytes) {
    if (fd === 1 && this.skipped) {
      const skip = Math.min(this.skipped, bytes.length);
      this.skipped -= skip;
      bytes = bytes.subarray(skip);
    }
    if (fd === 1) {
      this.written += bytes.length;
      this.onOutput(bytes);
      // A write may end many lines: each block takes those it has room for.
      for (let taken = this.live.addOutput(bytes); taken < bytes.length;) {
        this.shown();
        taken += this.live.addOutput(bytes.subarray(taken));
      }
    } else this.live.addText(this.errorDecoder.decode(bytes, { stream: true }));
    this.shown();
    return this.afterSlice(() => 0);
  }

  // answer() now, or, once the program has had the page for SLICE_MS, after
  // the page has had its turn: a Promise of it, which Stop rejects.
  afterSlice(answer) {
    if (performance.now() - this.sliceStart < SLICE_MS) return answer();
    const session = this.sessions;
    return new Promise((resolve, reject) => {
      nextTurn(() => {
        if (this.stopped || session !== this.sessions) {
          reject(new Stopped());
          return;
        }
        this.sliceStart = performance.now();
        resolve(answer());
      });
    });
  }

  // The screen.

  // Text that the program did not write: the echo of what is typed, by hand
  // or by a link, which types at the program's pace.
  show(text, { byHand = true } = {}) {
    this.live.addText(text);
    this.shown({ typed: byHand });
  }

  // A full block is closed, and what came is laid out soon.
  shown({ typed = false } = {}) {
    if (this.live.lines >= LINES_PER_BLOCK) {
      this.live.close();
      this.coming.push(this.live);
      this.live = new Block(this.outputDecoder);
    }
    if (this.coming.length > MAX_COMING) this.laying.now();
    else this.laying.soon(typed);
  }

  // Puts what has come since it last did on the page, and scrolls to its
  // end: in a frame at once, else at the next frame, for scrolling now would
  // lay the page out at every read.
  render(inFrame) {
    // Blocks that would leave the screen as soon as they came never come on it.
    const passing = this.coming.length - MAX_BLOCKS;
    for (const [k, block] of this.coming.entries()) {
      this.blocks.push(block);
      if (k < passing) {
        this.liveText.data = '';
        continue;
      }
      // The first began in the live element, where its start is shown.
      block.element = document.createElement('div');
      block.element.className = 'block';
      block.element.append(this.liveText.data + block.takeText());
      this.liveText.data = '';
      this.liveElement.before(block.element);
      // Only the newest can show beside the live block.
      if (block !== this.coming.at(-1)) {
        block.element.classList.add('unseen');
        this.unseen.push(block.element);
        this.nearScreen.observe(block.element);
      }
    }
    this.coming = [];
    this.liveText.appendData(this.live.takeText());
    this.dropEarliest();
    if (inFrame) this.screen.scrollTop = this.screen.scrollHeight;
    else this.scrollToEnd();
  }

  scrollToEnd() {
    if (this.scrollFrame) return;
    this.scrollFrame = requestAnimationFrame(() => {
      this.scrollFrame = 0;
      this.screen.scrollTop = this.screen.scrollHeight;
    });
  }

  reveal(element) {
    element.classList.remove('unseen');
    this.nearScreen.unobserve(element);
  }

  // Once the lines stop, the unseen blocks are laid out a few a frame, the
  // latest first, so that the whole screen can be searched and read.
  revealRest() {
    if (this.revealFrame) return;
    this.revealFrame = requestAnimationFrame(() => {
      this.revealFrame = 0;
      if (this.state === 'running') return;
      this.unseen = this.unseen.filter((element) => element.classList.contains('unseen'));
      for (const element of this.unseen.splice(-REVEALED_PER_FRAME)) this.reveal(element);
      if (this.unseen.length) this.revealRest();
    });
  }

  dropEarliest() {
    const earliest = this.blocks.splice(0, Math.max(0, this.blocks.length - MAX_BLOCKS));
    if (earliest.length === 0) return;
    for (const block of earliest) {
      if (block.element) {
        this.nearScreen.unobserve(block.element);
        block.element.remove();
      }
      this.droppedLines += block.lines;
      this.droppedOutput.lines += block.outputLines;
      const output = block.outputBytes();
      if (output.length) this.droppedOutput.partly = output.at(-1) !== 0x0a;
    }
    this.unseen = this.unseen.filter((element) => element.isConnected);
    this.onChange(this);
  }

  // Typing, as a terminal in its line mode takes it.

  keyDown(event) {
    if (event.isComposing) return;
    if (event.key === 'Enter') {
      event.preventDefault();
      this.type('\n');
    } else if (event.key === 'Backspace') {
      event.preventDefault();
      this.editLine = [...this.editLine].slice(0, -1).join('');
      this.showEditLine();
    } else if (event.ctrlKey && !event.altKey && (event.key === 'd' || event.key === 'D')) {
      event.preventDefault();
      this.endOfInput();
    }
  }

  // Text typed or chosen on a phone's keyboard arrives in the textarea.
  input() {
    const text = this.keys.value;
    this.keys.value = '';
    this.type(text);
  }

  // Pasted text reaches the program as it was copied: CR LF stays CR LF.
  paste(event) {
    event.preventDefault();
    this.type(event.clipboardData.getData('text/plain'));
  }

  // Each line end sends the line, echoed, to the program.
  type(text, { byHand = true } = {}) {
    if (this.finished) return;
    const pieces = text.split('\n');
    const last = pieces.pop();
    for (const piece of pieces) {
      this.send(this.editLine + piece + '\n', { byHand });
      this.editLine = '';
    }
    this.editLine += last;
    this.showEditLine();
  }

  // Ctrl-D: on an empty line it ends input; after some text it sends that
  // text without a line end.
  endOfInput() {
    if (this.finished) return;
    if (this.editLine) {
      this.send(this.editLine);
      this.editLine = '';
      this.showEditLine();
    } else {
      this.lines.push(null);
      this.onInput(null);
      this.wake();
    }
  }

  send(line, { byHand = true } = {}) {
    this.show(line, { byHand });
    this.onInput(line);
    this.lines.push(this.utf8.encode(line));
    this.wake();
  }

  wake() {
    if (this.reader) {
      const { resolve } = this.reader;
      this.reader = null;
      resolve();
    }
  }

  showEditLine() {
    this.edit.textContent = this.editLine;
    this.scrollToEnd();
  }
}
