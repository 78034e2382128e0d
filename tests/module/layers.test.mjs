// The page's code keeps its layers: imports point one way (shared helpers,
// then the module, then the runs and the map's pure files, then the views,
// then the page), no view imports another, and the layers without a page
// touch no document, window or frame, and load under Node.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readdirSync, readFileSync } from 'node:fs';
import { join, posix } from 'node:path';
import { root } from './program.mjs';

const web = join(root, 'web');
const files = readdirSync(web, { recursive: true }).map((name) => name.split('\\').join('/'))
  .filter((name) => name.endsWith('.mjs') && name !== 'one-file.mjs').sort();
const source = (name) => readFileSync(join(web, name), 'utf8');
const importsOf = (name) => [...source(name).matchAll(/^import .* from '(\.{1,2}\/[^']+)';$/gm)]
  .map(([, from]) => posix.join(posix.dirname(name), from));

// A file's layer, by its folder; views/map/ is one view in several files.
const LAYERS = ['shared', 'module', 'runs', 'map', 'views', 'page'];
const RANK = { shared: 0, module: 1, runs: 2, map: 2, views: 3, page: 4 };
const layerOf = (name) => (name === 'page.mjs' ? 'page' : name.split('/')[0]);
const viewOf = (name) => (name.startsWith('views/map/') ? 'views/map' : name);

test('the one file holds each of the page\'s modules once, for the page and its workers alike', () => {
  const one = readFileSync(join(root, 'damped-newton.html'), 'utf8');
  for (const name of files) {
    const held = one.split(`${JSON.stringify(name)}: async (loadModule) => {`).length - 1;
    assert.equal(held, name === 'module/run-node.mjs' ? 0 : 1, name);
  }
});

test('every file of the page is in a layer', () => {
  for (const name of files) assert.ok(LAYERS.includes(layerOf(name)), `${name} is in no layer's folder`);
});

test('imports point one way, and no view imports another', () => {
  const wrong = [];
  for (const name of files) {
    for (const from of importsOf(name)) {
      assert.ok(files.includes(from), `${name} imports ${from}, which is not there`);
      const [a, b] = [layerOf(name), layerOf(from)];
      if (RANK[b] > RANK[a] || (RANK[b] === RANK[a] && a !== b)) wrong.push(`${name} → ${from}`);
      if (a === 'views' && b === 'views' && viewOf(name) !== viewOf(from)) wrong.push(`${name} → ${from} (a view)`);
    }
  }
  assert.deepEqual(wrong, []);
});

test('the module, the runs and the map\'s pure files use no page, and load under Node', async () => {
  const code = (name) => source(name).replace(/\/\/.*$/gm, '');
  const pageless = files.filter((name) => ['module', 'runs', 'map'].includes(layerOf(name)));
  // What they import counts too: a helper that touches the page would bring it.
  const reached = new Set();
  const visit = (name) => {
    if (reached.has(name)) return;
    reached.add(name);
    importsOf(name).forEach(visit);
  };
  pageless.forEach(visit);
  const touching = [...reached].filter((name) => /\b(document|window|requestAnimationFrame)\b/.test(code(name)));
  assert.deepEqual(touching, []);
  // The workers' scripts listen as they load, and the Node runner runs.
  for (const name of pageless.filter((n) => !/worker\.mjs$|run-node\.mjs$/.test(n))) {
    await import(join(web, name));
  }
});
