// The page's long run: 2,000,000 NaN lines (start 1e200, λ 0.5) typed into a
// page, timed from the Enter of the last answer until the program waits for
// its final number. `helpers` are the tests/browser/page.mjs of the checkout
// whose page is open, so that another checkout's page is typed into alike.
export const lines = 2000000;
export const answers = `n\n1e200\n0.5\n${lines}\n`;

// Seconds, for the page at url.
export async function timeLongRun({ screen, waitFor, typeKeys }, page, url) {
  await page.goto(url);
  await waitFor(page, 'waiting for input');
  await screen(page).click();
  await typeKeys(page, answers.slice(0, -1));
  const started = performance.now();
  await page.keyboard.press('Enter');
  await page.getByRole('status').filter({ hasText: 'waiting for input' }).waitFor({ timeout: 120000 });
  return (performance.now() - started) / 1000;
}
