// The worlds: the default one, or a folder the player opened, which lives
// at /worlds/NAME while it is played; the saves name that path, and their
// world-digest tells two folders of the same name apart.
import { $ } from './view.js';

const kDataFolders = ['Hero_Info', 'Enemy_Info', 'Abilities', 'map_form', 'map_info', 'mini_map'];
const kWorlds = '/worlds';

// {name, path, files: [{path, data}]} of the chosen folder, or null.
export let userWorld = null;

export function chooseWorld(world) {
  userWorld = world;
  $('world-name').textContent = !world ? 'The default world'
    : 'World: ' + (world.title ? world.title + ' (' + world.name + ')' : world.name);
  // All of it where the header cuts it short.
  $('world-name').title = $('world-name').textContent;
  $('default-world').hidden = !world;
}

// The world a save asks for, and what to do once its folder is chosen.
let wanted = null;
export const wantWorld = (path, then) => { wanted = { path, then }; };
export function takeWanted() {
  const w = wanted;
  wanted = null;
  return w;
}

export const worldArguments = () => (userWorld ? ['--world', userWorld.path] : []);

export const worldLabel = (world) => world === 'default' ? 'default world'
  : (world || '?').split(/[\\/]/).filter(Boolean).pop() || world;

// The chosen folder's world, put where the game reads it.
export function installWorld(FS) {
  if (!userWorld) return;
  for (const file of userWorld.files) {
    const path = userWorld.path + '/' + file.path;
    FS.mkdirTree(path.substring(0, path.lastIndexOf('/')));
    FS.writeFile(path, file.data);
  }
}

// The name a world file (world.txt, "name: ..." in UTF-8 or code page 932) gives the world, or ''.
function titleOf(data) {
  let text;
  try {
    text = new TextDecoder('utf-8', { fatal: true }).decode(data);
  } catch {
    text = new TextDecoder('shift_jis').decode(data);
  }
  const line = text.split('\n').find((l) => /^\s*name\s*:/.test(l));
  return line ? line.slice(line.indexOf(':') + 1).trim() : '';
}

// A chosen folder: the world is where the data folders are, whether the
// folder itself or one inside it was picked; its world file and
// translations beside them come along. Resolves to the world, or to a
// string saying why there is none.
export async function readWorld(files) {
  const world = [];
  const paths = [...files].map((file) => (file.webkitRelativePath || file.name).split('/'));
  const first = paths.find((parts) => parts.some((p) => kDataFolders.includes(p)));
  const depth = first ? first.findIndex((p) => kDataFolders.includes(p)) : -1;
  let title = '';
  for (const [i, file] of [...files].entries()) {
    const parts = paths[i];
    const at = parts.findIndex((p) => kDataFolders.includes(p));
    const beside = depth >= 0 && at < 0 && parts.length > depth &&
      (parts.length === depth + 1 ? parts[depth] === 'world.txt' : parts[depth] === 'translations');
    if (at < 0 && !beside) continue;
    const data = new Uint8Array(await file.arrayBuffer());
    if (beside && parts.length === depth + 1) title = titleOf(data);
    world.push({ path: parts.slice(at < 0 ? depth : at).join('/'), data });
  }
  const folder = (files[0].webkitRelativePath || '').split('/')[0] || 'the chosen folder';
  if (world.length === 0) {
    return folder + ' holds none of the data folders (' + kDataFolders.join(', ') +
      '); the game goes on with the world it has.';
  }
  // Its name as a path: what a file name cannot hold becomes '_'.
  const safe = folder.replace(/[^A-Za-z0-9._-]/g, '_').replace(/^\.+/, '_') || 'world';
  // base: the world's place inside the chosen folder.
  return { name: folder, title, path: kWorlds + '/' + safe, files: world, base: first.slice(1, depth) };
}
