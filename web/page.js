// The page around the game: the terminal, the keys, the worlds, the
// player's games and the page leaving, wired together; then the first game.
import { refreshGames, showGamesList } from './games-list.js';
import { listenToKeys } from './keys.js';
import { keepOffline } from './offline.js';
import { said } from './narration.js';
import {
  backToList, consoleLook, continueEarlier, game, loadOnce, persist, playing, firstWait, restartInPlace, saveNow, setConsoleLook, start, starts, watchAgain,
} from './session.js';
import { $, japaneseFontMissing, openTerminal, showStatus, term } from './view.js';
import { chooseWorld, readWorld, takeWanted } from './worlds.js';

function listenToButtons() {
  $('again').addEventListener('click', () => start());
  $('watch-again').addEventListener('click', watchAgain);
  $('to-list').addEventListener('click', backToList);
  $('continue').addEventListener('click', continueEarlier);
  // A change of look goes on with the same game: saved, then continued.
  $('console-look').checked = consoleLook;
  $('console-look').addEventListener('change', (event) => {
    setConsoleLook(event.target.checked);
    restartInPlace();
  });
  $('open-world').addEventListener('click', () => {
    takeWanted();
    $('world-input').click();
  });
  $('world-input').addEventListener('change', async (event) => {
    const files = Array.from(event.target.files);
    event.target.value = '';
    const wanted = takeWanted();
    if (files.length === 0) return;
    const world = await readWorld(files);
    if (typeof world === 'string') {
      showStatus(world);
      term.focus();
      return;
    }
    // Where the save that asked for it expects it.
    if (wanted) world.path = wanted.path;
    chooseWorld(world);
    if (wanted) wanted.then();
    else start();
  });
  $('default-world').addEventListener('click', () => {
    chooseWorld(null);
    start();
  });
}

// Never lose a game: save when the page may go away.
function listenToLeaving() {
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') saveNow();
  });
  window.addEventListener('pagehide', saveNow);
  window.addEventListener('beforeunload', (event) => {
    if (!playing()) return;
    saveNow();
    event.preventDefault();
    event.returnValue = '';
  });
  // A game on a field with enemies about never waits long: its files are
  // also written out every two seconds.
  setInterval(() => { if (game && game.ended === null) persist(game); }, 2000);
}

// For tests and benchmarks.
window.ranks = {
  // The 25 rows as shown: a wide glyph once, the cell after a one-cell
  // glyph of the console's two as a blank.
  screenText: () => {
    const buffer = term.buffer.active;
    const rows = [];
    for (let y = 0; y < 25; ++y) {
      const line = buffer.getLine(buffer.viewportY + y);
      rows.push(line ? line.translateToString(false) : '');
    }
    return rows;
  },
  // Resolves once the terminal has drawn everything written so far.
  flushed: () => new Promise((resolve) => term.write('', resolve)),
  // How many games the page has started (a world opened, play again).
  starts: () => starts,
  // Resolves once the player's files are in IndexedDB.
  persisted: () => persist(game),
  // Resolves once the list of games shows what is stored.
  listed: () => refreshGames(),
  waiting: () => game !== null && game.waiting,
  waits: () => (game ? game.waits : 0),
  ended: () => (game ? game.ended : null),
  errors: () => (game ? game.errors : ''),
  // Pauses [ms, time] and key waits ['wait', time] so far (with ?timeline).
  timeline: () => (game ? game.timeline : []),
  // The lines the live region has said, oldest first.
  said,
  terminal: term,
};

// The game's code is fetched from the start, alongside the rest.
loadOnce().catch(() => {});
openTerminal();
listenToKeys();
listenToButtons();
listenToLeaving();
setTimeout(() => { $('font-notice').hidden = !japaneseFontMissing(); }, 1000);
start();
showGamesList();
// Kept for offline play once the first game is under way, so the copy
// does not compete with the first visit's loading.
firstWait.then(keepOffline);
