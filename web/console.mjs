// The console: a terminal for the program in the page. It shows what the
// program writes and echoes what is typed, keeps typed lines until the
// program reads them, as a terminal's line discipline does, and keeps the
// program's standard output for "Save screen". It is the WASI layer's host.
//
// A run can print millions of lines, and a link or a paste can type as many.
// The screen keeps them in blocks of LINES_PER_BLOCK that the browser lays out
// only when seen, adds what came and scrolls once a frame, and lets the
// earliest blocks go past MAX_BLOCKS so that memory and the page's height stay
// bounded.

const LINES_PER_BLOCK = 1000;
const MAX_BLOCKS = 200;
// Blocks waiting for the next frame past this are laid out at once: a tab in
// the background gets no frames, and the program would keep writing.
const MAX_COMING = 50;
// The program yields to the page after this much time writing or reading, so
// that keys and clicks are answered during a long run or a long replay.
const SLICE_MS = 30;

// Thrown into the program's run by Stop.
export class Stopped extends Error {
  constructor() {
    super('stopped');
  }
}

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
    this.output = new Uint8Array(8192);
    this.outputLength = 0;
    this.decoded = 0;        // how much of output is in text
    this.element = null;     // once it is on the page, closed
  }

  addOutput(bytes) {
    if (this.outputLength + bytes.length > this.output.length) {
      const larger = new Uint8Array(2 * (this.outputLength + bytes.length));
      larger.set(this.output.subarray(0, this.outputLength));
      this.output = larger;
    }
    this.output.set(bytes, this.outputLength);
    this.outputLength += bytes.length;
    for (const byte of bytes) {
      if (byte === 0x0a) {
        this.lines++;
        this.outputLines++;
      }
    }
  }

  addText(text) {
    this.takeOutput();
    this.text += text;
    this.lines += countLines(text);
  }

  // The text not yet on the page, with the output that came since.
  takeOutput() {
    this.text += this.decoder.decode(this.output.subarray(this.decoded, this.outputLength), { stream: true });
    this.decoded = this.outputLength;
    return this.text;
  }

  takeText() {
    const text = this.takeOutput();
    this.text = '';
    return text;
  }

  outputBytes() {
    return this.output.subarray(0, this.outputLength);
  }

  // A closed block gives back the room it will not use.
  close() {
    this.takeOutput();
    this.output = this.output.slice(0, this.outputLength);
  }
}

export class Console {
  // screen: the element that shows the transcript; keys: a textarea that
  // takes what is typed (it brings up a phone's keyboard). Told, with the
  // console: onChange when its state or dropped count changes; onInput with
  // each piece of text sent to the program, and null at the end of input;
  // onOutput with the bytes of each write to standard output.
  constructor(screen, keys, { onChange = () => {}, onInput = () => {}, onOutput = () => {} } = {}) {
    this.screen = screen;
    this.keys = keys;
    this.onChange = onChange;
    this.onInput = onInput;
    this.onOutput = onOutput;
    this.utf8 = new TextEncoder();
    this.sessions = 0;
    keys.addEventListener('keydown', (event) => this.keyDown(event));
    keys.addEventListener('input', (event) => {
      if (!event.isComposing) this.input();
    });
    keys.addEventListener('compositionend', () => this.input());
    keys.addEventListener('paste', (event) => this.paste(event));
    screen.addEventListener('click', () => {
      if (!window.getSelection().toString()) this.focus();
    });
    this.reset();
  }

  focus() {
    this.keys.focus({ preventScroll: true });
  }

  // A fresh terminal for a fresh run, and the host that the run talks to. A
  // run that was stopped, or replaced by a fresh one, can no longer reach the
  // screen: its calls are answered with Stopped.
  session() {
    this.reset();
    const session = ++this.sessions;
    const current = (call) => (...args) =>
      session === this.sessions && !this.stopped ? call(...args) : Promise.reject(new Stopped());
    return {
      read: current((max) => this.read(max)),
      write: current((fd, bytes) => this.write(fd, bytes)),
      close: current(() => 0),
    };
  }

