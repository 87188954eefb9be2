// The session with the game: one game instance at a time (a new one for
// every start), its keyboard queue, its saves written out and locked to
// this tab, and its end.
import { gameOptions, takeSettings } from './choices.js';
import { gameModule, loadOnce } from './game-module.js';
import { narrate } from './narration.js';
import {
  freeName, kPlayerFiles, openStore, readSave, recorded, showFilesChanged, storedFiles, storeFile, writeChanged,
} from './stored-games.js';
import { screen } from './screen.js';
import { $, button, showErrors, showStatus, touch } from './view.js';
import { chooseWorld, userWorld, wantWorld, worldArguments, worldLabel } from './worlds.js';

export { loadOnce };
// Resolves when the first game first waits for a key.
let firstWaited;
export const firstWait = new Promise((resolve) => { firstWaited = resolve; });
export let game = null;  // the running instance's page side
export let starts = 0;
let startToken = 0;

// ---- One game, one writer: a save played in a tab is locked there ----

const lockName = (saveName) => 'ranks-save:' + saveName;
// Resolves to the lock's release, or null when another tab holds it.
function takeLock(session, saveName) {
  if (!navigator.locks) return Promise.resolve(() => {});
  return new Promise((resolve) => {
    session.lockDone = navigator.locks.request(lockName(saveName), { ifAvailable: true }, (lock) => {
      if (!lock) { resolve(null); return null; }
      return new Promise((release) => {
        session.release = release;
        resolve(release);
      });
    });
  });
}
export async function heldElsewhere(saveName) {
  if (!navigator.locks) return false;
  if (game && game.saveName === saveName && game.release) return false;
  const { held } = await navigator.locks.query();
  return held.some((lock) => lock.name === lockName(saveName));
}
async function releaseLock(session) {
  if (!session.release) return;
  session.release();
  session.release = null;
  await session.lockDone;
}

// ---- One run of the game ----

function Session(how) {
  this.how = how;
  this.input = [];  // Uint8Array chunks not yet taken
  this.wake = null;
  this.waiting = false;
  this.waits = 0;
  this.ended = null;
  this.errors = '';
  this.timeline = [];
}
Session.prototype.push = function (bytes) {
  this.input.push(bytes);
  // What a key changes the game saves itself, as it next looks at the
  // keyboard.
  if (this.wake) this.wake();
};

// Sends a key to the running game, if any.
export function sendKeys(bytes) {
  if (game && game.ended === null) game.push(bytes);
}

// Called when the game's menu has changed the look or the pace.
let onSettings = null;
export function onSettingsChanged(then) { onSettings = then; }

// Writes the files this game changed since it last did.
export function persist(session) {
  const FS = session && session.module && session.module.FS;
  if (!FS || !session.stamps) return Promise.resolve();
  if (takeSettings(FS) && onSettings) onSettings();
  const writing = writeChanged(FS, session.stamps);
  if (writing) session.persisting = writing;
  return session.persisting || Promise.resolve();
}

// The game's save is known once the game has written it (a new game saves
// as it starts, before it first looks at the keyboard): from then on it
// is locked to this tab, and Continue offers the most recent save of the
// same world made before.
function knowSave(session) {
  if (session.how.replay || !session.before) return;
  const FS = session.module.FS;
  let own = session.how.resume ? session.how.resume.split('/').pop() : null;
  if (!own) own = FS.readdir(kPlayerFiles).find((n) => n.endsWith('.save') && !session.before.has(n)) || null;
  if (!own) return;
  const mine = readSave(FS.readFile(kPlayerFiles + '/' + own));
  if (!mine['world-digest']) return;
  session.saveKnown = true;
  session.saveName = own;
  takeLock(session, own);
  // Written out at once: another tab now sees this game as the latest.
  persist(session);
  showFilesChanged();
  let best = null;
  for (const name of session.before) {
    if (!name.endsWith('.save') || name === own) continue;
    const path = kPlayerFiles + '/' + name;
    const fields = readSave(FS.readFile(path));
    if (untouched(FS, name)) continue;
    if (fields.world !== mine.world || fields['world-digest'] !== mine['world-digest']) continue;
    // The file's time: the saved line has whole seconds only.
    const time = FS.stat(path).mtime.getTime();
    if (!best || time > best.time) best = { path, time };
  }
  session.resumable = best ? best.path : null;
  $('continue').hidden = best === null;
}

// A new game nobody pressed a key in (its first recording holds none).
function untouched(FS, saveName) {
  const rec = kPlayerFiles + '/' + saveName.replace(/\.save$/, '.rec');
  return FS.analyzePath(rec).exists && !recorded(FS.readFile(rec)).keys;
}

