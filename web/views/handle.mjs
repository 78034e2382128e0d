// The start point's handle on the picture's axis: a slider a person drags or
// moves by keys, which types the start it comes to, to the digits a pixel of
// the view can tell apart; and which shows the start the program read.
import { Scale } from '../shared/scale.mjs';

// How a dragged start is written: "-1.234", not "-1.2340163...". From 1e21 on
// toFixed writes what String does, exponent and all, whose zeros are digits too.
function dragText(value, unitsPerPixel) {
  const digits = Math.min(15, Math.max(0, Math.ceil(-Math.log10(unitsPerPixel))));
  const text = value.toFixed(digits);
  if (text.includes('e')) return text;
  return (text.includes('.') ? text.replace(/\.?0+$/, '') : text).replace(/^-0$/, '0');
}

// A double as ARIA takes a number: a plain decimal, with no exponent.
const decimal = (value) => value.toLocaleString('en', { useGrouping: false, maximumSignificantDigits: 17 });

export class StartHandle {
  constructor(handle) {
    this.handle = handle;
    this.onMove = () => {};  // (text): the start the handle came to, to type
    this.onDrag = () => {};  // (range): the picture's x range to keep while dragged, or null
    this.view = null;        // the picture's { x0, x1, left, right, axis }, as shares of its size
    this.scale = null;       // a start to a share of the picture's width, and back
    this.start = 0;          // the start the handle shows
    this.words = '0';        // and its words: what the program read, what it typed, or null
    this.dragging = null;    // the pointer dragging it
    this.listen();
  }

  // The picture's view, after each drawing.
  setView(view) {
    this.view = view;
    this.scale = new Scale([view.x0, view.x1], [view.left, view.right]);
    this.place();
  }

  // The start read, in the program's words; null words: not read yet.
  show(start, words) {
    this.start = start;
    this.words = words;
    this.place();
  }

  place() {
    const { view, handle, start } = this;
    if (!view) return;
    const share = (start - view.x0) / (view.x1 - view.x0);
    const inView = share >= 0 && share <= 1;
    const clamped = Math.min(1, Math.max(0, Number.isFinite(share) ? share : start < 0 ? 0 : 1));
    handle.style.left = `${(view.left + clamped * (view.right - view.left)) * 100}%`;
    handle.style.top = `${view.axis * 100}%`;
    handle.classList.toggle('outside', !inView);
    // ARIA's value lies between the bounds: a start off the picture is at
    // its edge, and the words say where it really is.
    handle.setAttribute('aria-valuemin', decimal(view.x0));
    handle.setAttribute('aria-valuemax', decimal(view.x1));
    handle.setAttribute('aria-valuenow', decimal(inView ? start : clamped === 0 ? view.x0 : view.x1));
    handle.setAttribute('aria-valuetext', this.words === null ? 'start point, not read yet'
      : `start point ${this.words}${inView ? '' : ', outside the picture'}`);
  }

  // Units of x per CSS pixel of the picture.
  unitsPerPixel() {
    const width = this.handle.parentElement.clientWidth * (this.view.right - this.view.left);
    return (this.view.x1 - this.view.x0) / Math.max(width, 1);
  }

  moveTo(value) {
    this.show(value, dragText(value, this.unitsPerPixel()));
    this.onMove(this.words);
  }

  listen() {
    const { handle } = this;
    // The start under the pointer, within the picture's x range.
    const valueAt = (event) => {
      const box = handle.parentElement.getBoundingClientRect();
      const share = Math.min(this.view.right, Math.max(this.view.left, (event.clientX - box.left) / box.width));
      return this.scale.invert(share);
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
