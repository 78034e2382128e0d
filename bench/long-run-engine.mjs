// The long run of 2,000,000 NaN lines in the engine that ENGINE names
// (chromium, firefox or webkit, as for the browser tests; WebKit under
// xvfb-run), against the native program writing the same lines into a pipe,
// pair after pair. Reports, never fails.
// Usage: ENGINE=firefox node bench/long-run-engine.mjs NATIVE-PROGRAM [PAIRS]
import * as helpers from '../tests/browser/page.mjs';
import { againstNative } from './long-run.mjs';

const [native, pairs = 3] = process.argv.slice(2);
const browser = await helpers.open();
await againstNative(helpers, browser.page, browser.url, native, pairs, helpers.engineName);
await browser.close();
