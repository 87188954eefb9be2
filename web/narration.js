// What a screen reader is told: the page's live region.
import { $ } from './view.js';

export function narrate(what) {
  const region = $('narration');
  if (!what) { region.textContent = ''; return; }
  if (what.message !== undefined) {
    region.lang = 'ja';
    region.textContent = what.message.trim();
  } else {
    region.lang = 'en';
    region.textContent = `Map ${what.map}, level ${what.level}, HP ${what.hp}.`;
  }
}
