// Draws the page as the README shows it: page.png, the lesson's first step,
// the built-in run, stepped back to run 13, the run that leaves the valley;
// page-map.png, the whole page after the map's cell at start -3, λ 0.25 was
// clicked and is pointed at; and page-cycle.png, the runs to the last bit of
// the lesson's fifth step, start -2 with λ 1.7, whose iterate alternates
// between two doubles. Run it again whenever the page changes.
// Usage: node docs/page-screenshot.mjs OUTPUT-DIRECTORY   (needs chromium and npm ci)
import { join } from 'node:path';
import { open, waitFor } from '../tests/browser/page.mjs';

const browser = await open({ width: 1280, height: 1240 });
const { page } = browser;
await page.goto(`${browser.url}?step=1`);
await waitFor(page, 'waiting for input');
await page.locator('#lesson-says').filter({ hasText: 'Why: ' }).waitFor();
await page.getByRole('button', { name: 'Previous run' }).click();
for (let run = 62; run > 13; run--) await page.keyboard.press('ArrowLeft');
await page.getByRole('figure').locator('figcaption').filter({ hasText: /^run 13:/ }).waitFor();
await page.evaluate(() => document.activeElement.blur());
await page.screenshot({ path: join(process.argv[2], 'page.png') });

// Start -3 is column 40 of the map, λ 0.25 row 8.
await page.goto(browser.url);
await page.locator('#map-progress').filter({ hasText: /^25,359 of 25,359 cells$/ }).waitFor();
const map = page.getByRole('application', { name: 'Map' });
const [left, top, width, height] = (await map.getAttribute('data-plot')).split(' ').map(Number);
const cell = { x: left + (40.5 * width) / 321, y: top + height - (8.5 * height) / 79 };
await map.click({ position: cell });
await waitFor(page, 'waiting for input');
await page.locator('#read-as').filter({ hasText: 'start -3, λ 0.25, limit 500' }).waitFor();
await map.hover({ position: cell });
await page.screenshot({ path: join(process.argv[2], 'page-map.png'), fullPage: true });
await page.goto(`${browser.url}?step=5`);
await waitFor(page, 'waiting for input');
await page.locator('#ending').filter({ hasText: 'gaps' }).waitFor();
await page.evaluate(() => document.activeElement.blur());
await page.locator('section.bits').screenshot({ path: join(process.argv[2], 'page-cycle.png') });
if (browser.errors.length) throw new Error(browser.errors.join('\n'));
await browser.close();
