// Keys and touch: what the keyboard and the on-screen keys send goes to
// the game as a terminal sends it; Tab and the browser's own keys stay
// the page's.
import { sendKeys } from './session.js';
import { screen } from './screen.js';
import { $, touch } from './view.js';

const encoder = new TextEncoder();
// What a terminal (xterm's keys, cursor keys in their normal mode) sends
// for the keys that are not characters.
const kSequences = {
  ArrowUp: 'A', ArrowDown: 'B', ArrowRight: 'C', ArrowLeft: 'D', Home: 'H', End: 'F',
  F1: 'P', F2: 'Q', F3: 'R', F4: 'S',
  Insert: '2~', Delete: '3~', PageUp: '5~', PageDown: '6~',
  F6: '17~', F7: '18~', F8: '19~', F9: '20~', F10: '21~', F11: '23~', F12: '24~',
};
// The on-screen keys, as keys of the keyboard.
const kTouchKeys = {
  up: { key: 'ArrowUp' }, down: { key: 'ArrowDown' }, right: { key: 'ArrowRight' }, left: { key: 'ArrowLeft' },
  enter: { key: 'Enter' }, space: { key: ' ' }, quit: { key: 'c', ctrlKey: true },
};

// The bytes a terminal sends for a key, or null for a key left to the
// browser: Tab (it leaves the game for the page), F5, Ctrl+R, Ctrl+W, and
// the keys a terminal sends nothing for.
export function keyBytes({ key, ctrlKey = false, altKey = false, shiftKey = false, metaKey = false }) {
  if (metaKey || key === 'Tab' || key === 'F5') return null;
  if (ctrlKey && /^[rRwW]$/.test(key)) return null;
  const modifier = 1 + (shiftKey ? 1 : 0) + (altKey ? 2 : 0) + (ctrlKey ? 4 : 0);
  const sequence = kSequences[key];
  if (sequence) {
    const final = sequence.slice(-1);
    const number = sequence.slice(0, -1);
    if (modifier > 1) return `\x1b[${number || '1'};${modifier}${final}`;
    if (!number) return (/^F/.test(key) ? '\x1bO' : '\x1b[') + final;
    return `\x1b[${number}${final}`;
  }
  const prefix = altKey ? '\x1b' : '';
  if (key === 'Enter') return prefix + '\r';
  if (key === 'Escape') return prefix + '\x1b';
  if (key === 'Backspace') return prefix + (ctrlKey ? '\b' : '\x7f');
  // One character (a letter, a digit, a sign, a space): with Ctrl its
  // control code, where it has one.
  if ([...key].length !== 1) return null;
  if (ctrlKey) {
    const code = key === ' ' ? 64 : key.toUpperCase().charCodeAt(0);
    return code >= 64 && code <= 95 ? prefix + String.fromCharCode(code - 64) : null;
  }
  return prefix + key;
}

// For tests: each key sent to the game, as the terminal's text.
const watchers = [];
export const onKeys = (watcher) => watchers.push(watcher);
export function send(text) {
  for (const watcher of watchers) watcher(text);
  sendKeys(encoder.encode(text));
}

export function listenToKeys() {
  screen.input.addEventListener('keydown', (event) => {
    // Japanese input being composed is the input method's.
    if (event.isComposing) return;
    const text = keyBytes(event);
    if (text === null) return;
    event.preventDefault();
    send(text);
  });
  // What an input method composed (Japanese typed into the painter's
  // signs) goes as typed text; the game itself skips it.
  screen.input.addEventListener('compositionend', (event) => { if (event.data) send(event.data); });
  // Nothing typed or pasted stays in the input.
  screen.input.addEventListener('input', () => { screen.input.value = ''; });
  $('touch').hidden = !touch;
  $('touch').dataset.decided = '';
  $('touch').addEventListener('click', (event) => {
    const key = event.target.closest('button');
    if (key && key.dataset.key) send(keyBytes(kTouchKeys[key.dataset.key]));
  });
  if (touch) return;
  // The arrows reach the game wherever the focus is (but in a field that
  // takes them), and the game has the keyboard from then on.
  document.addEventListener('keydown', (event) => {
    if (!/^Arrow/.test(event.key) || event.altKey || event.ctrlKey || event.metaKey || event.target === screen.input) return;
    if (event.target.closest && event.target.closest('input:not([type=checkbox]), select, textarea')) return;
    event.preventDefault();
    screen.focus();
    send(keyBytes(event));
  });
  // A click anywhere gives the keyboard back to the game: at once outside
  // the controls, after the control has done its part when it is one that
  // leaves the focus on itself. A control worked from the keyboard keeps
  // it, so Tab goes on from there.
  document.addEventListener('click', (event) => {
    const control = event.target.closest('button, a, input, label, table#games-list');
    if (!control) {
      screen.focus();
      return;
    }
    if (event.detail === 0) return;
    setTimeout(() => {
      if (document.activeElement === control || document.activeElement === document.body) screen.focus();
    }, 0);
  });
}
