// The page: loads the program, runs it in the console beside its picture,
// the controls, the map and the other roundings, wires the buttons, and
// replays the dialogue that a link carries.
import { Console, Stopped } from './console.mjs';
import { Picture } from './picture.mjs';
import { Program } from './program.mjs';
import { Controls, PARAMETER } from './controls.mjs';
import { RunMap } from './map.mjs';
import { Workers } from './map-workers.mjs';
import { Runner } from './runner.mjs';
import { LastBits } from './last-bits.mjs';
import { Roundings, ROUNDINGS } from './roundings.mjs';
import { saveBlob, saveSvg, saveCanvas } from './save.mjs';

const $ = (id) => document.getElementById(id);
const stopButton = $('stop');
const againButton = $('again');
const saveButton = $('save');
const notice = $('notice');

// Longer addresses cannot be opened everywhere: Python's server refuses a
// request line past 64 KiB.
const LONGEST_LINK = 64000;

let program;
let runner;
let workers;
let picture;
let lastBits;
let roundings;

// What this run was sent, for "Copy link"; whether the controls typed it; and
// whether what it read is known yet (once its reads have all been answered).
let typed = '';
let typedEndsInWord = false;  // whether typed's last character is not a blank
let typedByControls = false;
let inputEnded = false;
let readKnown = false;

const screen = new Console($('screen'), $('keys'), {
  onChange(current) {
    $('state').textContent = current.state;
    workers?.leaveCores(current.state === 'running');
    if (runner) moveToWorker();
    const dropped = current.droppedLines;
    $('dropped').textContent = dropped
      ? `the earliest ${dropped.toLocaleString('en')} lines have left the screen` : '';
  },
  onInput(text) {
    // Blank lines cannot end a read unless the text before them could still
    // go on: the program's reads are asked again only when something can.
    // The text's end is kept as a flag: a test of the whole text at every
    // line would cost a long link time that grows with its square.
    const mayEndRead = text === null || /\S/.test(text) || typedEndsInWord;
    if (text === null) inputEnded = true;
    else if (text) {
      typed += text;
      typedEndsInWord = /\S$/.test(text);
    }
    if (!readKnown && mayEndRead) {
      const read = program.read(typed);
      if (!read.toEnd || inputEnded) showRead(read);
    }
  },
  onOutput: (bytes) => picture.addOutput(bytes),
});

const terminal = document.querySelector('.terminal');
$('keys').addEventListener('focus', () => terminal.classList.add('focused'));
$('keys').addEventListener('blur', () => terminal.classList.remove('focused'));

const controls = new Controls({
  startText: $('start-text'), lambdaText: $('lambda-text'), limitText: $('limit-text'),
  lambdaSlider: $('lambda-slider'), handle: $('handle'), tries: $('tries'), readAs: $('read-as'),
}, (texts) => start(`n\n${texts.start}\n${texts.lambda}\n${texts.limit}\n`, { byControls: true }));
controls.onDrag = (range) => picture.lockX(range);

const map = new RunMap($('map'), {
  cellText: $('map-cell'),
  progress: $('map-progress'),
  limitText: $('map-limit'),
  choose: (startText, lambdaText, limitText) => controls.choose(startText, lambdaText, limitText),
});
$('whole').addEventListener('click', () => map.whole());
// The map shows where each run ends, or where a rounding changes that.
const mapShows = $('map-shows');
for (const { number, label } of ROUNDINGS) mapShows.add(new Option(`where ${label} changes it`, number));
mapShows.addEventListener('change', () => {
  const rounding = ROUNDINGS.find(({ number }) => number === Number(mapShows.value)) ?? null;
  map.show({ rounding });
});

// What the run read moves the controls and the map's mark, and its limit is
// the map's.
function showRead(read) {
  readKnown = true;
  picture.setRead(read);
  roundings.show(read);
  controls.showRead(read, typedByControls);
  const failed = PARAMETER[read.failed];
  map.setMark({
    start: read.start, lambda: read.lambda, startText: read.startText, lambdaText: read.lambdaText,
    note: failed && `after the read of ${failed} failed`,
  });
  if (read.limit !== map.limit) map.show({ limit: read.limit });
}

let runs = 0;  // which run is current: an old run that ends says nothing

async function start(input = '', { byControls = false } = {}) {
  const thisRun = ++runs;
  typed = '';
  typedEndsInWord = false;
  typedByControls = byControls;
  inputEnded = false;
  readKnown = false;
  picture.reset();
  roundings.show(null);
  controls.forgetRead(byControls);
  map.setMark(null);
  const host = screen.session();
  screen.replay(input.match(/[^\n]*\n|[^\n]+$/g) ?? []);
  notice.textContent = '';
  stopButton.disabled = false;
  for (const button of [againButton, saveButton, $('copy')]) button.disabled = false;
  if (!input) screen.focus();
  // The page's first run does not wait for the worker.
  await ended(thisRun, runner.run(host, { now: thisRun === 1 }));
}

// The end of a run, told when it is still the current one.
async function ended(thisRun, running) {
  let ending;
  try {
    ending = `exit status ${await running}`;
  } catch (error) {
    ending = error instanceof Stopped ? 'stopped' : `failed: ${error.message}`;
  }
  if (thisRun !== runs) return;
  screen.finish(ending);
  picture.update();
  stopButton.disabled = true;
}

