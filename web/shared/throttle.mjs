// Redraws while data pours in: at most once every `ms`, and at once when
// asked to be urgent (a person acted, or the data ended). With `inFrame`, each
// redraw waits for the next frame, as anything measured with the screen must.
export class Throttle {
  // redraw(inFrame): draws; inFrame says whether a frame called it.
  constructor(ms, redraw, { inFrame = false } = {}) {
    this.ms = ms;
    this.redraw = redraw;
    this.inFrame = inFrame;
    this.at = -Infinity;  // when it last redrew
    this.timer = 0;
    this.frame = 0;
  }

  // A redraw once `ms` have passed since the last, or at once if urgent.
  soon(urgent = false) {
    if (urgent) clearTimeout(this.timer);
    else if (this.timer || this.frame) return;
    this.timer = 0;
    const wait = this.at + this.ms - performance.now();
    if (!urgent && wait > 0) this.timer = setTimeout(() => this.soon(true), wait);
    else if (!this.inFrame) this.now();
    else if (!this.frame) {
      this.frame = requestAnimationFrame(() => {
        this.frame = 0;
        this.now(true);
      });
    }
  }

  // A redraw at once, and none pending.
  now(inFrame = false) {
    this.cancel();
    this.at = performance.now();
    this.redraw(inFrame);
  }

  cancel() {
    clearTimeout(this.timer);
    cancelAnimationFrame(this.frame);
    this.timer = 0;
    this.frame = 0;
  }
}
