// Where a worker's script comes from: the file in this folder tree, as a
// module; or, where the page is one file, the modules' text inside it
// (web/one-file.mjs), as a classic worker, for no second file can load there.
export function workerScript(path) {
  const inside = document.getElementById('modules');
  if (!inside) return { url: new URL(path, document.baseURI), type: 'module' };
  const text = `${inside.textContent}\nloadModule(${JSON.stringify(path)});\n`;
  return { url: URL.createObjectURL(new Blob([text], { type: 'text/javascript' })), type: 'classic' };
}
