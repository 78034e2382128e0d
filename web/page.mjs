// The page: loads the program, runs it in the console beside its picture,
// wires the buttons, and replays the dialogue that a link carries.
import { run } from './wasi.mjs';
import { Console, Stopped } from './console.mjs';
import { Picture } from './picture.mjs';

const $ = (id) => document.getElementById(id);
const stopButton = $('stop');
const againButton = $('again');
const saveButton = $('save');
const notice = $('notice');

const picture = new Picture($('picture'), $('caption'), $('notes'));

// What this run was sent, for "Copy link", and what a link still has to type.
let typed = '';
let replay = [];

const screen = new Console($('screen'), $('keys'), {
  onChange(current) {
    $('state').textContent = current.state;
    const dropped = current.droppedLines;
    $('dropped').textContent = dropped
      ? `the earliest ${dropped.toLocaleString('en')} lines have left the screen` : '';
    // A link types its next line once the program waits, as a person would.
    if (current.state === 'waiting for input' && replay.length) current.type(replay.shift());
  },
  onInput(text) {
    typed += text;
    picture.addInput(text);
  },
  onOutput: (bytes) => picture.addOutput(bytes),
});

const terminal = document.querySelector('.terminal');
$('keys').addEventListener('focus', () => terminal.classList.add('focused'));
$('keys').addEventListener('blur', () => terminal.classList.remove('focused'));

let module;
let runs = 0;  // which run is current: an old run that ends says nothing

async function start(input = '') {
  const thisRun = ++runs;
  typed = '';
  replay = input.match(/[^\n]*\n|[^\n]+$/g) ?? [];
  picture.reset();
  const host = screen.session();
  notice.textContent = '';
  stopButton.disabled = false;
  for (const button of [againButton, saveButton, $('copy')]) button.disabled = false;
  if (!input) screen.focus();
  let ending;
  try {
    ending = `exit status ${await run(module, host)}`;
  } catch (error) {
    ending = error instanceof Stopped ? 'stopped' : `failed: ${error.message}`;
  }
  if (thisRun !== runs) return;
  screen.finish(ending);
  picture.update();
  stopButton.disabled = true;
}

stopButton.addEventListener('click', () => screen.stop());
againButton.addEventListener('click', () => {
  screen.stop();
  start();
});

saveButton.addEventListener('click', () => {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob(screen.savedOutput(), { type: 'text/plain' }));
  link.download = 'damped-newton-screen.txt';
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 0);
  const dropped = screen.droppedLines;
  notice.textContent = dropped
    ? `Saved without the earliest ${dropped.toLocaleString('en')} lines, which had left the screen.`
    : '';
});

// The address that replays what has been typed so far.
$('copy').addEventListener('click', async () => {
  const address = new URL(location.href);
  address.search = typed ? `?input=${encodeURIComponent(typed)}` : '';
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
  const action = { ArrowLeft: () => picture.step(-1), ArrowRight: () => picture.step(1),
    Escape: () => picture.follow(), End: () => picture.follow() }[event.key];
  if (action) {
    event.preventDefault();
    action();
  }
});

try {
  const response = await fetch('damped-newton.wasm');
  if (!response.ok) throw new Error(`damped-newton.wasm: ${response.status} ${response.statusText}`);
  module = await WebAssembly.compile(await response.arrayBuffer());
  start(new URLSearchParams(location.search).get('input') ?? '');
} catch (error) {
  $('state').textContent = `the program could not be loaded: ${error.message}`;
}
