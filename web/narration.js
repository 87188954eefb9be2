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
