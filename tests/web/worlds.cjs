// Worlds for the page's tests, made from the native build's default world,
// and the headless runner's screens for the same world, clock and keys.
'use strict';
const { execFileSync, spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { root } = require('./browser.cjs');

const nativeBuild = process.env.RANKS_NATIVE_BUILD || path.join(root, 'build');
const defaultWorld = path.join(nativeBuild, 'bin', 'world');
const runner = path.join(nativeBuild, 'bin', 'ranks_headless_screens');
const ranks = path.join(nativeBuild, 'bin', 'ranks');

// The native games run with folders of their own: the player's settings
// never reach them, and their saves never land beside the player's.
const ownFolders = fs.mkdtempSync(path.join(os.tmpdir(), 'ranks-folders-'));
process.on('exit', () => fs.rmSync(ownFolders, { recursive: true, force: true }));
function gameEnv(dataHome = path.join(ownFolders, 'data')) {
  return { ...process.env, HOME: path.join(ownFolders, 'home'), XDG_CONFIG_HOME: path.join(ownFolders, 'config'),
    XDG_DATA_HOME: dataHome };
}

// A copy of the default world in a new folder named `name`, changed by `edit(dir)`.
function makeWorld(name, edit) {
  const dir = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'ranks-world-')), name);
  fs.cpSync(defaultWorld, dir, { recursive: true });
  edit(dir);
  return dir;
}

// No enemy on any map, and the hero starting at column x, row y.
function quietWorld(x, y) {
  return makeWorld('quiet', (dir) => {
    for (let map = 1; map <= 9; ++map) fs.writeFileSync(path.join(dir, 'map_info', 'map1', `${map}.txt`), '0\n');
    const hero = path.join(dir, 'Hero_Info', 'Hero_Status_Info.txt');
    // The start cell is the last two numbers of the file.
    const text = fs.readFileSync(hero, 'latin1').replace(/\d+\s+\d+\s*$/, `${x} ${y}\n`);
    fs.writeFileSync(hero, text, 'latin1');
  });
}

// Nine empty maps with no enemies, the hero on map 5 at column x, row y.
function emptyWorld(x, y) {
  const dir = quietWorld(x, y);
  const blank = (' '.repeat(59) + '\n').repeat(20);
  for (let map = 1; map <= 9; ++map) fs.writeFileSync(path.join(dir, 'map_form', 'map1', `${map}.txt`), blank);
  fs.writeFileSync(path.join(dir, 'map_info', 'map1.txt'), '0 1 1\n0 1 1\n0 1 0\n5\n');
  return dir;
}

// The empty world with one enemy group (kind 1 to 4, of `size`) on the
// hero's row, a few steps to his right: a battle begins at once.
function battleWorld(kind, size) {
  const dir = emptyWorld(26, 10);
  fs.writeFileSync(path.join(dir, 'map_info', 'map1', '5.txt'), `1\n${kind} ${size} 34 10\n`);
  return dir;
}

// The headless backend's screens: one each time the game takes a key, and
// the last when the keys are used up.
function headlessScreens(world, clock, keys) {
  const out = execFileSync(runner, [world, String(clock), ...keys], { encoding: 'utf8', maxBuffer: 1 << 26, env: gameEnv() });
  return JSON.parse(out);
}

// The terminal game in a pseudo-terminal (util-linux's script), its saves in
// `dataHome`: after a second `keys` are typed, then Ctrl+C. Resolves to its
// exit status.
function playInTerminal(args, keys, dataHome) {
  const env = { ...gameEnv(dataHome), LANG: 'C.UTF-8', TERM: 'xterm' };
  const quoted = [ranks, ...args].map((a) => `'${a.replace(/'/g, "'\\''")}'`).join(' ');
  const child = spawn('script', ['-qfec', quoted, '/dev/null'], { env, stdio: ['pipe', 'ignore', 'inherit'] });
  setTimeout(() => child.stdin.write(keys), 1000);
  setTimeout(() => child.stdin.write('\x03'), 2000);
  return new Promise((resolve) => child.on('exit', (code) => resolve(code)));
}

// The last screen of a recording replayed headless by the terminal game.
function replayedScreen(recording) {
  const out = execFileSync(ranks, ['--replay', recording, '--headless'], { encoding: 'utf8', env: gameEnv() });
  return out.split('\n').slice(0, 25);
}

module.exports = {
  defaultWorld, makeWorld, quietWorld, emptyWorld, battleWorld, headlessScreens, playInTerminal, replayedScreen,
};
