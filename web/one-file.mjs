// Writes the page as one file that opens from the disk: the styles, every
// module once and the compiled program inside the HTML, the same bytes from
// the same sources. Usage: node web/one-file.mjs MODULE OUTPUT (the wasm build).
import { readFileSync, writeFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import { join, posix } from 'node:path';

const web = fileURLToPath(new URL('.', import.meta.url));
const [modulePath, output] = process.argv.slice(2);
const read = (name) => readFileSync(join(web, name), 'utf8');

const IMPORT = /^import \{([^}]*)\} from '(\.{1,2}\/[\w/.-]+\.mjs)';$/gm;
const EXPORT = /^export ((?:async )?(?:function\*?|class|const|let) ([\w$]+))/gm;

// Every module the entries need, by its path in web/, each after none in
// particular: loadModule() runs each once, when first asked for.
function modules(entries) {
  const found = new Map();
  const visit = (name) => {
    if (found.has(name)) return;
    const text = read(name);
    found.set(name, text);
    for (const [, , from] of text.matchAll(IMPORT)) visit(posix.join(posix.dirname(name), from));
  };
  entries.forEach(visit);
  return [...found.keys()].sort();
}

// One module as a function of loadModule whose result is what it exports.
function definition(name) {
  const exported = [];
  const body = read(name)
    .replace(IMPORT, (_, names, from) => `const {${names.replace(/ as /g, ': ')}} = await loadModule(${
      JSON.stringify(posix.join(posix.dirname(name), from))});`)
    .replace(EXPORT, (_, declaration, exportedName) => {
      exported.push(exportedName);
      return declaration;
    });
  if (/^(import|export) /m.test(body) || /import\.meta/.test(body)) {
    throw new Error(`${name}: an import or export this script cannot bundle`);
  }
  return `${JSON.stringify(name)}: async (loadModule) => {\n${body}\nreturn { ${exported.join(', ')} };\n},\n`;
}

// The modules as one classic script, which the page runs and each worker
// runs again (web/shared/worker-script.mjs): a page opened from the disk can
// load no second file, and Chromium makes no module worker there.
const names = modules(['page.mjs', 'module/runner-worker.mjs', 'module/map-worker.mjs']);
const script = `const loadModule = (() => {
const definitions = {
${names.map(definition).join('')}};
const loaded = new Map();
const load = (name) => {
  if (!loaded.has(name)) loaded.set(name, definitions[name](load));
  return loaded.get(name);
};
return load;
})();
`;

const html = read('index.html');
const module = readFileSync(modulePath).toString('base64');
const one = html
  .replace('<link rel="stylesheet" href="style.css">', () => `<style>\n${read('style.css')}</style>`)
  .replace('<script type="module" src="page.mjs"></script>', () => `<script id="modules">\n${script}</script>\n`
    + '<script type="module">\nawait loadModule(\'page.mjs\');\n</script>')
  .replace('</body>', () => `<script type="application/wasm;base64" id="module-bytes">${module}</script>\n</body>`)
  // Inside the one file, the module is no second file to fetch.
  .replace(/<!-- The module is fetched[^]*?-->\n<link rel="preload" href="damped-newton.wasm"[^>]*>\n/, '');
if (one === html || /<\/script/i.test(script) || one.includes('rel="preload"')) throw new Error('the page is not as this script expects');
writeFileSync(output, one);
