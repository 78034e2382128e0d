// The page: finds its elements, builds the parts and connects them. It loads
// the program, starts a session for each dialogue typed, and replays what a
// link carries; what the session holds lives in the parts, not here.
import { Program } from './module/program.mjs';
import { Stopped } from './module/wasi.mjs';
import { Workers } from './module/map-workers.mjs';
import { Runner } from './module/runner.mjs';
import { ROUNDINGS } from './module/roundings.mjs';
import { Runs } from './runs/runs.mjs';
import { Typed } from './runs/typed.mjs';
import { Lesson, STEPS } from './runs/lesson.mjs';
import { WHOLE, gridOf, gridText } from './map/grid.mjs';
import { Console } from './views/console.mjs';
import { Picture } from './views/picture.mjs';
import { Controls, PARAMETER } from './views/controls.mjs';
import { StartHandle } from './views/handle.mjs';
import { RunMap } from './views/map/map.mjs';
import { RunsTable } from './views/runs-table.mjs';
import { UlpsPlot } from './views/ulps-plot.mjs';
import { Roundings } from './views/roundings.mjs';
import { LessonView, stepLink } from './views/lesson.mjs';
import { TolerancePanel } from './views/tolerance.mjs';
import { saveBlob, saveSvg, saveCanvas } from './shared/save.mjs';
import { copyText } from './shared/clipboard.mjs';
import { Throttle } from './shared/throttle.mjs';
import { workerScript } from './shared/worker-script.mjs';

const $ = (id) => document.getElementById(id);
const stopButton = $('stop');
const notice = $('notice');

// Longer addresses cannot be opened everywhere: Python's server refuses a
// request line past 64 KiB.
const LONGEST_LINK = 64000;

const screen = new Console($('screen'), $('keys'));
const controls = new Controls({
  startText: $('start-text'), lambdaText: $('lambda-text'), limitText: $('limit-text'),
  lambdaSlider: $('lambda-slider'), tries: $('tries'), readAs: $('read-as'),
});
const handle = new StartHandle($('handle'));
const map = new RunMap({
  canvas: $('map'), selection: $('map-selection'), cellText: $('map-cell'), progress: $('map-progress'),
  limitText: $('map-limit'),
});
const mapShows = $('map-shows');
for (const { number, label } of ROUNDINGS) mapShows.add(new Option(`where ${label} changes it`, number));

// Set once the module has loaded.
let program;
let runner;
let workers;
let runs;
let typed;
let roundings;
let sessions = 0;  // which session is current: an earlier one that ends says nothing

function consoleChanged(current) {
  $('state').textContent = current.state;
  workers?.leaveCores(current.state === 'running');
  if (runner) moveToWorker();
  const dropped = current.droppedLines;
  $('dropped').textContent = dropped ? `the earliest ${dropped.toLocaleString('en')} lines have left the screen` : '';
}
screen.onChange = consoleChanged;
consoleChanged(screen);
screen.onInput = (text) => {
  const read = typed?.add(text);
  if (read) showRead(read);
};
// The program's lines are followed once a frame, or at once past a
// mebibyte: a tab in the background gets no frames.
const following = new Throttle(0, () => runs.update(), { inFrame: true });
screen.onOutput = (bytes) => {
  runs.add(bytes);
  if (runs.waiting > 2 ** 20) following.now();
  else following.soon();
};
const terminal = document.querySelector('.terminal');
$('keys').addEventListener('focus', () => terminal.classList.add('focused'));
$('keys').addEventListener('blur', () => terminal.classList.remove('focused'));

controls.onRun = (texts) => start(`n\n${texts.start}\n${texts.lambda}\n${texts.limit}\n`, { byControls: true });
handle.onMove = (text) => controls.typeStart(text);
handle.onDrag = (range) => picture?.lockX(range);
map.onChoose = (startText, lambdaText, limitText) => controls.choose(startText, lambdaText, limitText);
$('whole').addEventListener('click', () => map.whole());
// The map shows where each cell's runs end, or where a rounding changes that.
mapShows.addEventListener('change', () => {
  map.show({ rounding: ROUNDINGS.find(({ number }) => number === Number(mapShows.value)) ?? null });
});

// What the session read moves the controls and the map's mark, and its
// limit is the map's.
function showRead(read) {
  runs.setRead(read);
  roundings.show(read);
  controls.showRead(read, typed.byControls);
  handle.show(read.start, read.startText);
  const failed = PARAMETER[read.failed];
  map.setMark({
    start: read.start, lambda: read.lambda, startText: read.startText, lambdaText: read.lambdaText,
    note: failed && `after the read of ${failed} failed`,
  });
  if (read.limit !== map.limit) map.show({ limit: read.limit });
}

