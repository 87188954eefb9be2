// The world painter (`ranks edit`) on the world the page has open, in the
// game's screen with the game's keys. Its code is a module of its own,
// fetched the first time a visitor opens it; its world package is the
// game's. Nothing is written until the author saves: a save goes back into
// the folder where the browser lets the page write there (a folder opened
// with "Edit a world folder…"), else the world's folder is offered as a
// zip; either way the page's copy follows, so the next game plays it.
import { loadOnce } from './game-module.js';
import { choice } from './choices.js';
import { narrate } from './narration.js';
import { kPlayerFiles } from './stored-games.js';
import { game, start, takeBack } from './session.js';
import { $, button, download, showErrors, showStatus } from './view.js';
import { chooseWorld, readWorld, userWorld } from './worlds.js';

const kDefaultWorld = '/game/world';
// The painter's code, fetched and compiled once.
let painterCode = null;

// Fetched as the game's files are (index.html's ranksFetch): a page whose
// painter is gone from the server (another release there now) is loaded
// again once, else says so.
async function loadPainter() {
  if (!painterCode) {
    painterCode = Promise.all([
      ranksFetch('painter.wasm').then((response) => WebAssembly.compileStreaming(
        new Response(response.body, { headers: { 'Content-Type': 'application/wasm' } }))),
      ranksFetch('painter.js').then((response) => response.text()).then((text) => {
        const script = document.createElement('script');
        script.textContent = text;
        document.head.append(script);
      }),
    ]).then(([code]) => code);
    painterCode.catch(() => { painterCode = null; });
  }
  const [code, [, world]] = await Promise.all([painterCode, loadOnce()]);
  return [code, world];
}

// Every file under `dir` in a game's file system: {path (from dir), data}.
function filesUnder(FS, dir, at = '') {
  const out = [];
  for (const name of FS.readdir(dir + at)) {
    if (name === '.' || name === '..') continue;
    const path = at + '/' + name;
    if (FS.isDir(FS.stat(dir + path).mode)) out.push(...filesUnder(FS, dir, path));
    else out.push({ path: path.slice(1), data: FS.readFile(dir + path) });
  }
  return out;
}

const sameBytes = (a, b) => a.length === b.length && a.every((byte, i) => byte === b[i]);

// ---- A zip of stored files (no compression), for the download ----

const kCrcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function crc32(data) {
  let c = 0xFFFFFFFF;
  for (const byte of data) c = kCrcTable[(c ^ byte) & 0xFF] ^ (c >>> 8);
  return (c ^ 0xFFFFFFFF) >>> 0;
}

// [{path, data}] as a zip's bytes, each file stored as it is (dated 1980).
export function zipOf(files) {
  const encoder = new TextEncoder();
  const parts = [];
  const central = [];
  let offset = 0;
  const header = (size, fill) => {
    const bytes = new Uint8Array(size);
    fill(new DataView(bytes.buffer));
    return bytes;
  };
  for (const { path, data } of files) {
    const name = encoder.encode(path);
    const crc = crc32(data);
    // Version 10, UTF-8 names (flag 11), stored, 1980-01-01 00:00.
    const common = (v, at) => {
      v.setUint16(at, 10, true);
      v.setUint16(at + 2, 0x800, true);
      v.setUint16(at + 4, 0, true);
      v.setUint16(at + 6, 0, true);
      v.setUint16(at + 8, 0x21, true);
      v.setUint32(at + 10, crc, true);
      v.setUint32(at + 14, data.length, true);
      v.setUint32(at + 18, data.length, true);
      v.setUint16(at + 22, name.length, true);
    };
    parts.push(header(30, (v) => { v.setUint32(0, 0x04034B50, true); common(v, 4); }), name, data);
    central.push(header(46, (v) => {
      v.setUint32(0, 0x02014B50, true);
      v.setUint16(4, 20, true);
      common(v, 6);
      v.setUint32(42, offset, true);
    }), name);
    offset += 30 + name.length + data.length;
  }
  const size = central.reduce((n, part) => n + part.length, 0);
  const end = header(22, (v) => {
    v.setUint32(0, 0x06054B50, true);
    v.setUint16(8, files.length, true);
    v.setUint16(10, files.length, true);
    v.setUint32(12, size, true);
    v.setUint32(16, offset, true);
  });
  return new Blob([...parts, ...central, end], { type: 'application/zip' });
}

// ---- Folders the browser lets the page write to ----

// A folder opened through the browser's directory picker, as readWorld
// takes files, with the handle kept to write into.
async function filesOfFolder(handle, at = [handle.name]) {
  const out = [];
  for await (const entry of handle.values()) {
    const parts = [...at, entry.name];
    if (entry.kind === 'directory') {
      out.push(...await filesOfFolder(entry, parts));
    } else {
      const file = await entry.getFile();
      out.push({ webkitRelativePath: parts.join('/'), name: entry.name, arrayBuffer: () => file.arrayBuffer() });
    }
  }
  return out;
}

async function writeInto(handle, base, files) {
  if ((await handle.queryPermission({ mode: 'readwrite' })) !== 'granted' &&
      (await handle.requestPermission({ mode: 'readwrite' })) !== 'granted') {
    throw new Error('the browser did not allow writing into ' + handle.name);
  }
  for (const { path, data } of files) {
    const parts = [...base, ...path.split('/')];
    let dir = handle;
    for (const part of parts.slice(0, -1)) dir = await dir.getDirectoryHandle(part, { create: true });
    const writable = await (await dir.getFileHandle(parts[parts.length - 1], { create: true })).createWritable();
    await writable.write(data);
    await writable.close();
  }
}

