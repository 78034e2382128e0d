// What a session was sent, as the program reads it: the text for "Copy
// link", whether the controls typed it, and what the program read from it,
// known once its reads have all been answered.
export class Typed {
  constructor(program, byControls) {
    this.program = program;
    this.byControls = byControls;
    this.text = '';
    this.endsInWord = false;  // whether the text's last character is not a blank
    this.ended = false;       // the end of input was sent
    this.readKnown = false;
  }

  // A piece of text sent to the program, or null at the end of input: what
  // the program read, the first time it is known, else null.
  add(piece) {
    // Blank lines cannot end a read unless the text before them could still
    // go on: the program's reads are asked again only when something can. The
    // text's end is kept as a flag: a test of the whole text at every line
    // would cost a long link time that grows with its square.
    const mayEndRead = piece === null || /\S/.test(piece) || this.endsInWord;
    if (piece === null) this.ended = true;
    else if (piece) {
      this.text += piece;
      this.endsInWord = /\S$/.test(piece);
    }
    if (this.readKnown || !mayEndRead) return null;
    const read = this.program.read(this.text);
    if (read.toEnd && !this.ended) return null;
    this.readKnown = true;
    return read;
  }
}
