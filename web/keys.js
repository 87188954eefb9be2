// Keys and touch: what the terminal widget and the on-screen keys send
// goes to the game; Tab and the browser's own keys stay the page's.
import { sendKeys } from './session.js';
import { $, term, touch } from './view.js';

const encoder = new TextEncoder();
// The on-screen keys send what a terminal sends for them.
const kTouchKeys = { up: '\x1b[A', down: '\x1b[B', right: '\x1b[C', left: '\x1b[D', enter: '\r', space: ' ', quit: '\x03' };
const kArrows = { ArrowUp: 'up', ArrowDown: 'down', ArrowLeft: 'left', ArrowRight: 'right' };

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
  $('touch').dataset.decided = '';
  $('touch').addEventListener('click', (event) => {
    const key = event.target.closest('button');
    if (key && key.dataset.key) sendKeys(encoder.encode(kTouchKeys[key.dataset.key]));
  });
  if (touch) return;
  // The arrows reach the game wherever the focus is (but in a field that
  // takes them), and the game has the keyboard from then on.
  document.addEventListener('keydown', (event) => {
    const arrow = kArrows[event.key];
    if (!arrow || event.altKey || event.ctrlKey || event.metaKey || event.target === term.textarea) return;
    if (event.target.closest && event.target.closest('input:not([type=checkbox]), select, textarea')) return;
    event.preventDefault();
    term.focus();
    sendKeys(encoder.encode(kTouchKeys[arrow]));
  });
  // A click anywhere gives the keyboard back to the game: at once outside
  // the controls, after the control has done its part when it is one that
  // leaves the focus on itself. A control worked from the keyboard keeps
  // it, so Tab goes on from there.
  document.addEventListener('click', (event) => {
    const control = event.target.closest('button, a, input, label, table#games-list');
    if (!control) {
      term.focus();
      return;
    }
    if (event.detail === 0) return;
    setTimeout(() => {
      if (document.activeElement === control || document.activeElement === document.body) term.focus();
    }, 0);
  });
}
