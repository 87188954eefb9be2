// What a screen reader is told: a log the page and the game add lines to
// (the game's in its own language), read as each line comes. The newest
// line shows under the screen; a few before it stay for a reader to go
// back to.
import { choice } from './choices.js';
import { $ } from './view.js';

const kKept = 24;

// A line of the game (what.message, what.line) or of the page (what.page,
// in English); null empties the log for a new game.
export function narrate(what) {
  const log = $('narration');
  if (!what) { log.textContent = ''; return; }
  const text = (what.page || what.message || what.line || '').trim();
  if (text === '') return;
  const line = document.createElement('p');
  line.lang = what.page ? 'en' : choice('lang');
  line.textContent = text;
  log.append(line);
  while (log.childElementCount > kKept) log.firstElementChild.remove();
}

// The lines said so far, oldest first (for tests).
export const said = () => Array.from($('narration').children, (line) => line.textContent);

// The browser's own voice, when the player turns the game's speech on: the
// same lines, in the game's language. A passing line (a step, a
// selection) cuts what the voice is saying only when no kept line (a
// battle's message) is still to be said.
let speechLang = 'ja';
let keptPending = 0;
export const speech = {
  open: () => ('speechSynthesis' in window && 'SpeechSynthesisUtterance' in window ? 1 : 0),
  language: (code) => { speechLang = code; },
  say: (text, kept) => {
    if (!('speechSynthesis' in window)) return;
    if (!kept && keptPending === 0) speechSynthesis.cancel();
    const utterance = new SpeechSynthesisUtterance(text);
    utterance.lang = speechLang;  // a language's code: the browser takes a voice of it
    if (kept) {
      keptPending += 1;
      utterance.onend = utterance.onerror = () => { keptPending = Math.max(0, keptPending - 1); };
    }
    speechSynthesis.speak(utterance);
  },
  close: () => { keptPending = 0; },
};
