// The terminal widget sized to the window, the loading state, and the
// page's lines of status and errors.
// A touch screen with no mouse or touchpad beside it (a phone, a tablet):
// the keys are on the page. A touch laptop has its keyboard.
export const touch = !matchMedia('(any-pointer: fine)').matches &&
  (navigator.maxTouchPoints > 0 || matchMedia('(pointer: coarse)').matches);
export const $ = (id) => document.getElementById(id);

// A console font gives cells of 1:2 (MS Gothic, Osaka); elsewhere DejaVu
// Sans Mono's cells are near 1:2 and the Japanese glyphs come from the
// CJK font, two cells each (a CJK font first would make cells of 1:3).
export const kFonts = "'MS Gothic', 'Osaka-Mono', 'DejaVu Sans Mono', 'Noto Sans Mono CJK JP', 'Noto Sans CJK JP', monospace";

export const term = new Terminal({
  cols: 80,
  rows: 25,
  fontFamily: kFonts,
  fontSize: 16,
  lineHeight: 1.0,
  scrollback: 0,
  cursorBlink: false,
  cursorStyle: 'underline',
  theme: { background: '#000000', foreground: '#c0c0c0', cursor: '#c0c0c0' },
});

export function openTerminal() {
  // Made at the size it will have: each size tried once open would draw
  // its glyphs again.
  term.options.fontSize = fittingSize(...room(window.innerWidth, window.innerHeight));
  term.open($('terminal'));
  // Drawn on a canvas, every glyph sits on the cell grid (the default
  // renderer lets a row with the cursor in it drift by a cell).
  term.loadAddon(new CanvasAddon.CanvasAddon());
  drawGlyphsLast(term.element.querySelector('.xterm-text-layer'));
  term.textarea.setAttribute('aria-label', 'The game: keys go to it, Tab leaves it');
  // The screen's text reaches a screen reader through the log; the drawn
  // layers are hidden from it, but not the input that has the focus.
  for (const layer of term.element.querySelectorAll('.xterm-screen > :not(.xterm-helpers), .xterm-char-measure-element')) {
    layer.setAttribute('aria-hidden', 'true');
  }
  // A touch screen's own keyboard would cover the game: the keys are on the page.
  if (touch) term.textarea.setAttribute('inputmode', 'none');
  fit();
  // Fitted again once the game has drawn (its glyphs' fonts loaded).
  firstDrawn.then(() => measureAgain());
  let fitTimer = null;
  window.addEventListener('resize', () => {
    clearTimeout(fitTimer);
    fitTimer = setTimeout(fit, 50);
  });
}

// The canvas renderer draws each glyph from its glyph cache's page just
// after adding it there, and in Chromium a page drawn from is copied whole
// by the next addition: a first screen of 160 new glyphs took 200 ms, most
// of its first frame. So the text layer's draws from a cache page wait
// until the frame's other drawing is done, and the glyphs new to a frame
// are added together. A held draw keeps what it is drawn with (the row's
// clip, the alpha); held draws are made before anything else the layer
// draws outside a save, and before the frame ends.
function drawGlyphsLast(canvas) {
  const ctx = canvas.getContext('2d');
  const own = Object.getPrototypeOf(ctx);
  let held = [];
  const clips = [];  // each open save's clip rectangle: null for none, false for another shape
  let path = null;
  const flush = () => {
    const draws = held;
    held = [];
    for (const [rects, alpha, args] of draws) {
      own.save.call(ctx);
      for (const rect of rects) {
        own.beginPath.call(ctx);
        own.rect.apply(ctx, rect);
        own.clip.call(ctx);
      }
      ctx.globalAlpha = alpha;
      own.drawImage.apply(ctx, args);
      own.restore.call(ctx);
    }
  };
  ctx.save = () => { clips.push(null); own.save.call(ctx); };
  ctx.restore = () => { clips.pop(); own.restore.call(ctx); };
  ctx.beginPath = () => { path = null; own.beginPath.call(ctx); };
  ctx.rect = (...a) => { path = path === null ? a : false; own.rect.apply(ctx, a); };
  ctx.clip = (...a) => {
    if (clips.length > 0) clips[clips.length - 1] = a.length === 0 && path ? path : false;
    own.clip.apply(ctx, a);
  };
  ctx.drawImage = (...args) => {
    // A glyph from a bitmap snapshot costs no copy; a clip of another
    // shape could not be drawn again.
    if (clips.length === 0 || clips.includes(false) || !(args[0] instanceof HTMLCanvasElement)) {
      if (held.length > 0 && clips.length === 0) flush();
      own.drawImage.apply(ctx, args);
      return;
    }
    if (held.length === 0) queueMicrotask(flush);
    held.push([clips.filter((rect) => rect !== null), ctx.globalAlpha, args]);
  };
  for (const name of ['clearRect', 'fillRect', 'fillText', 'strokeRect', 'putImageData', 'getImageData']) {
    ctx[name] = (...a) => {
      if (held.length > 0 && clips.length === 0) flush();
      return own[name].apply(ctx, a);
    };
  }
}

