// The player's games kept in the browser: the game's data folder (saves,
// recordings), kept in the IndexedDB database of that name as Emscripten's
// IDBFS keeps a folder: one record per file in the store below, keyed by
// the file's path. The page reads and writes it itself, file by file: IDBFS
// would write the whole folder at every fsync, taking away what another tab
// or an upload put there meanwhile.
// The database's name and its opening are in the page's first script,
// which begins to open it.
export const kPlayerFiles = window.ranksStore.folder;
const kStore = window.ranksStore.name;

let database = null;  // the open connection, once opened
let opening = window.ranksStore.opening;
export function openStore() {
  if (database) return Promise.resolve(database);
  // Tried again after a failure.
  if (!opening) opening = window.ranksStore.open();
  return opening.then((db) => { database = db; return db; }, (error) => {
    opening = null;
    throw error;
  });
}
const transactionDone = (tx) => new Promise((resolve, reject) => {
  tx.oncomplete = resolve;
  tx.onerror = tx.onabort = () => reject(tx.error);
});

// Every plain file of the folder: [{name, path, data, time}].
export const storedFiles = async () => filesOf(await window.ranksStore.read(await openStore()));
function filesOf(records) {
  const files = [];
  for (const [key, v] of records) {
    if (v.contents && key.startsWith(kPlayerFiles + '/')) {
      files.push({ name: key.slice(kPlayerFiles.length + 1), path: key, data: v.contents, time: v.timestamp });
    }
  }
  return files;
}

export async function storeFile(name, data) {
  const db = await openStore();
  const tx = db.transaction([kStore], 'readwrite');
  // 0100644: a plain file.
  tx.objectStore(kStore).put({ timestamp: new Date(), mode: 0o100644, contents: data }, kPlayerFiles + '/' + name);
  await transactionDone(tx);
  filesChanged();
}

export async function deleteFiles(names, tell = true) {
  const db = await openStore();
  const tx = db.transaction([kStore], 'readwrite');
  for (const name of names) tx.objectStore(kStore).delete(kPlayerFiles + '/' + name);
  await transactionDone(tx);
  if (tell) filesChanged();
}

// Writes the files a game changed in its file system `FS` since it last
// did (`stamps`: name to its time and size when last written). Only those:
// a whole-folder sync would take away what another tab wrote meanwhile.
// The requests go out before this returns, so a page being closed still
// gets them written. Resolves to the writing, or null when nothing changed.
export function writeChanged(FS, stamps) {
  if (!database) return null;
  const changed = [];
  for (const name of FS.readdir(kPlayerFiles)) {
    // A game's lock file (.NAME.lock) means nothing to another tab: the
    // page locks the games it plays itself.
    if (name.startsWith('.')) continue;
    const path = kPlayerFiles + '/' + name;
    const stat = FS.stat(path);
    if (!FS.isFile(stat.mode)) continue;
    const stamp = stat.mtime.getTime() + ':' + stat.size;
    if (stamps.get(name) === stamp) continue;
    stamps.set(name, stamp);
    changed.push([path, { timestamp: stat.mtime, mode: stat.mode, contents: FS.readFile(path) }]);
  }
  if (changed.length === 0) return null;
  const tx = database.transaction([kStore], 'readwrite');
  for (const [path, record] of changed) tx.objectStore(kStore).put(record, path);
  const saves = changed.some(([path]) => path.endsWith('.save'));
  return transactionDone(tx).then(() => { if (saves) filesChanged(); },
    (error) => console.warn('saved games could not be written:', error));
}

// The stored files copied into a game's file system; resolves to the
// stamps writeChanged() starts from.
export async function loadInto(FS) {
  FS.mkdirTree(kPlayerFiles);
  const reading = firstRead || storedFiles();
  firstRead = null;
  const files = await reading.catch((error) => {
    console.warn('saved games could not be read:', error);
    return [];
  });
  for (const file of files) {
    FS.writeFile(file.path, file.data);
    const time = file.time.getTime();
    FS.utime(file.path, time, time);
  }
  const stamps = new Map();
  for (const name of FS.readdir(kPlayerFiles)) {
    const stat = FS.stat(kPlayerFiles + '/' + name);
    if (FS.isFile(stat.mode)) stamps.set(name, stat.mtime.getTime() + ':' + stat.size);
  }
  return stamps;
}

// The first game's files, read as the page starts; later games, and any
// after a change, read them afresh.
let firstRead = window.ranksStore.reading.then(filesOf);
firstRead.catch(() => {});

// The fields of a save that the list shows, and its world.
export function readSave(data) {
  const fields = {};
  for (const line of new TextDecoder().decode(data).split('\n')) {
    const space = line.indexOf(' ');
    if (space > 0 && !(line.slice(0, space) in fields)) fields[line.slice(0, space)] = line.slice(space + 1);
  }
  return fields;
}
export const isSave = (data) => new TextDecoder('latin1').decode(data.subarray(0, 22)) === 'ranks-and-files save 1';

// What a recording tells of its game: whether a key was ever pressed, and
// the player's own time between keys (the game's pauses are not in it).
export function recorded(data) {
  const text = new TextDecoder('latin1').decode(data);
  const events = text.indexOf('\nevents\n');
  const body = events < 0 ? '' : text.slice(events + 8);
  let ms = 0;
  for (const m of body.matchAll(/(?:^|\s)t(\d+)/g)) ms += Number(m[1]);
  return { keys: /(?:^|\s)\+\d/.test(body), ms };
}

// A name for a new file beside `files`: stem, stem-2, stem-3 ...
export function freeName(files, stem, extension) {
  const taken = new Set(files.map((f) => f.name));
  for (let n = 1; ; ++n) {
    const name = stem + (n === 1 ? '' : '-' + n) + extension;
    if (!taken.has(name) && !taken.has(name.replace(/\.save$/, '.rec'))) return name;
  }
}

// Whoever shows the stored games hears of every change, this tab's and
// other tabs'.
const listeners = [];
export const onFilesChanged = (listener) => listeners.push(listener);
export const showFilesChanged = () => {
  firstRead = null;
  listeners.forEach((listener) => listener());
};
const channel = 'BroadcastChannel' in window ? new BroadcastChannel('ranks-files') : null;
function filesChanged() {
  if (channel) channel.postMessage('changed');
  showFilesChanged();
}
if (channel) channel.onmessage = showFilesChanged;
