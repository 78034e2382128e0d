// Pointers, pinches, the wheel and keys on the map, turned into intents: it
// neither paints nor computes. A dragged rectangle is an element over the
// canvas, shown while the drag lasts.
const DRAG_PX = 6;      // a press that moves less is a click
const WHEEL_REST_MS = 120;
const KEY_MOVES = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, 1], ArrowDown: [0, -1],
                    PageUp: [0, 10], PageDown: [0, -10], Home: [-Infinity, 0], End: [Infinity, 0] };
const KEY_ZOOMS = { '+': 0.5, '=': 0.5, '-': 2, '−': 2, _: 2 };

export class MapGesture {
  constructor(canvas, selection) {
    this.canvas = canvas;
    this.selection = selection;  // the rectangle's element
    this.pointers = new Map();   // pointers down: { from, to } in canvas pixels
    this.dragged = null;         // the pointer drawing a rectangle
    this.wheelFactor = 1;
    this.wheeling = 0;
    // Intents, each told with canvas pixels or cell moves.
    this.onPoint = () => {};       // (at or null): the pointer over the map
    this.onClick = () => {};       // (at)
    this.onZoomTo = () => {};      // (a, b): the rectangle between two points
    this.onZoomAround = () => {};  // (at, factor): below 1 zooms in
    this.onKey = () => {};         // ({ move: [di, dj] } | { zoom } | { run: true })
    this.onFocus = () => {};       // (focused)
    this.listen();
  }

  point(event) {
    const box = this.canvas.getBoundingClientRect();
    return { x: event.clientX - box.left, y: event.clientY - box.top };
  }

  listen() {
    const canvas = this.canvas;
    canvas.addEventListener('pointermove', (event) => {
      const at = this.point(event);
      const down = this.pointers.get(event.pointerId);
      if (down) {
        down.to = at;
        if (this.pointers.size === 1 && Math.hypot(at.x - down.from.x, at.y - down.from.y) > DRAG_PX) this.drag(down);
      }
      this.onPoint(at);
    });
    canvas.addEventListener('pointerleave', () => this.onPoint(null));
    // Only the primary button, a finger or a pen clicks or drags; a second
    // finger makes a pinch of what was a drag.
    canvas.addEventListener('pointerdown', (event) => {
      if (event.button !== 0) return;
      canvas.setPointerCapture(event.pointerId);
      const at = this.point(event);
      this.pointers.set(event.pointerId, { from: at, to: at });
      if (this.pointers.size > 1) this.drag(null);
    });
    const release = (event) => this.release(event);
    canvas.addEventListener('pointerup', release);
    canvas.addEventListener('pointercancel', release);
    // Each notch counts, gathered until the wheel rests; a sideways scroll
    // is the page's, not a zoom.
    canvas.addEventListener('wheel', (event) => {
      if (Math.abs(event.deltaY) <= Math.abs(event.deltaX)) return;
      event.preventDefault();
      this.wheelFactor *= event.deltaY < 0 ? 0.8 : 1.25;
      const at = this.point(event);
      clearTimeout(this.wheeling);
      this.wheeling = setTimeout(() => {
        const factor = this.wheelFactor;
        this.wheelFactor = 1;
        this.onZoomAround(at, factor);
      }, WHEEL_REST_MS);
    }, { passive: false });
    canvas.addEventListener('keydown', (event) => this.key(event));
    canvas.addEventListener('focus', () => this.onFocus(true));
    canvas.addEventListener('blur', () => this.onFocus(false));
  }

  release(event) {
    const down = this.pointers.get(event.pointerId);
    if (!down) return;
    if (this.pointers.size === 2) {
      const [first, second] = this.pointers.values();
      this.pointers.clear();
      this.drag(null);
      const spread = (key) => Math.hypot(first[key].x - second[key].x, first[key].y - second[key].y);
      this.onZoomAround({ x: (first.to.x + second.to.x) / 2, y: (first.to.y + second.to.y) / 2 },
        spread('from') / Math.max(spread('to'), 1));
      return;
    }
    this.pointers.delete(event.pointerId);
    if (this.dragged) {
      this.drag(null);
      this.onZoomTo(down.from, down.to);
    } else if (event.type === 'pointerup') {
      this.onClick(down.to);
    }
  }

  // The rectangle of a drag, over the canvas; null takes it away.
  drag(down) {
    this.dragged = down;
    const box = this.selection;
    box.hidden = !down;
    if (!down) return;
    const { from, to } = down;
    Object.assign(box.style, {
      left: `${this.canvas.offsetLeft + Math.min(from.x, to.x)}px`, top: `${this.canvas.offsetTop + Math.min(from.y, to.y)}px`,
      width: `${Math.abs(to.x - from.x)}px`, height: `${Math.abs(to.y - from.y)}px`,
    });
  }

  key(event) {
    const zoom = KEY_ZOOMS[event.key];
    const move = KEY_MOVES[event.key];
    const run = event.key === 'Enter' || event.key === ' ';
    if (!zoom && !move && !run) return;
    event.preventDefault();
    this.onKey(run ? { run } : zoom ? { zoom } : { move });
  }
}