// Has the running game save as quitting would, and write it out: at once
// when it waits for a key, else as it next looks at the keyboard.
// Resolves once the save is asked for and written (or after a second).
export function saveNow() {
  const session = game;
  if (!session || session.ended !== null || !session.saveKnown) return Promise.resolve();
  session.module.ranksSaveRequested = true;
  if (session.wake) session.wake();
  if (session.interrupt) session.interrupt();
  return new Promise((resolve) => {
    session.onSaved = resolve;
    setTimeout(resolve, 1000);
  });
}

// Whether leaving the page now would leave a game being played (or the
// painter open, whose edits may be unsaved).
export const playing = () => game !== null && game.ended === null && (game.saveKnown || !!game.how.painter);

async function retire(session) {
  await saveNow();
  session.module.ranksReplaced = true;
  if (session.wake) session.wake();
  if (session.interrupt) session.interrupt();
  if (session.ended === null) session.ended = 'replaced';
  await persist(session);
  await releaseLock(session);
}

// ---- Starting a game, in its steps ----

// Starts a game: a new one, {resume: path} or {replay: path, speed}; or
// another program of the page's (painter.js): {args, load, run, adapt,
// done}, run with the arguments given, its code loaded and started by its
// own, its module adapted, and done(status) called at its end instead of
// the page's. A play-test (nested) leaves the game before it waiting.
export async function start(how = {}) {
  const token = ++startToken;
  // The painter, or its play-test, ends by its own keys.
  if (!how.nested && game && game.how.done && game.ended === null) {
    showStatus('The painter is open: leave it first (q).');
    return;
  }
  if (!how.nested && !(await claim(how))) return;
  if (token !== startToken) return;
  const loaded = await (how.load || load)();
  if (!loaded || token !== startToken) return;
  const session = new Session(how);
  game = session;
  ++starts;
  clearScreen(how);
  session.module = gameModule(session, ...loaded, {
    args: how.args || gameArguments(how), isCurrent: () => game === session, knowSave, persist, ended, titled, waited: firstWaited,
  });
  if (how.adapt) how.adapt(session.module, session);
  (how.run || RanksGame)(session.module);
}

// The session a play-test left waiting takes the screen and keys again.
export function takeBack(session) {
  game = session;
  screen.clear();
  if (!touch) screen.focus();
}

// The save to resume is free here, and the game before has stopped.
async function claim(how) {
  if (how.resume) {
    const name = how.resume.split('/').pop();
    if (await heldElsewhere(name)) {
      offerCopy(name);
      return false;
    }
  }
  if (game) await retire(game);
  return true;
}

// Resolves to the compiled code and the world package, or null when they
// could not be fetched (said on the page).
async function load() {
  // Opened alongside: the game waits for the stored files before it
  // writes one, and they come through the same connection.
  openStore().catch((error) => console.warn('saved games cannot be kept:', error));
  try {
    return await loadOnce();
  } catch (error) {
    showErrors('The game could not be loaded (' + error.message + '); reload the page to try again.');
    return null;
  }
}

function clearScreen(how) {
  screen.clear();
  showErrors('');
  showStatus(how.replay ? 'Watching ' + replayName(how) + ' (Space pauses, Ctrl+C stops).' : '');
  $('continue').hidden = true;
  $('ended').hidden = true;
  narrate(null);
  if (!touch) screen.focus();
}

// What the page calls a replay: a shared game by whose it is, any other
// by its file's name.
const replayName = (how) => how.label || how.replay.split('/').pop();

function gameArguments(how) {
  let args = how.replay ? ['--replay', how.replay].concat(how.speed ? ['--speed', how.speed] : []) : worldArguments();
  if (how.resume) args = args.concat(['--continue', how.resume]);
  if (how.endSave) args.push('--end-save');
  // A shared game is shown in the language it was played in.
  const options = gameOptions();
  if (how.language) options[options.indexOf('--lang') + 1] = how.language;
  return args.concat(options);
}

// A replay says what it is doing in its title: the page says it too, and
// at its end offers to watch it again or go back to the list.
function titled(session, title) {
  if (!session.how.replay) return;
  const name = replayName(session.how);
  if (/ENDED/.test(title) && session.how.endSave) {
    session.push(Uint8Array.of(13));  // its last screen was seen already
  } else if (/ENDED/.test(title)) {
    showStatus('');
    showEnd(session, 'The recording ' + (session.how.label ? 'of ' : '') + name + ' has ended.');
  } else if (/PAUSED/.test(title)) {
    showStatus('Paused ' + name + ' (Space goes on, Ctrl+C stops).');
  } else {
    showStatus('Watching ' + name + ' (Space pauses, Ctrl+C stops).');
  }
}

