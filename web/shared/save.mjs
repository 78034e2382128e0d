// Saving what the page shows as files to keep: the screen as text, a drawing
// as SVG that carries the page's styles for it, and the map as PNG, for a
// teacher's slides and handouts.

// Offers the blob as a file of this name.
export function saveBlob(blob, name) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 0);
}

// The page's style rules that reach into the drawing, the root's colours
// among them, so that the file looks as the page does.
function stylesFor(svg) {
  const rules = [];
  for (const sheet of document.styleSheets) {
    for (const rule of sheet.cssRules) {
      if (!(rule instanceof CSSStyleRule)) continue;
      const selector = rule.selectorText;
      let reaches = selector === ':root';
      try {
        reaches ||= svg.matches(selector) || Boolean(svg.querySelector(selector));
      } catch {
        // A pseudo-element's rule, which no element matches.
      }
      if (reaches) rules.push(rule.cssText);
    }
  }
  return rules.join('\n');
}

export function saveSvg(svg, name) {
  const copy = svg.cloneNode(true);
  copy.setAttribute('xmlns', 'http://www.w3.org/2000/svg');
  const [, , width, height] = svg.getAttribute('viewBox').split(' ');
  copy.setAttribute('width', width);
  copy.setAttribute('height', height);
  copy.removeAttribute('aria-describedby');
  const style = document.createElementNS('http://www.w3.org/2000/svg', 'style');
  style.textContent = stylesFor(svg);
  copy.prepend(style);
  const text = `<?xml version="1.0" encoding="UTF-8"?>\n${new XMLSerializer().serializeToString(copy)}\n`;
  saveBlob(new Blob([text], { type: 'image/svg+xml' }), name);
}

export function saveCanvas(canvas, name) {
  canvas.toBlob((blob) => saveBlob(blob, name), 'image/png');
}
