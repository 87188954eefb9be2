// The game's 80x25 screen on a canvas: the cells the game hands over, row
// by row, drawn as a terminal would draw them, and the input element that
// takes the keyboard for it.
export const kColumns = 80;
export const kRows = 25;

// A console font gives cells of 1:2 (MS Gothic, Osaka); elsewhere DejaVu
// Sans Mono's cells are near 1:2 and the Japanese glyphs come from the
// CJK font, two cells each (a CJK font first would make cells of 1:3).
export const kFonts = "'MS Gothic', 'Osaka-Mono', 'DejaVu Sans Mono', 'Noto Sans Mono CJK JP', 'Noto Sans CJK JP', monospace";

const measuring = new OffscreenCanvas(1, 1).getContext('2d');
// A cell at a font size, in device pixels: as wide as the font's W, as
// high as its line, rounded so every cell is the same whole size; and
// where in it the glyphs stand (their baseline). The command boxes' edges
// are the highest and lowest of the game's glyphs (the overline ￣ from
// the Japanese font, the underscore): both stay inside their cells, a
// small font's cells made a pixel higher where they would not.
export function cellSize(size, dpr = devicePixelRatio) {
  measuring.font = `${size * dpr}px ${kFonts}`;
  const m = measuring.measureText('W');
  const top = Math.ceil(measuring.measureText('\uFFE3').actualBoundingBoxAscent);
  const bottom = Math.ceil(measuring.measureText('_').actualBoundingBoxDescent);
  const height = Math.max(Math.ceil(m.fontBoundingBoxAscent + m.fontBoundingBoxDescent), top + bottom);
  return [Math.floor(m.width), height, Math.max(top, Math.min(Math.round(m.fontBoundingBoxAscent), height - bottom))];
}

// The screen's size in CSS pixels at a font size.
export function sizeAt(size, dpr = devicePixelRatio) {
  const [w, h] = cellSize(size, dpr);
  return [kColumns * w / dpr, kRows * h / dpr];
}

const colour = (rgb) => '#' + (rgb & 0xFFFFFF).toString(16).padStart(6, '0');
const kBold = 1;
const kUnderline = 2;
const kWide = 4;

class Screen {
  constructor() {
    // Each row: its glyph per cell ('' for a wide glyph's right half) and
    // its cells' words as the game sent them.
    this.rows = [];
    this.dirty = new Set();
    this.cursor = null;
    this.fontSize = 16;
    this.clear();
  }

  // Makes the canvas and the input inside `container`.
  open(container) {
    this.canvas = document.createElement('canvas');
    this.canvas.setAttribute('aria-hidden', 'true');
    this.input = document.createElement('textarea');
    this.input.id = 'screen-input';
    this.input.setAttribute('autocorrect', 'off');
    this.input.setAttribute('autocapitalize', 'off');
    this.input.spellcheck = false;
    container.append(this.canvas, this.input);
    this.context = this.canvas.getContext('2d', { alpha: false });
    this.setFontSize(this.fontSize);
  }

  // The screen's size in CSS pixels, as drawn.
  size() {
    return [this.canvas.width / this.dpr, this.canvas.height / this.dpr];
  }

  setFontSize(size) {
    this.fontSize = size;
    if (!this.canvas) return;
    const dpr = devicePixelRatio;
    [this.cellWidth, this.cellHeight, this.baseline] = cellSize(size, dpr);
    this.dpr = dpr;
    this.canvas.width = kColumns * this.cellWidth;
    this.canvas.height = kRows * this.cellHeight;
    [this.canvas.style.width, this.canvas.style.height] = this.size().map((n) => `${n}px`);
    this.fonts = [`${size * dpr}px ${kFonts}`, `bold ${size * dpr}px ${kFonts}`];
    for (let y = 0; y < kRows; ++y) this.draw(y);
  }

  // A blank screen, black, until the game draws.
  clear() {
    const blank = { glyphs: new Array(kColumns).fill(' '), cells: new Uint32Array(2 * kColumns).fill(0) };
    for (let y = 0; y < kRows; ++y) this.rows[y] = blank;
    this.cursor = null;
    if (this.canvas) {
      this.context.fillStyle = '#000';
      this.context.fillRect(0, 0, this.canvas.width, this.canvas.height);
    }
  }

  // Row `y` as the game sends it: its glyphs (a wide one once) and two
  // words for each cell: flags << 24 | foreground, background.
  setRow(y, text, cells) {
    const chars = Array.from(text);
    const glyphs = new Array(kColumns);
    for (let x = 0, i = 0; x < kColumns; ++x) {
      glyphs[x] = chars[i++] || ' ';
      if (cells[2 * x] >>> 24 & kWide && x + 1 < kColumns) glyphs[++x] = '';
    }
    this.rows[y] = { glyphs, cells };
    this.redraw(y);
  }

  setCursor(x, y) {
    const before = this.cursor;
    this.cursor = x < 0 ? null : [x, y];
    if (before) this.redraw(before[1]);
    if (this.cursor) this.redraw(y);
  }

  // Rows are drawn once a frame, as the browser is about to show it: a row
  // the game draws again and again meanwhile (a start, a long animation
  // step) is drawn once.
  redraw(y) {
    if (this.dirty.size === 0) requestAnimationFrame(() => this.drawDirty());
    this.dirty.add(y);
  }
  drawDirty() {
    for (const y of this.dirty) this.draw(y);
    this.dirty.clear();
  }

  // The rows' text: a wide glyph once, the blank after a glyph drawn one
  // cell wide as a blank.
  text() {
    return this.rows.map((row) => row.glyphs.join(''));
  }

  // A row drawn whole: each run of one background, then the glyphs on it.
  // Glyphs keep to their row, as a terminal's do.
  draw(y) {
    if (!this.canvas) return;
    const g = this.context;
    const { glyphs, cells } = this.rows[y];
    const w = this.cellWidth;
    const h = this.cellHeight;
    const top = y * h;
    g.save();
    g.beginPath();
    g.rect(0, top, kColumns * w, h);
    g.clip();
    for (let x = 0; x < kColumns;) {
      const background = cells[2 * x + 1];
      let end = x + 1;
      while (end < kColumns && cells[2 * end + 1] === background) ++end;
      g.fillStyle = colour(background);
      g.fillRect(x * w, top, (end - x) * w, h);
      x = end;
    }
    g.textBaseline = 'alphabetic';
    const line = Math.max(1, Math.round(this.dpr));
    let font = null;
    let fill = null;
    for (let x = 0; x < kColumns; ++x) {
      const glyph = glyphs[x];
      if (glyph === '') continue;
      const flags = cells[2 * x] >>> 24;
      const width = flags & kWide ? 2 : 1;
      if (glyph === ' ' && !(flags & kUnderline)) continue;
      const ink = colour(cells[2 * x]);
      if (ink !== fill) g.fillStyle = fill = ink;
      if (glyph !== ' ') {
        const wanted = this.fonts[flags & kBold ? 1 : 0];
        if (wanted !== font) g.font = font = wanted;
        g.fillText(glyph, x * w, top + this.baseline);
      }
      if (flags & kUnderline) g.fillRect(x * w, top + h - line, width * w, line);
    }
    if (this.cursor && this.cursor[1] === y) {
      g.fillStyle = '#c0c0c0';
      g.fillRect(this.cursor[0] * w, top + h - line, w, line);
    }
    g.restore();
  }

  focus() {
    if (this.input) this.input.focus({ preventScroll: true });
  }
}

export const screen = new Screen();
