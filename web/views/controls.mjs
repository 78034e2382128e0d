// The controls: the start point, λ and the limit as fields, λ as a slider
// too, and values to try. Each change types a dialogue into a fresh session,
// as a person would; then they show what the program read.

// Values to try, each named for what it shows, beside the lesson's steps;
// a missing λ or limit keeps the one in its field.
const TRIES = [
  { name: 'the built-in run', start: '0', lambda: '0.5', limit: '500' },
  { name: 'overflow', start: '1e200', lambda: '0.5' },
  { name: 'the start where f′ is 0', start: '0.816496580927726', lambda: '0.5' },
];

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
  // tries (where the values to try go) and readAs.
  constructor({ startText, lambdaText, limitText, lambdaSlider, tries, readAs }) {
    this.startText = startText;
    this.lambdaText = lambdaText;
    this.limitText = limitText;
    this.lambdaSlider = lambdaSlider;
    this.tries = tries;
    this.readAs = readAs;
    this.onRun = () => {};  // (texts): types the dialogue of { start, lambda, limit }
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

  // A start point typed by the handle on the picture.
  typeStart(text) {
    this.startText.value = text;
    this.sendSoon();
  }

  // Dragging sends at most one dialogue a frame: the latest.
  sendSoon() {
    if (this.frame) return;
    this.frame = requestAnimationFrame(() => {
      this.frame = 0;
      this.send();
    });
  }

  // What the program read in the current session: the controls move to it.
  // A session not typed by the controls also sets their fields, to texts that read as
  // the same doubles.
  showRead(read, typedHere) {
    if (!typedHere) {
      this.startText.value = read.startText;
      this.lambdaText.value = read.lambdaText;
      this.limitText.value = String(read.limit);
      this.sent = this.texts();
    }
    // The slider's ends stand for infinities, and its start for NaN, whose
    // words say what it is.
    this.lambdaSlider.value = String(Number.isNaN(read.lambda) ? 0 : Math.min(2, Math.max(0, read.lambda)));
    this.describeLambda(read.lambdaText);
    this.readAs.textContent = readText(read);
  }

  // A new session, whose reads are not known yet: nothing is said of the
  // one before.
  forgetRead() {
    this.readAs.textContent = '';
  }

  describeLambda(words = this.lambdaSlider.value) {
    this.lambdaSlider.setAttribute('aria-valuetext', `λ ${words}`);
  }
}
