// The page: loads the program, runs it in the console, and wires the buttons.
import { run } from './wasi.mjs';
import { Console, Stopped } from './console.mjs';

const $ = (id) => document.getElementById(id);
const stopButton = $('stop');
const againButton = $('again');
const saveButton = $('save');

const screen = new Console($('screen'), $('keys'), (current) => {
  $('state').textContent = current.state;
  const dropped = current.droppedLines;
  $('dropped').textContent = dropped
    ? `the earliest ${dropped.toLocaleString('en')} lines have left the screen` : '';
});

const terminal = document.querySelector('.terminal');
$('keys').addEventListener('focus', () => terminal.classList.add('focused'));
$('keys').addEventListener('blur', () => terminal.classList.remove('focused'));

let module;
let runs = 0;  // which run is current: an old run that ends says nothing

async function start() {
  const thisRun = ++runs;
  const host = screen.session();
  $('notice').textContent = '';
  stopButton.disabled = false;
  againButton.disabled = saveButton.disabled = false;
  screen.focus();
  let ending;
  try {
    ending = `exit status ${await run(module, host)}`;
  } catch (error) {
    ending = error instanceof Stopped ? 'stopped' : `failed: ${error.message}`;
  }
  if (thisRun !== runs) return;
  screen.finish(ending);
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
  $('notice').textContent = dropped
    ? `Saved without the earliest ${dropped.toLocaleString('en')} lines, which had left the screen.`
    : '';
});

try {
  const response = await fetch('damped-newton.wasm');
  if (!response.ok) throw new Error(`damped-newton.wasm: ${response.status} ${response.statusText}`);
  module = await WebAssembly.compile(await response.arrayBuffer());
  start();
} catch (error) {
  $('state').textContent = `the program could not be loaded: ${error.message}`;
}
