// The page takes back from the game's settings file the rows its menu
// changed, and only those: a row written earlier does not undo what the
// page has chosen since.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { test } = require('node:test');

test('the settings the game menu changed come back to the page, and only those', async () => {
  const stored = {};
  globalThis.location = { search: '' };
  globalThis.localStorage = { getItem: (k) => stored[k] ?? null, setItem: (k, v) => (stored[k] = String(v)) };
  // choices.js beside the languages the native build made from po/.
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'ranks-choices-'));
  const build = path.resolve(process.env.RANKS_NATIVE_BUILD || path.join(__dirname, '..', '..', 'build'));
  fs.copyFileSync(path.join(__dirname, '..', '..', 'web', 'choices.js'), path.join(dir, 'choices.js'));
  fs.copyFileSync(path.join(build, 'generated', 'web', 'languages.js'), path.join(dir, 'languages.js'));
  const choices = await import(pathToFileURL(path.join(dir, 'choices.js')));
  fs.rmSync(dir, { recursive: true });
  let file = null;
  const FS = { analyzePath: () => ({ exists: file !== null }), readFile: () => file };
  const steps = [
    { menu: 'messages auto\n', taken: true, lang: 'ja', pace: 'auto', options: ['--lang', 'ja', '--classic', 'off', '--look', 'marked', '--messages', 'auto'] },
    { page: ['pace', 'instant'], menu: 'messages auto\nlanguage en\n', taken: true, lang: 'en', pace: 'instant' },
    { menu: 'messages auto\nlanguage en\n', taken: false, lang: 'en', pace: 'instant' },
    // The original's alone, from the menu: its look and pace go unsaid.
    { menu: 'messages auto\nlanguage en\nclassic on\n', taken: true, lang: 'en', pace: 'instant', options: ['--lang', 'en', '--classic', 'on'] },
  ];
  for (const step of steps) {
    if (step.page) choices.choose(...step.page);
    file = step.menu;
    assert.equal(choices.takeSettings(FS), step.taken, step.menu);
    assert.deepEqual([choices.choice('lang'), choices.choice('pace')], [step.lang, step.pace], step.menu);
    if (step.options) assert.deepEqual(choices.gameOptions(), step.options, step.menu);
  }
});