// A fresh session, with `input` typed into it as a person would.
async function start(input = '', { byControls = false } = {}) {
  const session = ++sessions;
  typed = new Typed(program, byControls);
  following.cancel();
  runs.reset();
  roundings.show(null);
  controls.forgetRead();
  // A dialogue the controls typed keeps the handle's words, which are what
  // it typed.
  handle.show(handle.start, byControls ? handle.words : null);
  map.setMark(null);
  const host = screen.session();
  screen.replay(input.match(/[^\n]*\n|[^\n]+$/g) ?? []);
  notice.textContent = '';
  stopButton.disabled = false;
  for (const button of [$('again'), $('save'), $('copy')]) button.disabled = false;
  if (!input) screen.focus();
  // The page's first session does not wait for the worker.
  await ended(session, runner.run(host, { now: session === 1 }));
}

// The end of a session, told when it is still the current one.
async function ended(session, running) {
  let ending;
  try {
    ending = `exit status ${await running}`;
  } catch (error) {
    ending = error instanceof Stopped ? 'stopped' : `failed: ${error.message}`;
  }
  if (session !== sessions) return;
  screen.finish(ending);
  following.now();
  stopButton.disabled = true;
}

// A session begun on the page's thread before the worker was ready goes
// over to the worker once it is, while the program waits for input: the
// worker's program reads again what it read, and writes again what is on
// screen.
function moveToWorker() {
  if (!runner.here || !runner.isReady || screen.state !== 'waiting for input') return;
  ended(++sessions, runner.run(screen.session({ continued: true })));
}

stopButton.addEventListener('click', () => screen.stop());
$('again').addEventListener('click', () => {
  screen.stop();
  start();
});

$('save').addEventListener('click', () => {
  saveBlob(new Blob(screen.savedOutput(), { type: 'text/plain' }), 'damped-newton-screen.txt');
  const { lines, partly } = screen.droppedOutput;
  const count = `${lines.toLocaleString('en')} ${lines === 1 ? 'line' : 'lines'}`;
  const missing = lines ? `the first ${count} the program wrote${partly ? ' and the start of the next' : ''}`
    : partly ? 'the start of the first line the program wrote' : '';
  notice.textContent = missing ? `Saved without ${missing}, which had left the screen.` : '';
});

// The address that replays what is on show: the lesson's step, or what has
// been typed so far; the rounding drawn beside; the map's view.
function linkOf() {
  const address = new URL(location.href);
  const onStep = lesson.onScreen(typed.text);
  const parameters = new URLSearchParams(onStep ? stepLink(lesson.index) : '');
  if (!onStep && typed.text) parameters.set('input', typed.text);
  const rounding = runs.rounding?.number;
  if (rounding) parameters.set('rounding', rounding);
  if (gridText(map.grid) !== gridText(WHOLE)) parameters.set('map', gridText(map.grid));
  if (mapShows.value !== '0') parameters.set('shows', mapShows.value);
  address.search = parameters.toString();
  return address.href;
}

$('copy').addEventListener('click', async () => {
  const address = linkOf();
  if (address.length > LONGEST_LINK) {
    notice.textContent = `The link would be ${address.length.toLocaleString('en')} characters long, `
      + `more than the ${LONGEST_LINK.toLocaleString('en')} a link can have to open everywhere; it was not copied.`;
    return;
  }
  notice.textContent = await copyText(address) ? `Copy this link: ${address}` : `Link copied: ${address}`;
});

// Stepping through the runs: the buttons, and the arrow keys on the picture
// or its buttons, and on the table.
$('previous').addEventListener('click', () => runs.step(-1));
$('next').addEventListener('click', () => runs.step(1));
$('follow').addEventListener('click', () => runs.follow());
document.querySelector('.drawing').addEventListener('keydown', (event) => {
  if (!event.target.matches('figure, .drawing > .buttons button')) return;
  const action = { ArrowLeft: () => runs.step(-1), ArrowRight: () => runs.step(1),
    Escape: () => runs.follow(), End: () => runs.follow() }[event.key];
  if (action) {
    event.preventDefault();
    action();
  }
});
$('bits-frame').addEventListener('keydown', (event) => {
  const by = { ArrowUp: -1, ArrowDown: 1 }[event.key];
  if (!by) return;
  event.preventDefault();
  runs.step(by);
});