// ---- The terminal's size: the largest whole-pixel font that fits ----

// Until a change of size, the canvas of a phone's screen (two or three
// device pixels to a pixel) may take an earlier font's measurement, some
// frames after the font changed, and show a third of the columns,
// enlarged: a size changed and back measures again. Looked at for half a
// second of frames.
function measureAgain(frames = 30) {
  requestAnimationFrame(() => {
    const canvas = term.element.querySelector('.xterm-screen canvas');
    if (canvas && canvas.width !== Math.round(canvas.offsetWidth * devicePixelRatio)) {
      const size = term.options.fontSize;
      term.options.fontSize = size + 1;
      term.options.fontSize = size;
      fit();
      follow();
    } else if (frames > 1) {
      measureAgain(frames - 1);
    }
  });
}

function screenSize() {
  const s = term.element.querySelector('.xterm-screen');
  return [s.offsetWidth, s.offsetHeight];
}
const landscape = () => window.innerWidth > window.innerHeight;

const kFrame = 14;  // the terminal's padding and border
const kGap = 8;

// The room for the terminal in a window of `innerWidth` x `innerHeight`
// (this one, or this one turned): what the header, the strip below and
// the touch keys leave. On a touch screen held sideways the keys stand
// beside the screen (a column of three keys of 3.5rem), else below it.
function room(innerWidth, innerHeight) {
  const turned = (innerWidth > innerHeight) !== landscape();
  const beside = touch && innerWidth > innerHeight;
  const keys = $('touch');
  const keysWide = turned ? 3 * 56 + 2 * kGap : keys.offsetWidth;
  const keysHigh = turned ? 2 * 56 + kGap : keys.offsetHeight;
  const width = (turned ? innerWidth - 16 : $('play').clientWidth) - kFrame - (beside ? keysWide + kGap : 0);
  const strip = parseFloat(getComputedStyle($('strip')).minHeight);
  const header = turned ? headerHeightAt(innerWidth) : $('top').offsetHeight;
  const height = innerHeight - header - strip - (touch && !beside ? keysHigh + kGap : 0) - kFrame - 3 * kGap;
  return [width, height];
}

// The header's height at another width (the phone turned: upright its
// controls take three rows, sideways one or two): a hidden copy laid out
// at that width.
function headerHeightAt(width) {
  const copy = $('top').cloneNode(true);
  copy.style.cssText = `position: absolute; visibility: hidden; left: 0; top: 0; box-sizing: border-box; width: ${width}px`;
  copy.setAttribute('aria-hidden', 'true');
  document.body.append(copy);
  const height = copy.offsetHeight;
  copy.remove();
  return height;
}

// The screen's size at a font size as the terminal's canvas renderer will
// make it (the font's cell measured as it measures it, rounded to device
// pixels as it rounds), known before anything is drawn.
const measure = new OffscreenCanvas(1, 1).getContext('2d');
function predictedSize(size) {
  measure.font = `${size}px ${kFonts}`;
  const m = measure.measureText('W');
  const dpr = devicePixelRatio;
  const cellWidth = Math.floor(m.width * dpr);
  const cellHeight = Math.ceil((m.fontBoundingBoxAscent + m.fontBoundingBoxDescent) * dpr);
  return [Math.round(80 * cellWidth / dpr), Math.round(25 * cellHeight / dpr)];
}

// Cells grow about in proportion to the font: a guess from one size, then
// a step or two (each new size costs the font's lookup).
function fittingSize(width, height) {
  const fits = (size) => {
    const [w, h] = predictedSize(size);
    return w <= width && h <= height;
  };
  const [w0, h0] = predictedSize(16);
  let size = Math.min(48, Math.max(6, Math.floor(16 * Math.min(width / w0, height / h0))));
  while (size > 6 && !fits(size)) --size;
  while (size < 48 && fits(size + 1)) ++size;
  return size;
}

