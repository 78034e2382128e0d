// Draws page.png, the page as the README shows it: the link that replays the
// built-in run, stepped back to run 13, the run that leaves the valley. Run
// it again whenever the page changes.
// Usage: node docs/page-screenshot.mjs OUTPUT-DIRECTORY   (needs chromium and npm ci)
import { join } from 'node:path';
import { open, waitFor, replayAddress } from '../tests/browser/page.mjs';

const browser = await open({ width: 1280, height: 860 });
const { page } = browser;
await page.goto(replayAddress(browser.url, 'y\n'));
await waitFor(page, 'waiting for input');
await page.getByRole('button', { name: 'Previous run' }).click();
for (let run = 62; run > 13; run--) await page.keyboard.press('ArrowLeft');
await page.getByRole('figure').locator('figcaption').filter({ hasText: /^run 13:/ }).waitFor();
await page.evaluate(() => document.activeElement.blur());
await page.screenshot({ path: join(process.argv[2], 'page.png') });
if (browser.errors.length) throw new Error(browser.errors.join('\n'));
await browser.close();