$('save-picture').addEventListener('click', () => saveSvg($('picture'), 'damped-newton-picture.svg'));
$('save-moves').addEventListener('click', () => saveSvg($('moves'), 'damped-newton-ulps.svg'));
$('save-map').addEventListener('click', () => saveCanvas($('map'), 'damped-newton-map.png'));

// "Copy table" gives the rows shown for a spreadsheet.
$('copy-table').addEventListener('click', async () => {
  const text = table.tableText();
  const rows = text.split('\n').length - 2;
  const failed = await copyText(text);
  $('bits-notice').textContent = failed ? `The table could not be copied: ${failed.message}`
    : `Copied the ${rows === 1 ? 'row' : `${rows} rows`} shown, with their headers, as tab-separated text.`;
});

// The module: beside the page, or inside it where the page is one file.
async function moduleBytes() {
  const inside = document.getElementById('module-bytes');
  if (inside) return Uint8Array.from(atob(inside.textContent), (char) => char.charCodeAt(0));
  const response = await fetch('damped-newton.wasm');
  if (!response.ok) throw new Error(`damped-newton.wasm: ${response.status} ${response.statusText}`);
  return response.arrayBuffer();
}

// What a link asks to show, besides what it types.
const asked = new URLSearchParams(location.search);
const lesson = new Lesson();

let picture;
let table;
try {
  const module = await WebAssembly.compile(await moduleBytes());
  program = await Program.load(module);
  runner = new Runner(module, workerScript('module/runner-worker.mjs'));
  runner.onPlace = (here) => {
    $('screen').dataset.runsIn = here ? 'page' : 'worker';
  };
  runner.ready.then(moveToWorker);
  workers = new Workers(module, workerScript('module/map-worker.mjs'));
  workers.onReady = () => map.compute();
  workers.leaveCores(screen.state === 'running');
  runs = new Runs(program);
  picture = new Picture($('picture'), { caption: $('caption'), said: $('caption-said'), notes: $('notes') }, runs, program);
  table = new RunsTable({ table: $('bits-table'), ending: $('ending') }, runs, program);
  const plot = new UlpsPlot({ plot: $('moves'), plotCaption: $('moves-caption') }, runs, program);
  roundings = new Roundings({
    body: $('roundings-table').tBodies[0], choice: $('rounding-choice'), about: $('rounding-about'),
  }, program);
  const tolerance = new TolerancePanel({ field: $('tolerance-text'), says: $('tolerance-says') }, runs, program);
  const lessonView = new LessonView({
    section: $('lesson'), steps: $('lesson-steps'), name: $('lesson-step-name'), says: $('lesson-says'),
    look: $('lesson-look'), previous: $('lesson-previous'), next: $('lesson-next'),
  }, lesson);
  // A step types its dialogue as the controls would; its sentences come
  // once its runs have ended.
  lesson.onGo = (step) => {
    lessonView.show();
    controls.choose(step.start, step.lambda, step.limit);
  };
  const tellLesson = () => lessonView.tell(lesson.onScreen(typed.text) ? lesson.says(runs, program) : undefined);
  // The picture is drawn first: the handle follows its view.
  runs.onChange = (urgent) => {
    picture.changed(urgent);
    table.changed(urgent);
    plot.changed(urgent);
    tolerance.changed();
    if (lesson.step) tellLesson();
  };
  picture.onDraw = (view) => handle.setView(view);
  // A rounding chosen: its run drawn and in the table, and the run where it
  // parts from the program's chosen, once that run is printed.
  roundings.onChoose = (rounding, byHand) => {
    runs.setRounding(rounding);
    if (byHand && rounding?.parts) runs.chooseNumber(rounding.parts);
  };
  // A link's rounding, map view and map rounding, then its step or its typing.
  const rounding = $('rounding-choice').querySelector(`input[value="${CSS.escape(asked.get('rounding') ?? '')}"]`);
  if (rounding) rounding.checked = true;
  const shows = ROUNDINGS.find(({ number }) => String(number) === asked.get('shows'));
  if (shows) mapShows.value = shows.number;
  map.show({ program, workers, grid: gridOf(asked.get('map')) ?? WHOLE, rounding: shows ?? null });
  const step = Number(asked.get('step'));
  if (Number.isInteger(step) && step >= 1 && step <= STEPS.length) lesson.go(step - 1);
  else start(asked.get('input') ?? '');
  // The workers start once the first screen is up: started with the page,
  // they slowed it, and the first session and the map begin on the page's thread.
  requestAnimationFrame(() => setTimeout(() => {
    runner.start();
    workers.start();
  }));
} catch (error) {
  $('state').textContent = `the program could not be loaded: ${error.message}`;
}
