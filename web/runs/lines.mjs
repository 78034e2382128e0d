// The program's output as lines: an iterate line as the program writes it
// (printf's %g, with inf and nan), and the ended lines of a text, each line's
// text made only when asked for: a run of millions of lines makes few strings.

export const ITERATE = /^[-+]?(\d+\.?\d*(e[-+]\d+)?|inf|nan)$/;
// A text of nothing but iterate lines, each with its line end.
export const ITERATES = /^(?:[-+]?(?:\d+\.?\d*(?:e[-+]\d+)?|inf|nan)\n)*$/;

export class Lines {
  constructor(text) {
    this.source = text;
    this.ends = [];
    for (let at = text.indexOf('\n'); at !== -1; at = text.indexOf('\n', at + 1)) this.ends.push(at);
    const whole = this.ends.length ? this.ends.at(-1) + 1 : 0;
    this.whole = text.slice(0, whole);
    this.rest = text.slice(whole);  // a line not yet ended
  }

  get count() {
    return this.ends.length;
  }

  start(k) {
    return k ? this.ends[k - 1] + 1 : 0;
  }

  text(k) {
    return this.source.slice(this.start(k), this.ends[k]);
  }

  // Whether line k is `text`.
  is(k, text) {
    return this.ends[k] - this.start(k) === text.length && this.source.startsWith(text, this.start(k));
  }
}