// ---- The painter's run ----

// The world being painted: its folder in the painter's file system, its
// files as last saved, and where a save goes.
let painting = null;

function lockControls(on) {
  for (const id of ['open-world', 'default-world', 'edit-world', 'edit-folder', 'continue', 'lang', 'console-look', 'pace', 'classic']) {
    if ($(id)) $(id).disabled = on;
  }
}

// What a save changed, compared with the files as last saved.
function changedSince(FS) {
  const now = filesUnder(FS, painting.dir);
  const before = new Map(painting.files.map((f) => [f.path, f.data]));
  const changed = now.filter((f) => !before.has(f.path) || !sameBytes(before.get(f.path), f.data));
  return { now, changed };
}

// A save shows as files changed since the last: handed on where they go.
function checkSaved(FS) {
  if (painting.files === null) painting.files = filesUnder(FS, painting.dir);
  const { now, changed } = changedSince(FS);
  if (changed.length > 0) saved(now, changed);
}

async function saved(now, changed) {
  painting.files = now;
  painting.savedAny = true;
  // The page's copy of the world: an edited default world is played as a
  // folder of its own from now on.
  const world = userWorld ? { ...userWorld, files: now } : { name: 'world', title: '', path: '/worlds/world', files: now };
  chooseWorld(world);
  const names = changed.map((f) => f.path).join(', ');
  try {
    if (painting.handle) {
      await writeInto(painting.handle, painting.base, changed);
      showStatus('Saved into ' + painting.handle.name + ': ' + names + '.');
      return;
    }
  } catch (error) {
    showStatus('Not saved into the folder (' + error.message + '): the world is offered as a download instead.');
  }
  const zipName = world.name + '.zip';
  const zip = zipOf(now.map((f) => ({ path: world.name + '/' + f.path, data: f.data })));
  download(zipName, zip);
  showStatus('Saved ' + names + ': the world folder is in ' + zipName + ' (downloaded). ');
  $('status').append(button('Download again', () => download(zipName, zip)));
}

// Runs the command's game in the screen until it ends; resolves to its status.
function playTest(painterSession, command) {
  const FS = painterSession.module.FS;
  const at = command.indexOf('--world') + 1;
  const dir = at > 0 ? command[at] : kDefaultWorld;
  const files = filesUnder(FS, dir);
  return new Promise((resolve) => {
    start({
      nested: true,
      args: command.slice(1),
      adapt: (module) => module.preRun.push(() => {
        for (const { path, data } of files) {
          const full = dir + '/' + path;
          module.FS.mkdirTree(full.slice(0, full.lastIndexOf('/')));
          module.FS.writeFile(full, data);
        }
      }),
      done: (status) => {
        takeBack(painterSession);
        resolve(typeof status === 'number' ? status : -1);
      },
    });
  });
}

// Opens the painter on the world open in the page (`handle`: the folder
// it came from, where the page may write).
export function openPainter(handle = null, base = []) {
  const before = game && game.saveKnown && !game.how.replay ? kPlayerFiles + '/' + game.saveName : null;
  const dir = userWorld ? userWorld.path : kDefaultWorld;
  painting = { dir, files: userWorld ? userWorld.files : null, handle, base, savedAny: false };
  lockControls(true);
  const name = userWorld ? userWorld.name : 'the default world';
  start({
    painter: true,
    args: ['edit', dir, '--lang', choice('lang')],
    // Not loaded: back to the game, saying why.
    load: () => loadPainter().catch((error) => {
      painting = null;
      lockControls(false);
      start(before ? { resume: before } : {}).then(() => showErrors('The painter could not be loaded (' + error.message + ').'));
      return null;
    }),
    run: (module) => window.RanksPainter(module),
    adapt: (module, session) => {
      // The game's last line does not belong under the painter.
      narrate(null);
      showStatus('Painting ' + name + ': its keys are on the screen\'s last rows; s saves, q leaves.');
      module.ranksPlay = (command) => playTest(session, command);
      const waitInput = module.ranksWaitInput;
      // Each key is handled before the painter waits for the next: a save
      // shows there as changed files.
      module.ranksWaitInput = (timeoutMs) => {
        checkSaved(module.FS);
        return waitInput(timeoutMs);
      };
    },
    done: (status) => {
      // A save just before quitting, with no wait between.
      checkSaved(game.module.FS);
      const savedAny = painting.savedAny;
      painting = null;
      lockControls(false);
      if (!savedAny) showStatus(status === 0 ? '' : 'The painter stopped (' + status + ').');
      // Back to the game: the one played before where the world is as it
      // was, else a new game on the world as saved.
      start(before && !savedAny ? { resume: before } : {});
    },
  });
}

// A folder picked through the browser's own picker, which lets the page
// write the painter's saves back into it.
async function editFolder() {
  let handle;
  try {
    handle = await window.showDirectoryPicker({ mode: 'readwrite' });
  } catch {
    return;  // the picker was closed
  }
  const files = await filesOfFolder(handle);
  const world = await readWorld(files);
  if (typeof world === 'string') {
    showStatus(world);
    return;
  }
  chooseWorld(world);
  openPainter(handle, world.base);
}

export function listenToPainter() {
  $('edit-world').addEventListener('click', () => openPainter());
  $('edit-folder').addEventListener('click', editFolder);
}
