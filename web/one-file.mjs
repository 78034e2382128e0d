// Writes the page as one file that opens from the disk with nothing else: the
// styles, every script, the workers' scripts and the module inside the
// HTML. Each script becomes a function whose result is what it exported,
// called in the order the imports need, and the module travels as base64,
// which the page decodes in place of fetching it. The same sources always
// make the same bytes.
// Usage: node web/one-file.mjs MODULE OUTPUT   (the wasm preset's build runs it)
import { readFileSync, writeFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import { join } from 'node:path';

const web = fileURLToPath(new URL('.', import.meta.url));
const [modulePath, output] = process.argv.slice(2);
const read = (name) => readFileSync(join(web, name), 'utf8');

// A script and those it imports, each after those it imports from, as one
// script: each becomes a function whose result is what it exported.
function bundle(entry) {
  const order = [];
  const visit = (name) => {
    if (order.includes(name)) return;
    for (const [, from] of read(name).matchAll(/^import .* from '\.\/([\w-]+\.mjs)';$/gm)) visit(from);
    order.push(name);
  };
  visit(entry);
  const scope = (name) => `script_${name.replace(/\W/g, '_')}`;
  return order.map((name) => {
    const exported = [];
    const body = read(name)
      .replace(/^import \{([^}]*)\} from '\.\/([\w-]+\.mjs)';$/gm,
        (_, names, from) => `const {${names}} = ${scope(from)};`)
      .replace(/^export ((?:async )?(?:function\*?|class|const|let) ([\w$]+))/gm, (_, declaration, exportedName) => {
        exported.push(exportedName);
        return declaration;
      });
    if (/^(import|export) /m.test(body)) throw new Error(`${name}: an import or export this script cannot bundle`);
    // page.mjs waits at its top level; it exports nothing.
    return `const ${scope(name)} = await (async () => {\n${body}\nreturn { ${exported.join(', ')} };\n})();\n`;
  }).join('\n');
}

// The page's scripts, and its workers' scripts (web/worker-script.mjs), each
// a classic worker's text: a page opened from the disk can load no second
// file.
const bundled = bundle('page.mjs');
const workers = ['map-worker.mjs', 'runner-worker.mjs'].map((name) => {
  const text = `(async () => {\n${bundle(name)}})();\n`;
  return `<script type="text/plain" id="${name.replace(/\.mjs$/, '')}-script">\n${text}</script>\n`;
}).join('');

const html = read('index.html');
const module = readFileSync(modulePath).toString('base64');
const one = html
  .replace('<link rel="stylesheet" href="style.css">', () => `<style>\n${read('style.css')}</style>`)
  .replace('<script type="module" src="page.mjs"></script>', () => `<script type="module">\n${bundled}</script>`)
  .replace('</body>', () => `${workers}<script type="application/wasm;base64" id="module-bytes">${module}</script>\n</body>`);
if (one === html || /<\/script/i.test(bundled) || workers.match(/<\/script/gi).length !== 2) {
  throw new Error('the page is not as this script expects');
}
writeFileSync(output, one);
