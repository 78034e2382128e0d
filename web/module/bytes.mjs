// Bytes the program wrote, kept in one growing buffer: appended a line at a
// time, read as one view.
export class Bytes {
  constructor(room = 8192) {
    this.buffer = new Uint8Array(room);
    this.length = 0;
  }

  append(bytes) {
    this.appendFrom(bytes, 0, bytes.length);
  }

  // source[start] to source[end - 1]. A line is a few bytes, which a loop
  // copies sooner than a view of them could be made.
  appendFrom(source, start, end) {
    const length = end - start;
    if (this.length + length > this.buffer.length) {
      const larger = new Uint8Array(2 * (this.length + length));
      larger.set(this.view());
      this.buffer = larger;
    }
    if (length <= 64) {
      for (let at = start; at < end; at++) this.buffer[this.length++] = source[at];
    } else {
      this.buffer.set(source.subarray(start, end), this.length);
      this.length += length;
    }
  }

  // What has been appended, in the buffer itself: good until the next append.
  view() {
    return this.buffer.subarray(0, this.length);
  }

  clear() {
    this.length = 0;
  }

  // The buffer given back where it is larger than what it holds.
  trim() {
    this.buffer = this.buffer.slice(0, this.length);
  }
}