  reset() {
    this.screen.replaceChildren();
    this.blocks = [];         // closed, on the page
    this.coming = [];         // closed since the last frame
    this.outputDecoder = new TextDecoder();
    this.errorDecoder = new TextDecoder();
    this.live = new Block(this.outputDecoder);  // being written, shown in the last element
    this.droppedLines = 0;
    // Of the program's own output: the lines dropped whole, and whether the
    // last dropped block ended inside a line.
    this.droppedOutput = { lines: 0, partly: false };
    this.editLine = '';       // typed, not yet sent with Enter
    this.lines = [];          // sent, as bytes, not yet read; null is end of input
    this.replaying = [];      // a link's lines, typed one each time the program reads
    this.replayed = 0;        // how many of them have been typed
    this.reader = null;       // the program's read waiting for a line
    this.stopped = false;
    this.finished = false;
    this.state = 'running';
    this.sliceStart = performance.now();
    this.frame = 0;
    this.scrollFrame = 0;

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
    this.render();
    return [...this.blocks, this.live].map((block) => block.outputBytes());
  }

  setState(state) {
    if (this.state === state) return;
    this.state = state;
    this.onChange(this);
  }

  // The program has ended, or was stopped: what is typed now goes nowhere.
  finish(state) {
    this.render();
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
    // person would, but the program does not stop for it.
    if (!this.lines.length && this.replayed < this.replaying.length) this.type(this.replaying[this.replayed++]);
    if (this.lines.length) return this.afterSlice(() => this.takeLine(max));
    // The question and the prompt are shown before the program waits; whoever
    // is told that it waits may answer at once.
    this.render();
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
    if (line.length <= max) {
      this.lines.shift();
      return line;
    }
    this.lines[0] = line.subarray(max);
    return line.subarray(0, max);
  }

  write(fd, bytes) {
    if (fd === 1) {
      this.live.addOutput(bytes);
      this.onOutput(bytes);
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
      setTimeout(() => {
        if (this.stopped || session !== this.sessions) {
          reject(new Stopped());
          return;
        }
        this.sliceStart = performance.now();
        resolve(answer());
      }, 0);
    });
  }

  // The screen.

  // Text that the program did not write: the echo of what is typed.
  show(text) {
    this.live.addText(text);
    this.shown();
  }

  // A full block is closed, and what came is laid out at the next frame.
  shown() {
    if (this.live.lines >= LINES_PER_BLOCK) {
      this.live.close();
      this.coming.push(this.live);
      this.live = new Block(this.outputDecoder);
    }
    if (this.coming.length > MAX_COMING) this.render();
    else if (!this.frame) this.frame = requestAnimationFrame(() => this.render({ inFrame: true }));
  }

  // Puts what has come since the last frame on the page, and scrolls to its
  // end: in a frame at once, else at the next frame, for scrolling now would
  // lay the page out at every read.
  render({ inFrame = false } = {}) {
    if (this.frame) cancelAnimationFrame(this.frame);
    this.frame = 0;
    for (const block of this.coming) {
      // The first began in the live element, where its start is shown.
      block.element = document.createElement('div');
      block.element.className = 'block';
      block.element.append(this.liveText.data + block.takeText());
      this.liveText.data = '';
      this.liveElement.before(block.element);
      this.blocks.push(block);
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

  dropEarliest() {
    const earliest = this.blocks.splice(0, Math.max(0, this.blocks.length - MAX_BLOCKS));
    if (earliest.length === 0) return;
    for (const block of earliest) {
      block.element.remove();
      this.droppedLines += block.lines;
      this.droppedOutput.lines += block.outputLines;
      if (block.outputLength) this.droppedOutput.partly = block.output[block.outputLength - 1] !== 0x0a;
    }
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
  type(text) {
    if (this.finished) return;
    const pieces = text.split('\n');
    const last = pieces.pop();
    for (const piece of pieces) {
      this.send(this.editLine + piece + '\n');
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

  send(line) {
    this.show(line);
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
