// What the module's tests share: the committed module, the program run on it
// as a process would be (its whole screen for an input), and its questions.
import { readFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import { run } from '../../web/wasi.mjs';
import { Program } from '../../web/program.mjs';

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
