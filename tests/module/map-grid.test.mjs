// The map's arithmetic under Node: a zoom's grid, the cell of a start and λ,
// and the one scale and its ticks that every axis on the page draws.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { WHOLE, axisOver, axisText, cellAt, extent, gridOver } from '../../web/map/grid.mjs';
import { Scale, ticks } from '../../web/shared/scale.mjs';

test('a zoom: the whole map, a rectangle, one too narrow, one past the edge', () => {
  assert.equal(gridOver(extent(WHOLE)), WHOLE, 'all of it is the whole map, cached as such');
  assert.deepEqual(gridOver({ x: [-1.3, -0.3], y: [1.1, 1.35] }),
    { start: axisOver(-1.3, -0.3, 321), lambda: axisOver(1.1, 1.35, 79) });
  // Narrower than 320 steps of 1e-12: widened about its middle, each text exact.
  const narrow = gridOver({ x: [-1.7692923, -1.7692923], y: [0.5, 0.5 + 1e-15] });
  assert.equal(narrow, null, 'a region of no width is no grid');
  const fine = gridOver({ x: [-1.7692923, -1.7692923 + 1e-11], y: [0.5, 0.6] });
  assert.deepEqual([fine.start.step, fine.start.digits], [1, 12], 'steps of 1e-12');
  assert.ok(fine.start.count >= 320, `${fine.start.count} columns`);
  const texts = Array.from({ length: fine.start.count }, (_, i) => axisText(fine.start, i));
  assert.equal(new Set(texts).size, texts.length, 'every column its own start');
  // A rectangle dragged past the map's edge stops at it.
  const edge = gridOver({ x: [3, 9], y: [1.9, 5] });
  assert.equal(axisText(edge.start, edge.start.count - 1), '4');
  assert.equal(axisText(edge.lambda, edge.lambda.count - 1), '2');
});

test('the cell of a start and λ: the nearest, an infinity at its end, NaN at the first', () => {
  assert.deepEqual(cellAt(WHOLE, 0, 0.5), [160, 18]);
  assert.deepEqual(cellAt(WHOLE, -Infinity, Infinity), [0, 78]);
  assert.deepEqual(cellAt(WHOLE, NaN, NaN), [0, 0]);
});

test('a scale and its inverse; ticks whose texts tell them apart', () => {
  const y = new Scale([-2, 3], [366, 14]);
  for (const value of [-2, 0, 0.1, 3]) assert.ok(Math.abs(y.invert(y.at(value)) - value) < 1e-12);
  assert.equal(y.at(-2), 366);
  assert.deepEqual(ticks(0.0375, 2.0125, 6).map(({ text }) => text), ['0.5', '1', '1.5', '2']);
  assert.deepEqual(ticks(-4.0125, 4.0125, 4).map(({ text }) => text), ['-4', '-2', '0', '2', '4']);
  // Deep in a zoom each label still names its own tick.
  const deep = ticks(-1.7692900001, -1.7692899999, 4);
  assert.equal(new Set(deep.map(({ text }) => text)).size, deep.length);
  for (const { value, text } of deep) assert.ok(Math.abs(Number(text) - value) < 1e-15, `${text} for ${value}`);
});
