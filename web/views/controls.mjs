// The controls: the start point as a handle and a field, λ as a slider and a
// field, the limit, and values to try. Each change types a dialogue into a
// fresh session, as a person would; then they show what the program read.

// Values to try, each named for what it shows; a missing λ or limit keeps
// the one in its field.
const TRIES = [
  { name: 'the undamped cycle', start: '0', lambda: '1' },
  { name: 'the built-in run', start: '0', lambda: '0.5', limit: '500' },
  { name: 'damping costs runs', start: '0', lambda: '0.25' },
  { name: 'overshooting', start: '-2', lambda: '1.5' },
  { name: 'never exactly settles', start: '-2', lambda: '1.7' },
  { name: 'overflow', start: '1e200', lambda: '0.5' },
  { name: 'the start where f′ is 0', start: '0.816496580927726', lambda: '0.5' },
];

// How a dragged start is written: to the digits that a pixel of the view
// can tell apart, so that "-1.234" is typed, not "-1.2340163...". From 1e21
// on toFixed writes what String does, exponent and all, whose zeros are
// digits too.
function dragText(value, unitsPerPixel) {
  const digits = Math.min(15, Math.max(0, Math.ceil(-Math.log10(unitsPerPixel))));
  const text = value.toFixed(digits);
  if (text.includes('e')) return text;
  return (text.includes('.') ? text.replace(/\.?0+$/, '') : text).replace(/^-0$/, '0');
}

// A double as ARIA takes a number: a plain decimal, with no exponent.
const decimal = (value) => value.toLocaleString('en', { useGrouping: false, maximumSignificantDigits: 17 });

// The parameters as the page names them, by the names web/module/program.mjs gives.
export const PARAMETER = { start: 'the start point', lambda: 'λ', limit: 'the limit' };

// The sentence that says what the program read.
function readText(read) {
  const values = `start ${read.startText}, λ ${read.lambdaText}, limit ${read.limit}`;
  if (!read.dialogue) return `The program took its built-in values: ${values}.`;
  const failed = PARAMETER[read.failed];
  if (!failed) return `The program read ${values}.`;
  const stored = read.failed === 'limit' ? read.limit : read[`${read.failed}Text`];
  return `The program's read of ${failed} failed: it stored ${stored} and read nothing more, `
    + `so it runs with ${values}.`;
}

export class Controls {
  // elements: the fields (startText, lambdaText, limitText), lambdaSlider,
  // handle (the start point's slider on the picture), tries (where the
  // values to try go) and readAs.
  constructor({ startText, lambdaText, limitText, lambdaSlider, handle, tries, readAs }) {
    this.startText = startText;
    this.lambdaText = lambdaText;
    this.limitText = limitText;
    this.lambdaSlider = lambdaSlider;
    this.handle = handle;
    this.tries = tries;
    this.readAs = readAs;
    this.onRun = () => {};   // (texts): types the dialogue of { start, lambda, limit }
    this.onDrag = () => {};  // (range): the picture's x range to keep while the handle is dragged, or null
    this.view = null;       // the picture's x range and where its axis is
    this.start = 0;         // the start the handle shows
    this.startWords = '0';  // and its words: what the program read, or what the handle typed
    this.dragging = null;
    this.frame = 0;         // a dialogue waits for the next frame

    // Enter runs the fields' dialogue; leaving a field runs it if it
    // changed since it was last sent. Until then, the fields hold the
    // built-in values, which no one has sent.
    this.sent = this.texts();
    for (const field of [this.startText, this.lambdaText, this.limitText]) {
      field.addEventListener('keydown', (event) => {
        if (event.key === 'Enter') this.onRun(this.sent = this.texts());
      });
      field.addEventListener('blur', () => this.send());
    }
    this.lambdaSlider.addEventListener('input', () => {
      this.lambdaText.value = this.lambdaSlider.value;
      this.describeLambda();
      this.sendSoon();
    });
    for (const tried of TRIES) {
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = tried.name;
      button.addEventListener('click', () => {
        if (tried.limit) this.limitText.value = tried.limit;
        this.choose(tried.start, tried.lambda);
      });
      this.tries.append(button);
    }
    this.listenToHandle();
  }

  texts() {
    return { start: this.startText.value, lambda: this.lambdaText.value, limit: this.limitText.value };
  }

  // A start point and λ chosen (a value to try, a cell of the map): their
  // dialogue runs, with the limit given, else the one in its field.
  choose(start, lambda, limit = this.limitText.value) {
    this.startText.value = start;
    this.lambdaText.value = lambda;
    this.limitText.value = limit;
    this.onRun(this.sent = this.texts());
  }

  // Runs the fields' dialogue if it differs from the last one sent.
  send() {
    const texts = this.texts();
    if (JSON.stringify(texts) === JSON.stringify(this.sent)) return;
    this.sent = texts;
    this.onRun(texts);
  }