function showEnd(session, text) {
  $('ended-text').textContent = text;
  $('ended').hidden = false;
  $('watch-again').hidden = $('to-list').hidden = !session.how.replay;
  $('share-ended').hidden = endedRecording() === null;
  $('continue-copy').hidden = !session.how.label || session.ended === 'refused';
  narrate({ page: text });
  (session.how.replay ? $('watch-again') : $('again')).focus();
}

// The recording the game that just ended wrote (its latest part), as
// {name, data}; null for a replay or a game that kept none.
export function endedRecording() {
  const session = game;
  if (!session || session.how.replay || !session.saveName || session.ended === null) return null;
  const FS = session.module.FS;
  const stem = session.saveName.replace(/\.save$/, '');
  const parts = FS.readdir(kPlayerFiles).filter((n) => n.endsWith('.rec') && (n === stem + '.rec' || n.startsWith(stem + '.')));
  if (parts.length === 0) return null;
  const mtime = (n) => FS.stat(kPlayerFiles + '/' + n).mtime.getTime();
  const name = parts.reduce((a, b) => (mtime(b) > mtime(a) ? b : a));
  return { name, data: FS.readFile(kPlayerFiles + '/' + name) };
}

// The replay just shown, from its start; or the list of games.
export function watchAgain() {
  if (game && game.how.replay) start({ ...game.how });
}
// A shared game goes on from where its recording ends, as a saved game of
// this browser's own: replayed to its end again, at once, and kept there.
export function continueCopy() {
  if (game && game.how.label) start({ ...game.how, speed: 'max', endSave: true });
}
function goOnFromEnd(session) {
  const FS = session.module.FS;
  const made = FS.readdir(kPlayerFiles).find((n) => n.endsWith('.save') && !session.before.has(n));
  if (made) continueSave(kPlayerFiles + '/' + made);
  else showEnd(session, 'Where the shared game ends could not be kept here.' + (session.errors ? ' It reported what is shown above.' : ''));
}

export function backToList() {
  $('games').scrollIntoView({ block: 'start' });
  const first = document.querySelector('#games-list button');
  (first || $('upload')).focus();
}

function ended(session, status) {
  session.ended = status;
  session.waiting = false;
  if (session.how.done) {
    persist(session).then(() => session.how.done(status));
    return;
  }
  const kept = persist(session).then(() => releaseLock(session)).then(showFilesChanged);
  if (session.how.endSave && status === 0) {
    kept.then(() => goOnFromEnd(session));
    return;
  }
  const label = session.how.label ? 'of ' + session.how.label + ' ' : '';
  let text = session.how.replay ? 'The recording ' + label + 'has ended.' : 'The game has ended.';
  if (status === 'refused') text = session.how.replay ? 'The recording cannot be watched here.' : 'The game could not start.';
  if (session.errors !== '') text += ' It reported what is shown above.';
  if (/recorded on another world/.test(session.errors)) text += ' Open the world it was played on, then watch it again.';
  showEnd(session, text);
}

// ---- Continuing ----

// A game names its world: the default one is played as such, any other
// with its folder open here, which is asked for first (the game warns
// when its files differ).
export function startOfWorld(world, how, what) {
  if (!world || world === 'default' || (userWorld && userWorld.path === world)) {
    start(how);
    return;
  }
  const name = worldLabel(world);
  showStatus('This game was played on the world in ' + name + ', which is not open here: open that folder to ' + what + '.');
  $('status').append(' ', button('Open ' + name + '…', () => {
    wantWorld(world, () => start(how));
    $('world-input').click();
  }));
}

export function continueSave(path) {
  const FS = game && game.module.FS;
  const fields = FS && FS.analyzePath(path).exists ? readSave(FS.readFile(path)) : null;
  if (fields && fields.world === 'default' && userWorld) chooseWorld(null);
  startOfWorld(fields && fields.world, { resume: path }, 'continue it');
}

// The save before this game of the same world, when there is one.
export function continueEarlier() {
  if (game && game.resumable) continueSave(game.resumable);
}

// A save open in another tab is refused there; a copy of it can be played.
function offerCopy(name) {
  showStatus(name + ' is open in another tab.');
  const copy = button('Play a copy here', async () => {
    copy.remove();
    const files = await storedFiles();
    const file = files.find((f) => f.name === name);
    if (!file) return;
    const copyName = freeName(files, name.replace(/\.save$/, '') + '-copy', '.save');
    await storeFile(copyName, file.data);
    start({ resume: kPlayerFiles + '/' + copyName });
  });
  $('status').append(' ', copy);
}

// Starts the game again where it is, with the choices now made: a game
// played goes on from its save, a replay from its start, a new game nobody
// played yet begins again.
export function restartInPlace() {
  if (!game || game.ended !== null || game.how.done) return;
  if (game.how.replay) start(game.how);
  else if (game.saveKnown) start({ resume: kPlayerFiles + '/' + game.saveName });
  else if (!game.how.resume) start();
}
