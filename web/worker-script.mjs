// Where a worker's script comes from: the file beside the page, as a module;
// or, where the page is one file and can load no second one, the script's
// text inside the page (web/one-file.mjs), as a classic worker's, for
// Chromium makes no module worker for a page opened from the disk.
export function workerScript(name) {
  const inside = document.getElementById(`${name.replace(/\.mjs$/, '')}-script`);
  if (!inside) return { url: new URL(name, import.meta.url), type: 'module' };
  return { url: URL.createObjectURL(new Blob([inside.textContent], { type: 'text/javascript' })), type: 'classic' };
}
