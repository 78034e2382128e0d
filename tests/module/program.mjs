// What the module's tests share: the committed module, the program run on it
// as a process would be (its whole screen for an input), and its questions.
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import { run } from '../../web/module/wasi.mjs';
import { Program } from '../../web/module/program.mjs';
import { Runs } from '../../web/runs/runs.mjs';
import { Typed } from '../../web/runs/typed.mjs';

export const root = fileURLToPath(new URL('../..', import.meta.url));
export const module = new WebAssembly.Module(readFileSync(`${root}web/damped-newton.wasm`));
export const program = await Program.load(module);

const utf8 = new TextEncoder();
const decoder = new TextDecoder('latin1');

// The program's standard output for this input, which then ends.
export async function screenOf(input) {
  let bytes = typeof input === 'string' ? utf8.encode(input) : input;
  const written = [];
  const status = await run(module, {
    read(max) {
      const piece = bytes.subarray(0, max);
      bytes = bytes.subarray(piece.length);
      return piece;
    },
    write(fd, data) {
      if (fd === 1) written.push(decoder.decode(data));
      return 0;
    },
    close: () => 0,
  });
  if (status !== 0) throw new Error(`exit status ${status}`);
  return written.join('');
}

// What a native program prints for this input on glibc's pow path without
// FMA, which rounds as the module's pow does.
export const nativeWithoutFma = (path, input) => execFileSync(path, {
  input, encoding: 'latin1', env: { ...process.env, GLIBC_TUNABLES: 'glibc.cpu.hwcaps=-AVX2,-FMA' },
});

// The lines of a screen after the dialogue: the iterates and the Done line.
export function printedLines(screen) {
  const lines = screen.split('\n').slice(0, -1);
  const dialogue = lines.indexOf('enter maxRuns int: ') + 1;
  return lines.slice(dialogue ? dialogue + 1 : 1);
}

// A dialogue typed as the page types it, its screen written in pieces of
// `piece` bytes, each followed as a frame would follow it: the page's runs.
export async function session(input, piece = 7) {
  const runs = new Runs(program);
  const typed = new Typed(program, false);
  for (const line of input.match(/[^\n]*\n/g)) {
    const read = typed.add(line);
    if (read) runs.setRead(read);
  }
  const read = typed.add(null);
  if (read) runs.setRead(read);
  const bytes = utf8.encode(await screenOf(input));
  for (let at = 0; at < bytes.length; at += piece) {
    runs.add(bytes.subarray(at, at + piece));
    runs.update();
  }
  return runs;
}