  // Dragging sends at most one dialogue a frame: the latest.
  sendSoon() {
    if (this.frame) return;
    this.frame = requestAnimationFrame(() => {
      this.frame = 0;
      this.send();
    });
  }

  // What the program read in the current run: the controls move to it. A run
  // not typed by the controls also sets their fields, to texts that read as
  // the same doubles.
  showRead(read, typedHere) {
    if (!typedHere) {
      this.startText.value = read.startText;
      this.lambdaText.value = read.lambdaText;
      this.limitText.value = String(read.limit);
      this.sent = this.texts();
    }
    this.start = read.start;
    this.startWords = read.startText;
    // The slider's ends stand for infinities, and its start for NaN, whose
    // words say what it is.
    this.lambdaSlider.value = String(Number.isNaN(read.lambda) ? 0 : Math.min(2, Math.max(0, read.lambda)));
    this.describeLambda(read.lambdaText);
    this.readAs.textContent = readText(read);
    this.placeHandle();
  }

  // A new run, whose reads are not known yet: nothing is said of the one
  // before. A run the handle typed keeps the handle's words, which are what
  // it typed.
  forgetRead(typedHere) {
    this.readAs.textContent = '';
    if (!typedHere) this.startWords = null;
    this.placeHandle();
  }

  describeLambda(words = this.lambdaSlider.value) {
    this.lambdaSlider.setAttribute('aria-valuetext', `λ ${words}`);
  }

  // The picture's view: { x0, x1, left, right, axis } as shares of its width
  // and height.
  setView(view) {
    this.view = view;
    this.placeHandle();
  }

  placeHandle() {
    const { view, handle } = this;
    if (!view) return;
    const share = (this.start - view.x0) / (view.x1 - view.x0);
    const inView = share >= 0 && share <= 1;
    const clamped = Math.min(1, Math.max(0, Number.isFinite(share) ? share : this.start < 0 ? 0 : 1));
    handle.style.left = `${(view.left + clamped * (view.right - view.left)) * 100}%`;
    handle.style.top = `${view.axis * 100}%`;
    handle.classList.toggle('outside', !inView);
    // ARIA's value lies between the bounds: a start off the picture is at
    // its edge, and the words say where it really is.
    handle.setAttribute('aria-valuemin', decimal(view.x0));
    handle.setAttribute('aria-valuemax', decimal(view.x1));
    handle.setAttribute('aria-valuenow', decimal(inView ? this.start : clamped === 0 ? view.x0 : view.x1));
    handle.setAttribute('aria-valuetext', this.startWords === null ? 'start point, not read yet'
      : `start point ${this.startWords}${inView ? '' : ', outside the picture'}`);
  }

  // Units of x per CSS pixel of the picture.
  unitsPerPixel() {
    const width = this.handle.parentElement.clientWidth * (this.view.right - this.view.left);
    return (this.view.x1 - this.view.x0) / Math.max(width, 1);
  }

  moveTo(value) {
    this.start = value;
    this.startText.value = this.startWords = dragText(value, this.unitsPerPixel());
    this.placeHandle();
    this.sendSoon();
  }

  listenToHandle() {
    const { handle } = this;
    const valueAt = (event) => {
      const box = handle.parentElement.getBoundingClientRect();
      const share = ((event.clientX - box.left) / box.width - this.view.left) / (this.view.right - this.view.left);
      return this.view.x0 + Math.min(1, Math.max(0, share)) * (this.view.x1 - this.view.x0);
    };
    handle.addEventListener('pointerdown', (event) => {
      if (!this.view) return;
      event.preventDefault();
      handle.setPointerCapture(event.pointerId);
      handle.focus();
      this.dragging = event.pointerId;
      this.onDrag([this.view.x0, this.view.x1]);
    });
    handle.addEventListener('pointermove', (event) => {
      if (this.dragging === event.pointerId) this.moveTo(valueAt(event));
    });
    const release = (event) => {
      if (this.dragging !== event.pointerId) return;
      this.dragging = null;
      this.onDrag(null);
    };
    handle.addEventListener('pointerup', release);
    handle.addEventListener('pointercancel', release);
    // The slider pattern: arrows by a pixel's worth, Page Up and Down by
    // fifty, Home and End to the picture's edges.
    handle.addEventListener('keydown', (event) => {
      if (!this.view) return;
      const pixel = this.unitsPerPixel();
      const from = Number.isFinite(this.start) ? this.start : 0;
      const to = {
        ArrowLeft: from - pixel, ArrowDown: from - pixel, ArrowRight: from + pixel, ArrowUp: from + pixel,
        PageDown: from - 50 * pixel, PageUp: from + 50 * pixel, Home: this.view.x0, End: this.view.x1,
      }[event.key];
      if (to === undefined) return;
      event.preventDefault();
      this.moveTo(to);
    });
  }
}
