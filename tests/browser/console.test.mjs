// The console in the page, used as a person uses it: keys typed at each wait,
// text pasted ahead, buttons clicked by their names, the screen read back.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFile } from 'node:fs/promises';
import { join } from 'node:path';
import {
  open, root, screen, screenText, state, waitFor, saveScreen, paste, typeKeys, dialogues,
  readmeTranscripts, expand,
} from './page.mjs';

let browser;
let page;
before(async () => {
  browser = await open();
  page = browser.page;
  await page.goto(browser.url);
  await waitFor(page, 'waiting for input');
});
after(async () => {
  assert.deepEqual(browser.errors, [], 'no page error is logged');
  await browser.close();
});

const runAgain = async () => {
  await page.getByRole('button', { name: 'Run again' }).click();
  await waitFor(page, 'waiting for input');
};

test("the README's transcripts, typed key by key at each wait", async () => {
  const transcripts = await readmeTranscripts();
  assert.equal(transcripts.length, 2, 'the README shows the built-in run and one of typed values');
  for (const transcript of transcripts) {
    await runAgain();
    await screen(page).click();
    for (;;) {
      const shown = await screenText(page);
      const expected = expand(transcript, shown);
      assert.ok(expected.startsWith(shown), `the screen so far is the transcript's start:\n${shown}`);
      // What was typed at this wait is the rest of the transcript's line.
      const typed = expected.slice(shown.length, expected.indexOf('\n', shown.length) + 1);
      await typeKeys(page, typed);
      await waitFor(page, /waiting for input|exit status/);
      if ((await state(page)).startsWith('exit status')) break;
    }
    assert.equal(await state(page), 'exit status 0');
    const shown = await screenText(page);
    assert.equal(shown, expand(transcript, shown));
  }
});

test('every dialogue, pasted ahead, saves its screen', async () => {
  for (const { name, input, screen: expected } of await dialogues()) {
    await runAgain();
    // The bytes as characters: above 127 a browser sends what typing the
    // character sends (UTF-8), which the program reads as not n all the same.
    await paste(page, input.toString('latin1'));
    // Ctrl-D sends a line without its end; on an empty line it ends input.
    if (input.length && input.at(-1) !== 0x0a) await page.keyboard.press('Control+D');
    await page.keyboard.press('Control+D');
    await waitFor(page, 'exit status');
    assert.equal(await state(page), 'exit status 0', name);
    assert.equal((await saveScreen(page)).toString('latin1'), expected.toString('latin1'), name);
  }
});

test('a megabyte on one line reaches the program whole', async () => {
  await runAgain();
  // Start 1 after a million zeros, undamped: 0, 1, 0.
  await paste(page, `n\n${'0'.repeat(1 << 20)}1\n1\n3\n0\n`);
  await waitFor(page, 'exit status');
  assert.equal((await saveScreen(page)).toString(),
    'y for default values / n to input values\nenter startpoint (double): \n'
    + 'enter lambda (double): \nenter maxRuns int: \n\n0\n1\n0\n');
});

test('Backspace edits the line, and Enter sends only what is left', async () => {
  await runAgain();
  await screen(page).click();
  await typeKeys(page, 'nx');
  await page.keyboard.press('Backspace');
  await typeKeys(page, '\n-2.5');
  await page.keyboard.press('Backspace');
  await page.keyboard.press('Backspace');
  await typeKeys(page, '\n1\n2\n');
  await waitFor(page, 'waiting for input');
  assert.equal(await screenText(page),
    'y for default values / n to input values\nn\nenter startpoint (double): -2\n\n'
    + 'enter lambda (double): 1\n\nenter maxRuns int: 2\n\n\n-1.8\n-1.76995\n');
});

test('Run again brings the built-in values back', async () => {
  await runAgain();
  await screen(page).click();
  await typeKeys(page, 'n\n3\n0.25\n4\n0\n');
  await waitFor(page, 'exit status 0');
  await runAgain();
  await typeKeys(page, 'y\n0\n');
  await waitFor(page, 'exit status 0');
  assert.deepEqual(await saveScreen(page), await readFile(join(root, 'tests/dialogues/builtin-values.out')));
});

test('Stop ends a waiting program', async () => {
  await runAgain();
  await page.getByRole('button', { name: 'Stop' }).click();
  await waitFor(page, 'stopped');
  assert.equal(await state(page), 'stopped');
  assert.ok(await page.getByRole('button', { name: 'Stop' }).isDisabled());
});
