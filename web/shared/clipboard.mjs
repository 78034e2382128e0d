// Copies text to the clipboard: resolves to null, or to the reason it could
// not (a page opened from the disk, or a browser that asks first, may refuse).
export async function copyText(text) {
  try {
    await navigator.clipboard.writeText(text);
    return null;
  } catch (error) {
    return error;
  }
}
