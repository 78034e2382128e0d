// The page on every core: the console's program runs in a worker, and a run
// begun before it was ready goes over to it mid-dialogue, screen unchanged;
// the map's workers compute each cell as the page's own thread does, for the
// whole map, a zoomed region and the map of where a rounding changes the
// count; and where the browser refuses workers, the page's thread runs the
// program and computes the map alone, as right.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFile } from 'node:fs/promises';
import { join } from 'node:path';
import {
  opener, root, engine, screen, screenText, typeKeys, saveScreen, waitFor, mapCell, mapDone, cellPoint,
} from './page.mjs';

const opened = opener(after);
const workersOf = (page) => page.getByRole('application', { name: 'Map' }).getAttribute('data-workers');
// The workers start once the first screen is up, and the first map may be
// done before one is ready.
const workersReady = (page) => page.locator('#map[data-workers]:not([data-workers="0"])').waitFor();
const runsIn = (page) => screen(page).getAttribute('data-runs-in');
const dialogue = (name) => readFile(join(root, 'tests/dialogues', name));

// Start -3 is column 40 of the whole map and λ 0.25 row 8: the README's cell.
async function pointAtTheReadmesCell(page) {
  await page.getByRole('application', { name: 'Map' }).hover({ position: await cellPoint(page, 40, 8) });
  await mapCell(page).filter({ hasText: 'start -3, λ 0.25: Done after: 129 runs' }).waitFor();
}

test("the workers' maps are the page thread's, cell for cell", async () => {
  const { page, url } = await opened();
  await page.goto(url);
  await waitFor(page, 'waiting for input');
  await mapDone(page);
  await workersReady(page);
  assert.ok(Number(await workersOf(page)) >= 1, 'the page computes its map with workers');
  await pointAtTheReadmesCell(page);

  // The page's own map and workers, given maps to compute apart from the
  // one on show, against the same maps computed on the page's thread.
  const differ = await page.evaluate(async () => {
    const { RunMap } = await import('./views/map/map.mjs');
    const { Computation, Comparison } = await import('./map/cells.mjs');
    const { WHOLE, axisOver, axisText } = await import('./map/grid.mjs');
    const { Program } = await import('./module/program.mjs');
    const { Workers } = await import('./module/map-workers.mjs');
    const { workerScript } = await import('./shared/worker-script.mjs');
    const module = await WebAssembly.compile(await (await fetch('damped-newton.wasm')).arrayBuffer());
    const program = await Program.load(module);
    const canvas = document.body.appendChild(document.createElement('canvas'));
    const map = new RunMap({
      canvas, selection: document.createElement('div'), cellText: document.createElement('p'),
      progress: document.createElement('p'), limitText: document.createElement('p'),
    });
    const workers = await new Promise((ready) => {
      const started = new Workers(module, workerScript('module/map-worker.mjs'));
      started.onReady = () => ready(started);
      started.start();
    });
    const zoomed = { start: axisOver(-1.3, -0.3, 321), lambda: axisOver(1.1, 1.35, 79) };
    const maps = [
      { grid: WHOLE, limit: 500, rounding: null },
      { grid: zoomed, limit: 200, rounding: null },
      { grid: WHOLE, limit: 500, rounding: { number: 1, label: 'the products' } },
    ];
    const differ = [];
    for (const { grid, limit, rounding } of maps) {
      map.show({ program, workers, grid, limit, rounding });
      const computed = map.computation;
      while (computed.done < computed.cellCount) await new Promise((later) => setTimeout(later, 20));
      const own = new Computation(program, grid, limit);
      const here = rounding ? new Comparison(own, new Computation(program, grid, limit, rounding.number)) : own;
      while (here.next(Infinity, () => {}));
      for (let j = 0; j < here.rows; j++) {
        for (let i = 0; i < here.columns; i++) {
          const [a, b] = [computed.known(i, j), here.known(i, j)].map((outcome) => JSON.stringify(outcome));
          if (a !== b) differ.push(`start ${axisText(grid.start, i)}, λ ${axisText(grid.lambda, j)}: ${a}, not ${b}`);
        }
      }
      differ.push(`${computed.cellCount} cells by ${workers.count} workers${rounding ? `, ${computed.differ} differ` : ''}`);
    }
    canvas.remove();
    return differ;
  });
  // The products change 9,540 cells of the whole map (docs/rounding.md).
  assert.deepEqual(differ.map((line) => line.replace(/by \d+ workers/, 'by workers')),
    ['25359 cells by workers', '40501 cells by workers', '25359 cells by workers, 9540 differ']);
});

// The worker's script held back until the dialogue is under way.
test('a run begun on the page goes over to the worker as it waits, screen and all', {
  skip: !engine.requests && "WebKit's driver cannot hold back a request",
}, async () => {
  const { page, url } = await opened();
  let release;
  const held = new Promise((resolve) => { release = resolve; });
  await page.route('**/runner-worker.mjs', async (route) => {
    await held;
    await route.continue();
  });
  await page.goto(url);
  await waitFor(page, 'waiting for input');
  await screen(page).click();
  await typeKeys(page, 'n\n-2\n');
  assert.equal(await runsIn(page), 'page');
  release();
  await page.locator('#screen[data-runs-in="worker"]').waitFor();
  await typeKeys(page, '1\n500\n0\n');
  await waitFor(page, 'exit status 0');
  assert.deepEqual(await saveScreen(page), await dialogue('start-minus-2-undamped.out'));
  const shown = await screenText(page);
  assert.ok(shown.startsWith('y for default values / n to input values\nn\nenter startpoint (double): -2\n\n'
    + 'enter lambda (double): 1\n\nenter maxRuns int: 500\n\n\n-1.8\n'), shown);
  assert.ok(shown.endsWith('\nDone after: 6 runs\n0\n'), shown);
});

test('where the browser refuses workers, the page runs the program and computes the map itself', async () => {
  const browser = await opened({ headers: { 'Content-Security-Policy': "worker-src 'none'" } });
  const { page, url } = browser;
  await page.goto(url);
  await waitFor(page, 'waiting for input');
  await mapDone(page);
  assert.equal(await workersOf(page), '0', 'no worker computes');
  await pointAtTheReadmesCell(page);
  await screen(page).click();
  await typeKeys(page, 'y\n0\n');
  await waitFor(page, 'exit status 0');
  assert.equal(await runsIn(page), 'page');
  assert.deepEqual(await saveScreen(page), await dialogue('builtin-values.out'));
  // The browser's own report of the workers it refused is no fault of the page.
  const refused = /Content.Security.Policy|worker-src/i;
  browser.errors.splice(0, Infinity, ...browser.errors.filter((error) => !refused.test(error)));
});