// Zoomed (a phone held upright): cells twice as wide as would fit, the
// screen scrolled to keep the hero in view (the game says where he is).
let zoomed = false;
let focus = null;
export function toggleZoom() {
  zoomed = !zoomed;
  $('zoom').setAttribute('aria-pressed', String(zoomed));
  fit();
  follow();
  measureAgain();
}
export function focusOn(x, y) {
  focus = [x, y];
  if (zoomed) follow();
}
// Scrolled only once the hero leaves the middle half, so a step does not
// move the whole screen.
function follow() {
  const box = $('screen');
  if (!zoomed) { box.scrollLeft = 0; return; }
  if (!focus) return;
  const x = (focus[0] + 1) * screenSize()[0] / 80;
  if (x < box.scrollLeft + box.clientWidth / 4 || x > box.scrollLeft + box.clientWidth * 3 / 4) {
    box.scrollLeft = x - box.clientWidth / 2;
  }
}

function fit() {
  const box = $('screen');
  const frame = kFrame;
  const [roomWidth, height] = room(window.innerWidth, window.innerHeight);
  const width = zoomed ? 2 * roomWidth : roomWidth;
  const fits = (size) => {
    if (term.options.fontSize !== size) term.options.fontSize = size;
    const [w, h] = screenSize();
    return w <= width && h <= height;
  };
  let size = fittingSize(width, height);
  fits(size);
  // Should the terminal's cells differ from the measured ones, the sizes
  // are tried (each change of size redraws the terminal).
  if (String(screenSize()) !== String(predictedSize(size))) {
    while (size > 6 && !fits(size)) --size;
    while (size < 48 && fits(size + 1)) ++size;
    fits(size);
  }
  // Below the smallest font the whole screen is scaled down, never cut.
  const [w, h] = screenSize();
  const scale = Math.min(1, width / w, height / h);
  $('terminal').style.transform = scale < 1 ? `scale(${scale})` : '';
  box.style.width = Math.floor(Math.min(w * scale, roomWidth) + frame) + 'px';
  box.style.height = Math.floor(h * scale + frame) + 'px';
  box.classList.toggle('zoomed', zoomed);
  const cellHeight = scale * h / 25;
  // Offered where the cells are too small to read, and kept to turn it off.
  $('zoom').hidden = !touch || (!zoomed && cellHeight >= 9);
  suggestTurning(zoomed ? 99 : cellHeight, w / h);
}

// A phone held upright shows the 80 columns in cells too small to read
// (measured at 390x844: 7-px text in 4x8-px cells); sideways the header
// and the keys leave it 9-px cells, so Zoom is what helps there. Where
// turning gives cells a fifth higher or more, the page says so, with both
// heights.
function suggestTurning(cellHeight, ratio) {
  const notice = $('turn');
  const upright = touch && !landscape();
  // Only a phone held upright lays the header out again at the turned width.
  if (!upright || cellHeight >= 9) {
    notice.hidden = true;
    return;
  }
  const [w, h] = room(window.innerHeight, window.innerWidth);
  const sideways = Math.min(w / ratio, h) / 25;
  const show = sideways > cellHeight * 1.2;
  if (show) {
    notice.textContent = `Turn the phone sideways to play: the game's text is ${cellHeight.toFixed(0)} px high ` +
      `held upright, about ${sideways.toFixed(0)} px sideways.`;
  }
  notice.hidden = !show;
}

// ---- Loading, status and errors ----

// The game's code as it arrives: of `total` bytes, or of a size not known.
export function loading(got, total) {
  const kb = (n) => Math.round(n / 1024);
  if (total > 0) {
    $('loading-bar').value = got / total;
    $('loading-text').textContent = `Loading the game… ${kb(got)} of ${kb(total)} KB`;
  } else {
    $('loading-text').textContent = `Loading the game… ${kb(got)} KB`;
  }
}
// Resolves once the game has first drawn.
let drawn;
export const firstDrawn = new Promise((resolve) => { drawn = resolve; });
export function loaded() {
  if ($('loading').hidden) return;
  $('loading').hidden = true;
  drawn();
}

export function showErrors(text) {
  $('errors').textContent = text;
  $('errors').hidden = text === '';
}
export function showStatus(text) {
  $('status').textContent = text;
  $('status').hidden = text === '';
}

export function button(label, action, name) {
  const b = document.createElement('button');
  b.type = 'button';
  b.textContent = label;
  if (name) b.setAttribute('aria-label', name);
  b.addEventListener('click', action);
  return b;
}

// A box drawn for every Japanese glyph when no font has them.
export function japaneseFontMissing() {
  const canvas = document.createElement('canvas');
  canvas.width = canvas.height = 40;
  const g = canvas.getContext('2d');
  const draw = (text) => {
    g.clearRect(0, 0, 40, 40);
    g.font = '32px ' + kFonts;
    g.fillText(text, 0, 32);
    return g.getImageData(0, 0, 40, 40).data.join(',');
  };
  return draw('移') === draw('\u0378');
}
