// The player's choices the page remembers (in localStorage) and gives the
// game as its options: the language of the screen, the look, the message
// pace and the original's alone. Each also comes from the address
// (?lang=en, ?look=console, ?messages=auto, ?classic=on) for that visit. They are the game's own settings too
// (`setting`, its settings file's row): what the game's menu changes there,
// its settings file says, and the page takes it back from there. The names
// are the game's (a test holds them to its table of settings); the
// languages are its own, made from po/ by the build.
import { kLanguages } from './languages.js';

const params = new URLSearchParams(location.search);

const kChoices = {
  lang: { param: 'lang', setting: 'language', stored: 'ranks-lang', values: kLanguages.map((l) => l.code) },
  look: { param: 'look', setting: 'look', stored: 'ranks-look', values: ['marked', 'console'] },
  pace: { param: 'messages', setting: 'messages', stored: 'ranks-messages', values: ['wait', 'auto', 'instant'] },
  classic: { param: 'classic', setting: 'classic', stored: 'ranks-classic', values: ['on', 'off'] },
};

const chosen = {};
for (const [name, c] of Object.entries(kChoices)) {
  const asked = [params.get(c.param), localStorage.getItem(c.stored)].find((v) => c.values.includes(v));
  // A switch starts off, any other choice at its first value.
  chosen[name] = asked || (c.values.includes('off') ? 'off' : c.values[0]);
}

export const choice = (name) => chosen[name];
// False when the value is not one of the choice's own, or already chosen.
export function choose(name, value) {
  const c = kChoices[name];
  if (!c.values.includes(value) || chosen[name] === value) return false;
  chosen[name] = value;
  localStorage.setItem(c.stored, value);
  return true;
}

// The game's options for them: the original's own look and pace go
// without saying (the game refuses them beside it).
export const gameOptions = () => ['--lang', chosen.lang, '--classic', chosen.classic]
  .concat(chosen.classic === 'on' ? [] : ['--look', chosen.look, '--messages', chosen.pace]);

// The game's settings file, where its menu keeps the language, the look,
// the pace, the extra keys and the original's alone: kept whole for the
// next game, which reads it as it starts (the options above then say all
// but the extra keys).
const kSettingsFolder = '/home/web_user/.config/ranks-and-files';
const kSettingsFile = kSettingsFolder + '/settings';
const kStoredSettings = 'ranks-settings';
let lastSettings = localStorage.getItem(kStoredSettings);

export function placeSettings(FS) {
  if (lastSettings === null) return;
  FS.mkdirTree(kSettingsFolder);
  FS.writeFile(kSettingsFile, lastSettings);
}

// The rows of a settings file, by name.
const settingRows = (text) => new Map((text || '').split('\n').map((line) => line.trim().split(' ')));

// Reads back what the game's menu changed; true when a choice changed.
// Only the rows it changed: another row may hold what the page has chosen
// otherwise since (the game writes one row at a time).
export function takeSettings(FS) {
  if (!FS.analyzePath(kSettingsFile).exists) return false;
  const text = FS.readFile(kSettingsFile, { encoding: 'utf8' });
  if (text === lastSettings) return false;
  const before = settingRows(lastSettings);
  lastSettings = text;
  localStorage.setItem(kStoredSettings, text);
  let changed = false;
  for (const [key, value] of settingRows(text)) {
    if (before.get(key) === value) continue;
    for (const [name, c] of Object.entries(kChoices)) if (key === c.setting) changed = choose(name, value) || changed;
  }
  return changed;
}
