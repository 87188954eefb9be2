// The page around the game: the screen, the keys, the worlds, the
// player's games and the page leaving, wired together; then the first game.
import { refreshGames, showGamesList } from './games-list.js';
import { listenToKeys, onKeys, send } from './keys.js';
import { keepOffline } from './offline.js';
import { choice, choose } from './choices.js';
import { kLanguages } from './languages.js';
import { said } from './narration.js';
import {
  backToList, continueCopy, continueEarlier, endedRecording, game, loadOnce, onSettingsChanged, persist, playing, firstWait, restartInPlace, saveNow, start, starts, watchAgain,
} from './session.js';
import { screen } from './screen.js';
import { listenToPainter } from './painter.js';
import { openShared, share } from './share.js';
import { $, firstDrawn, japaneseFontMissing, openTerminal, showStatus, toggleZoom } from './view.js';
import { chooseWorld, readWorld, takeWanted } from './worlds.js';

function listenToButtons() {
  $('again').addEventListener('click', () => start());
  $('watch-again').addEventListener('click', watchAgain);
  $('continue-copy').addEventListener('click', continueCopy);
  $('to-list').addEventListener('click', backToList);
  $('share-ended').addEventListener('click', () => {
    const rec = endedRecording();
    if (rec) share(rec.name, rec.data, $('status'));
  });
  $('continue').addEventListener('click', continueEarlier);
  $('zoom').addEventListener('click', toggleZoom);
  // A change of look, language or message pace goes on with the same
  // game: saved, then continued. The picker offers the game's languages.
  for (const { code, name } of kLanguages) $('lang').append(Object.assign(new Option(name, code), { lang: code }));
  showChoices();
  onSettingsChanged(showChoices);
  const rechoose = (name, value) => {
    if (!choose(name, value)) return;
    showChoices();
    restartInPlace();
  };
  $('console-look').addEventListener('change', (event) => rechoose('look', event.target.checked ? 'console' : 'marked'));
  $('lang').addEventListener('change', (event) => rechoose('lang', event.target.value));
  $('pace').addEventListener('change', (event) => rechoose('pace', event.target.value));
  // The original's alone shapes the game from its start: the next game.
  $('classic').addEventListener('change', (event) => choose('classic', event.target.checked ? 'on' : 'off') && showChoices());
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
      screen.focus();
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

// The switches as chosen, and the game's language where its text is.
function showChoices() {
  $('console-look').checked = choice('look') === 'console';
  $('lang').value = choice('lang');
  $('pace').value = choice('pace');
  $('classic').checked = choice('classic') === 'on';
  // The original has its own look and pace.
  $('console-look').disabled = $('pace').disabled = choice('classic') === 'on';
  $('terminal').lang = choice('lang');
  $('commands').hidden = choice('lang') !== 'ja';
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
  screenText: () => screen.text(),
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
  screen,
  // Keys as a terminal sends them, and each key sent.
  send,
  onKeys,
};

// The game's code is fetched from the start, alongside the rest.
loadOnce().catch(() => {});
openTerminal();
listenToKeys();
listenToButtons();
listenToPainter();
listenToLeaving();
setTimeout(() => { $('font-notice').hidden = !japaneseFontMissing(); }, 1000);
// A link to a shared game plays it; any other address starts a game.
openShared().then(async (shared) => {
  if (shared === true) return;
  await start();
  if (shared) showStatus(shared);
}, () => start());
// The list of games waits for the first frame: the game does not need it.
firstDrawn.then(showGamesList);
// Kept for offline play once the first game is under way, so the copy
// does not compete with the first visit's loading: at its first wait for
// a key, or soon after its first frame (a field with enemies about never
// waits).
Promise.race([firstWait, firstDrawn.then(() => new Promise((resolve) => setTimeout(resolve, 1500)))]).then(keepOffline);