// A run begun on the page's thread before the worker was ready goes over to
// the worker once it is, while the run waits for input: the worker's run
// reads again what it read, and writes again what is on screen.
function moveToWorker() {
  if (!runner.here || !runner.isReady || screen.state !== 'waiting for input') return;
  ended(++runs, runner.run(screen.session({ continued: true })));
}

stopButton.addEventListener('click', () => screen.stop());
againButton.addEventListener('click', () => {
  screen.stop();
  start();
});

saveButton.addEventListener('click', () => {
  saveBlob(new Blob(screen.savedOutput(), { type: 'text/plain' }), 'damped-newton-screen.txt');
  const { lines, partly } = screen.droppedOutput;
  const count = `${lines.toLocaleString('en')} ${lines === 1 ? 'line' : 'lines'}`;
  const missing = lines ? `the first ${count} the program wrote${partly ? ' and the start of the next' : ''}`
    : partly ? 'the start of the first line the program wrote' : '';
  notice.textContent = missing ? `Saved without ${missing}, which had left the screen.` : '';
});

// The address that replays what has been typed so far.
$('copy').addEventListener('click', async () => {
  const address = new URL(location.href);
  address.search = typed ? `?input=${encodeURIComponent(typed)}` : '';
  if (address.href.length > LONGEST_LINK) {
    notice.textContent = `The link would be ${address.href.length.toLocaleString('en')} characters long, `
      + `more than the ${LONGEST_LINK.toLocaleString('en')} a link can have to open everywhere; it was not copied.`;
    return;
  }
  try {
    await navigator.clipboard.writeText(address.href);
    notice.textContent = `Link copied: ${address.href}`;
  } catch {
    notice.textContent = `Copy this link: ${address.href}`;
  }
});

// Stepping through the runs: the buttons, and the arrow keys on the picture
// or its buttons.
$('previous').addEventListener('click', () => picture.step(-1));
$('next').addEventListener('click', () => picture.step(1));
$('follow').addEventListener('click', () => picture.follow());
document.querySelector('.drawing').addEventListener('keydown', (event) => {
  if (!event.target.matches('figure, .drawing > .buttons button')) return;
  const action = { ArrowLeft: () => picture.step(-1), ArrowRight: () => picture.step(1),
    Escape: () => picture.follow(), End: () => picture.follow() }[event.key];
  if (action) {
    event.preventDefault();
    action();
  }
});

$('save-picture').addEventListener('click', () => saveSvg($('picture'), 'damped-newton-picture.svg'));
$('save-moves').addEventListener('click', () => saveSvg($('moves'), 'damped-newton-ulps.svg'));
$('save-map').addEventListener('click', () => saveCanvas($('map'), 'damped-newton-map.png'));

// The table of runs: a click or the arrow keys choose a run, as in the
// picture; "Copy table" gives its rows for a spreadsheet.
$('bits-frame').addEventListener('keydown', (event) => {
  const by = { ArrowUp: -1, ArrowDown: 1 }[event.key];
  if (!by) return;
  event.preventDefault();
  picture.step(by);
});
$('copy-table').addEventListener('click', async () => {
  const text = lastBits.tableText();
  const rows = text.split('\n').length - 2;
  try {
    await navigator.clipboard.writeText(text);
    $('bits-notice').textContent = `Copied the ${rows === 1 ? 'row' : `${rows} rows`} shown, `
      + 'with their headers, as tab-separated text.';
  } catch (error) {
    $('bits-notice').textContent = `The table could not be copied: ${error.message}`;
  }
});

// The module: beside the page, or inside it where the page is one file.
async function moduleBytes() {
  const inside = document.getElementById('module-bytes');
  if (inside) return Uint8Array.from(atob(inside.textContent), (char) => char.charCodeAt(0));
  const response = await fetch('damped-newton.wasm');
  if (!response.ok) throw new Error(`damped-newton.wasm: ${response.status} ${response.statusText}`);
  return response.arrayBuffer();
}

try {
  const module = await WebAssembly.compile(await moduleBytes());
  program = await Program.load(module);
  runner = new Runner(module, $('screen'));
  runner.ready.then(moveToWorker);
  workers = new Workers(module, () => map.compute());
  workers.leaveCores(screen.state === 'running');
  picture = new Picture($('picture'), { caption: $('caption'), said: $('caption-said'), notes: $('notes') }, program);
  lastBits = new LastBits({
    table: $('bits-table'), ending: $('ending'), plot: $('moves'), plotCaption: $('moves-caption'),
  }, program);
  lastBits.onChoose = (run) => picture.chooseRun(run);
  roundings = new Roundings({
    body: $('roundings-table').tBodies[0], choice: $('rounding-choice'), about: $('rounding-about'),
  }, program);
  // A rounding chosen: its run drawn, its iterates in the table, and the
  // run where it parts from the program's chosen, once that run is printed.
  roundings.onChoose = (rounding, byHand) => {
    lastBits.setRounding(rounding);
    picture.setRounding(rounding);
    if (byHand && rounding?.parts) picture.choose(rounding.parts);
  };
  picture.onDraw = (view) => {
    controls.setView(view);
    lastBits.show(picture);
  };
  map.show({ program, workers });
  start(new URLSearchParams(location.search).get('input') ?? '');
  // The workers start once the first screen is up: started with the page,
  // they slowed it, and the first run and the map begin on the page's thread.
  requestAnimationFrame(() => setTimeout(() => {
    runner.start();
    workers.start();
  }));
} catch (error) {
  $('state').textContent = `the program could not be loaded: ${error.message}`;
}
