// The game's screen sized to the window, the loading state, and the
// page's lines of status and errors.
import { kColumns, kFonts, screen, sizeAt } from './screen.js';

// A touch screen with no mouse or touchpad beside it (a phone, a tablet):
// the keys are on the page. A touch laptop has its keyboard.
export const touch = !matchMedia('(any-pointer: fine)').matches &&
  (navigator.maxTouchPoints > 0 || matchMedia('(pointer: coarse)').matches);
export const $ = (id) => document.getElementById(id);

export function openTerminal() {
  // Made at the size it will have.
  screen.fontSize = fittingSize(...room(window.innerWidth, window.innerHeight));
  screen.open($('terminal'));
  screen.input.setAttribute('aria-label', 'The game: keys go to it, Tab leaves it');
  // A touch screen's own keyboard would cover the game: the keys are on the page.
  if (touch) screen.input.setAttribute('inputmode', 'none');
  fit();
  let fitTimer = null;
  window.addEventListener('resize', () => {
    clearTimeout(fitTimer);
    fitTimer = setTimeout(fit, 50);
  });
}

// ---- The screen's size: the largest whole-pixel font that fits ----

const landscape = () => window.innerWidth > window.innerHeight;

const kFrame = 14;  // the screen's padding and border
const kGap = 8;

// The room for the screen in a window of `innerWidth` x `innerHeight`
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

// Cells grow about in proportion to the font: a guess from one size, then
// a step or two (each new size costs the font's lookup).
function fittingSize(width, height) {
  const fits = (size) => {
    const [w, h] = sizeAt(size);
    return w <= width && h <= height;
  };
  const [w0, h0] = sizeAt(16);
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
  const x = (focus[0] + 1) * screen.size()[0] / kColumns;
  if (x < box.scrollLeft + box.clientWidth / 4 || x > box.scrollLeft + box.clientWidth * 3 / 4) {
    box.scrollLeft = x - box.clientWidth / 2;
  }
}

function fit() {
  const box = $('screen');
  const frame = kFrame;
  const [roomWidth, height] = room(window.innerWidth, window.innerHeight);
  const width = zoomed ? 2 * roomWidth : roomWidth;
  const size = fittingSize(width, height);
  // A new size, or the same on a screen of other device pixels (the
  // window moved, or the browser zoomed).
  if (size !== screen.fontSize || screen.dpr !== devicePixelRatio) screen.setFontSize(size);
  // Below the smallest font the whole screen is scaled down, never cut.
  const [w, h] = screen.size();
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

// Offers the bytes (or a Blob) as a file the browser downloads.
export function download(name, data) {
  const url = URL.createObjectURL(new Blob([data], { type: 'application/octet-stream' }));
  const a = document.createElement('a');
  a.href = url;
  a.download = name;
  document.body.appendChild(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 1000);
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
