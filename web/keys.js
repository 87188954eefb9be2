// Keys and touch: what the terminal widget and the on-screen keys send
// goes to the game; Tab and the browser's own keys stay the page's.
import { sendKeys } from './session.js';
import { $, term, touch } from './view.js';

const encoder = new TextEncoder();
// The on-screen keys send what a terminal sends for them.
const kTouchKeys = { up: '\x1b[A', down: '\x1b[B', right: '\x1b[C', left: '\x1b[D', enter: '\r', space: ' ', quit: '\x03' };

export function listenToKeys() {
  // Tab leaves the game for the page; the browser's own keys (reload,
  // close) stay the browser's.
  term.attachCustomKeyEventHandler((e) => {
    if (e.key === 'Tab' || e.key === 'F5') return false;
    if ((e.ctrlKey || e.metaKey) && /^[rRwW]$/.test(e.key)) return false;
    return true;
  });
  term.onData((data) => sendKeys(encoder.encode(data)));
  term.onBinary((data) => {
    const bytes = new Uint8Array(data.length);
    for (let i = 0; i < data.length; ++i) bytes[i] = data.charCodeAt(i) & 0xFF;
    sendKeys(bytes);
  });
  $('touch').hidden = !touch;
  $('touch').addEventListener('click', (event) => {
    const key = event.target.closest('button');
    if (key) sendKeys(encoder.encode(kTouchKeys[key.dataset.key]));
  });
  // Clicks outside the buttons give the keyboard back to the game.
  document.addEventListener('click', (event) => {
    if (!touch && !event.target.closest('button, a, input, table#games-list')) term.focus();
  });
}
