// Paints the map: its cells into an image of one pixel a cell, and the image
// with axes, legend, the session's mark and the focused cell onto the canvas.
// It reads the layout and the state it is given, and keeps nothing.
import { colour, css, RED, PALETTE, CHANGE_COLOURS, REASON_COLOURS } from '../../map/colours.mjs';
import { MARGIN, SWATCH, LEGEND_ROW, legendWidth, cellBox } from './layout.mjs';

// A cell known, into the image's pixels, as the size × size cells it stands
// for; row 0 is the smallest λ, at the bottom. `result` is the module's
// answer, which tells the greys apart.
export function paintCell(pixels, i, j, size, outcome, limit, result) {
  const rgb = colour(outcome, limit, result);
  const { data, width: columns, height: rows } = pixels;
  for (let y = Math.max(0, rows - j - size); y < rows - j; y++) {
    for (let x = i; x < Math.min(columns, i + size); x++) {
      const at = 4 * (y * columns + x);
      data[at] = rgb[0];
      data[at + 1] = rgb[1];
      data[at + 2] = rgb[2];
      data[at + 3] = 255;
    }
  }
}

// The whole canvas: returns the labels drawn, each with its box, for
// whoever must check that every one fits.
export function paintMap(canvas, image, layout, { limit, comparing, mark, focusCell }) {
  const ratio = window.devicePixelRatio || 1;
  const { width, height, left, top, plotWidth, plotHeight, start, lambda } = layout;
  if (canvas.width !== Math.round(width * ratio) || canvas.height !== Math.round(height * ratio)) {
    canvas.width = Math.round(width * ratio);
    canvas.height = Math.round(height * ratio);
  }
  const context = canvas.getContext('2d');
  context.setTransform(ratio, 0, 0, ratio, 0, 0);
  context.clearRect(0, 0, width, height);
  context.imageSmoothingEnabled = false;
  context.drawImage(image, left, top, plotWidth, plotHeight);

  const style = getComputedStyle(canvas);
  context.font = `12px ${style.fontFamily}`;
  context.fillStyle = style.color;
  context.strokeStyle = style.color;
  const labels = [];
  const label = (text, x, y) => {
    const wide = context.measureText(text).width;
    const from = { left: x, center: x - wide / 2, right: x - wide }[context.textAlign];
    labels.push({ text, left: from, right: from + wide, y });
    context.fillText(text, x, y);
  };
  context.textAlign = 'center';
  context.textBaseline = 'top';
  for (const tick of layout.startTicks) {
    const x = start.at(tick.value);
    context.fillRect(x, top + plotHeight, 1, 4);
    // A label that would run off the map is left out; its tick stays.
    const half = context.measureText(tick.text).width / 2;
    if (x - half >= 0 && x + half <= width) label(tick.text, x, top + plotHeight + 6);
  }
  label('start point', left + plotWidth / 2, top + plotHeight + 20);
  context.textAlign = 'right';
  context.textBaseline = 'middle';
  for (const tick of layout.lambdaTicks) {
    context.fillRect(left - 4, lambda.at(tick.value), 4, 1);
    label(tick.text, left - 6, lambda.at(tick.value));
  }
  context.save();
  context.translate(12, top + plotHeight / 2);
  context.rotate(-Math.PI / 2);
  context.textAlign = 'center';
  context.fillText('λ', 0, 0);
  context.restore();
  const legendTop = top + plotHeight + 36;
  if (comparing) paintChanges(context, layout, legendTop, style.color, label);
  else paintPalette(context, layout, legendTop, limit, style.color, label);

  if (mark && Number.isFinite(mark.start) && Number.isFinite(mark.lambda)) paintMark(context, layout, mark);
  if (focusCell) {
    const box = cellBox(layout, focusCell);
    context.lineWidth = 2;
    context.strokeStyle = '#c2410c';
    context.strokeRect(box.x - 2, box.y - 2, box.width + 4, box.height + 4);
  }
  return labels;
}

// The run's start and λ, where they are on the map.
function paintMark(context, { left, top, plotWidth, plotHeight, start, lambda }, mark) {
  const [x, y] = [start.at(mark.start), lambda.at(mark.lambda)];
  if (!(x >= left && x <= left + plotWidth && y >= top && y <= top + plotHeight)) return;
  for (const [colour, width, radius] of [['#fff', 2, 6], ['#000', 1, 8]]) {
    context.lineWidth = width;
    context.strokeStyle = colour;
    context.beginPath();
    context.arc(x, y, radius, 0, 2 * Math.PI);
    context.stroke();
  }
}

// The palette with its counts on the first row; on the rows below, the
// colours of no Done line.
function paintPalette(context, layout, top, limit, ink, label) {
  const runs = `${limit} runs`;
  const width = Math.max(30, legendWidth(layout.width) - 10 - context.measureText(runs).width - 4);
  const left = MARGIN.left;
  // The palette is linear in the log of the count, as the bar is.
  const bar = context.createLinearGradient(left, 0, left + width, 0);
  for (const [at, hex] of PALETTE) bar.addColorStop(at, `#${hex.toString(16).padStart(6, '0')}`);
  context.fillStyle = bar;
  context.fillRect(left, top, width, SWATCH);
  context.fillStyle = ink;
  context.textAlign = 'left';
  context.textBaseline = 'middle';
  label('1', left - 10, top + SWATCH / 2);
  label(runs, left + width + 4, top + SWATCH / 2);
  const colours = { ...REASON_COLOURS, 'inf/NaN': RED };
  paintSwatches(context, layout.swatches, top + LEGEND_ROW, colours, ink, label);
}

function paintChanges(context, layout, top, ink, label) {
  paintSwatches(context, layout.swatches, top, CHANGE_COLOURS, ink, label);
}

// Swatches with their labels where the layout puts them.
function paintSwatches(context, swatches, top, colours, ink, label) {
  context.textAlign = 'left';
  context.textBaseline = 'middle';
  for (const { label: text, x, row } of swatches) {
    const y = top + row * LEGEND_ROW;
    context.fillStyle = css(colours[text]);
    context.fillRect(MARGIN.left + x, y, SWATCH, SWATCH);
    context.strokeStyle = ink;
    context.lineWidth = 0.5;
    context.strokeRect(MARGIN.left + x + 0.25, y + 0.25, SWATCH - 0.5, SWATCH - 0.5);
    context.fillStyle = ink;
    label(text, MARGIN.left + x + SWATCH + 4, y + SWATCH / 2);
  }
}
