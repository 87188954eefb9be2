// Your games: the saves and recordings kept in this browser, listed with
// what can be done with each, and uploads.
import { continueSave, game, heldElsewhere, startOfWorld } from './session.js';
import {
  deleteFiles, freeName, isSave, onFilesChanged, readSave, recorded, storedFiles, storeFile,
} from './stored-games.js';
import { recordingOrigin, shareButton } from './share.js';
import { $, button, download } from './view.js';
import { worldLabel } from './worlds.js';

// game-X.save, and its recordings game-X.rec, game-X.2.rec ...
const stemOf = (name) => name.replace(/(\.\d+)?\.rec$/, '').replace(/\.save$/, '');
// game-X.rec is the first part played, game-X.2.rec the second ...
const partOf = (rec, stem) => Number((/^\.(\d+)\.rec$/.exec(rec.name.slice(stem.length)) || [0, 1])[1]);

// "12 min", "1 h 05 min", "under a minute".
function duration(ms) {
  const minutes = Math.floor(ms / 60000);
  if (minutes < 1) return 'under a minute';
  return minutes < 60 ? minutes + ' min' : Math.floor(minutes / 60) + ' h ' + String(minutes % 60).padStart(2, '0') + ' min';
}

// The stored games, most recent first: [{stem, save, recordings, fields,
// time, when, played, untouched}].
async function listGames() {
  const games = new Map();
  for (const file of await storedFiles()) {
    if (!/\.(save|rec)$/.test(file.name)) continue;
    const stem = stemOf(file.name);
    if (!games.has(stem)) games.set(stem, { stem, save: null, recordings: [] });
    const entry = games.get(stem);
    if (file.name.endsWith('.save')) entry.save = file;
    else if (file.name.endsWith('.rec')) entry.recordings.push(file);
  }
  return Array.from(games.values()).map((g) => {
    g.fields = g.save ? readSave(g.save.data) : {};
    const file = g.save || g.recordings[0];
    g.time = file.time.getTime();
    // A save says when in UTC to the second; else the file's own time.
    g.when = g.fields.saved ? g.fields.saved.replace(/:\d\d UTC$/, ' UTC')
      : file.time.toISOString().slice(0, 16).replace('T', ' ') + ' UTC';
    g.recordings.sort((a, b) => partOf(a, g.stem) - partOf(b, g.stem));
    const parts = g.recordings.map((r) => recorded(r.data));
    g.played = parts.reduce((sum, part) => sum + part.ms, 0);
    // A new game saves as it starts: until a key is pressed in it, it is
    // nobody's game yet.
    g.untouched = g.save !== null && parts.length > 0 && !parts.some((part) => part.keys);
    return g;
  }).sort((a, b) => b.time - a.time);
}

// New games left without a key pressed, and played nowhere now, go.
async function forgetUntouched(list) {
  const left = [];
  for (const g of list) {
    if (!g.untouched) left.push(g);
    else if (!(await playedAnywhere(g.save.name))) await deleteFiles([g.save.name, ...g.recordings.map((r) => r.name)], false);
  }
  return left;
}

export async function refreshGames() {
  let list;
  try { list = await forgetUntouched(await listGames()); } catch (error) { return; }
  const body = document.querySelector('#games-list tbody');
  body.textContent = '';
  for (const g of list) showGame(body.insertRow(), g);
  $('games-list').hidden = list.length === 0;
  $('games-empty').hidden = list.length !== 0;
}

function showGame(row, g) {
  const title = g.save ? g.save.name : g.stem;
  row.insertCell().textContent = g.save ? g.fields['world-name'] || worldLabel(g.fields.world) : '';
  row.insertCell().textContent = g.fields.level || '';
  const cell = /^(\d+) (\d+)$/.exec(g.fields.cell || '');
  row.insertCell().textContent = g.fields.map ? g.fields.map + (cell ? ` (${cell[1]}, ${cell[2]})` : '') : '';
  row.insertCell().textContent = g.recordings.length > 0 ? duration(g.played) : '';
  row.insertCell().textContent = g.when;
  const actions = row.insertCell();
  if (g.save && game && game.saveName === g.save.name && game.ended === null) {
    actions.textContent = 'Playing now';
  } else if (g.save) {
    actions.append(
      button('Continue', () => continueSave(g.save.path), 'Continue ' + title),
      button('Download', () => download(g.save.name, g.save.data), 'Download ' + title),
      button('Delete', () => deleteGame(g), 'Delete ' + title));
  }
  const recs = row.insertCell();
  for (const rec of g.recordings) {
    const part = document.createElement('span');
    part.className = 'recording';
    const watch = (how) => startOfWorld(recordingOrigin(rec.data).world, how, 'watch it');
    // game-X.rec is the first part played, game-X.2.rec the second ...
    part.append('Part ' + partOf(rec, g.stem) + ': ',
      button('Watch', () => watch({ replay: rec.path }), 'Watch ' + rec.name),
      button('4x', () => watch({ replay: rec.path, speed: '4' }), 'Watch ' + rec.name + ' four times as fast'),
      button('End', () => watch({ replay: rec.path, speed: 'max' }), 'Show the end of ' + rec.name),
      button('Download', () => download(rec.name, rec.data), 'Download ' + rec.name),
      shareButton(rec));
    recs.append(part);
  }
}

// Whether a tab (this one or another) plays the save now.
async function playedAnywhere(name) {
  return (game && game.saveName === name && game.ended === null) || await heldElsewhere(name);
}

async function deleteGame(g) {
  if (g.save && await playedAnywhere(g.save.name)) {
    $('games-status').textContent = g.save.name + ' is being played; it cannot be deleted now.';
    return;
  }
  await deleteFiles([...(g.save ? [g.save.name] : []), ...g.recordings.map((r) => r.name)]);
  $('games-status').textContent = 'Deleted ' + (g.save ? g.save.name : g.stem) + '.';
}

async function upload(event) {
  const file = event.target.files[0];
  event.target.value = '';
  if (!file) return;
  const data = new Uint8Array(await file.arrayBuffer());
  const save = isSave(data);
  const recording = /\.rec$/.test(file.name);
  if (!save && !recording) {
    $('games-status').textContent = file.name + ' is neither a saved game nor a recording of this game.';
    return;
  }
  const base = file.name.replace(/[^A-Za-z0-9._-]/g, '_').replace(/(\.\d+)?\.(save|rec)$/, '') || 'uploaded';
  const name = freeName(await storedFiles(), base, save ? '.save' : '.rec');
  await storeFile(name, data);
  $('games-status').textContent = 'Added ' + name + '.';
}

export function showGamesList() {
  $('upload').addEventListener('click', () => $('upload-input').click());
  $('upload-input').addEventListener('change', upload);
  onFilesChanged(refreshGames);
  refreshGames();
}
