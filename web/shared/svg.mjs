// SVG elements made in one call, and the room the drawings' labels take: the
// picture and the ulps plot fit their margins to their labels with these.
const SVG = 'http://www.w3.org/2000/svg';

export const element = (name, attributes = {}, parent = null) => {
  const node = document.createElementNS(SVG, name);
  for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, value);
  if (parent) parent.append(node);
  return node;
};

// How wide a label is drawn, in the drawing's own units: about 0.62 em a
// character at the largest font size the style sheet gives them (on a phone,
// where the drawings are scaled down), so that each is drawn the same at
// every width, and its labels fit in it at every width.
const LABEL_EM = 18;
export const labelWidth = (label) => label.length * 0.62 * LABEL_EM;
// A left margin that the widest of these labels fits in, drawn 6 units from
// the plot, and at least `least`.
export const leftMargin = (labels, least) => Math.max(least, Math.ceil(10 + Math.max(0, ...labels.map(labelWidth))));
