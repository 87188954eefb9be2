// The world painter in the page: fetched only when opened, a save without
// edits writes nothing, a painted cell is saved as the world's folder in a
// zip (every other file as it was), a play-test of unsaved edits reaches
// the field and comes back to the painter where it was, leaving plays the
// world as saved, and a folder the page may write to gets the changed file
// alone.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { launch, onField, press, screen, serve, test } = require('./browser.cjs');
const { defaultWorld } = require('./worlds.cjs');

// A zip's stored files: {name: bytes}.
function unzip(bytes) {
  const files = {};
  for (let at = 0; bytes.readUInt32LE(at) === 0x04034B50;) {
    assert.equal(bytes.readUInt16LE(at + 8), 0, 'stored, not compressed');
    const size = bytes.readUInt32LE(at + 18);
    const nameLength = bytes.readUInt16LE(at + 26);
    const start = at + 30 + nameLength + bytes.readUInt16LE(at + 28);
    files[bytes.subarray(at + 30, at + 30 + nameLength).toString('utf8')] = bytes.subarray(start, start + size);
    at = start + size;
  }
  return files;
}

const filesOf = (dir, at = '') => fs.readdirSync(path.join(dir, at), { withFileTypes: true }).flatMap((e) =>
  (e.isDirectory() ? filesOf(dir, path.join(at, e.name)) : [path.join(at, e.name)]));

const cellOf = async (page) => (await screen(page)).join('\n').match(/マス (\d),(\d+),(\d+)/).slice(1).map(Number);
const until = (page, text) => page.waitForFunction((t) => window.ranks.screenText().some((r) => r.includes(t)), text);

test('the painter in the page: loaded when opened, saved as a download, play-tested', async () => {
  const server = await serve();
  const browser = await launch({ serviceWorkers: 'block' });
  try {
    const requests = [];
    browser.context.on('request', (request) => requests.push(new URL(request.url()).pathname));
    const page = await browser.context.newPage();
    const downloads = [];
    page.on('download', (d) => downloads.push(d));
    await page.goto(server.url);
    await onField(page);
    const painterFiles = () => requests.filter((r) => /^\/painter-[0-9a-f]{16}\.(js|wasm)$/.test(r));
    assert.deepEqual(painterFiles(), [], 'the first visit fetches none of the painter');

    await page.click('#edit-world');
    await until(page, 'マス ');
    assert.equal(painterFiles().length, 2, requests.join(' '));
    const [map, x, y] = await cellOf(page);

    // Opened and saved without an edit: nothing written, nothing offered.
    await press(page, 's');
    await until(page, '変更はありません');
    assert.equal(downloads.length, 0);
    assert.equal(await page.textContent('#world-name'), 'The default world');

    // The brush ('#') at the cursor, saved: the world's folder as a zip.
    await press(page, 'Enter');
    const downloading = page.waitForEvent('download');
    await press(page, 's');
    const zip = unzip(fs.readFileSync(await (await downloading).path()));
    const painted = path.join('map_form', 'map1', `${map}.txt`);
    const names = filesOf(defaultWorld);
    const expected = (name) => {
      const bytes = Buffer.from(fs.readFileSync(path.join(defaultWorld, name)));
      let start = 0;
      for (let row = 0; name === painted && row < y; ++row) start = bytes.indexOf(10, start) + 1;
      if (name === painted) bytes[start + x] = 0x23;
      return bytes;
    };
    assert.deepEqual(Object.keys(zip).sort(), names.map((n) => 'world/' + n).sort());
    for (const name of names) assert.ok(zip['world/' + name].equals(expected(name)), `${name} as expected`);
    // Nothing said under the painter: neither the game's last line nor the checker's walking enemies.
    assert.equal(await page.textContent('#narration'), '');

    // Another '#', unsaved, played from the cell right of it; back where it was.
    await press(page, 'Enter');
    await press(page, 'P');
    // The game's field with enemies about never waits for a key.
    await page.keyboard.press('Enter');
    await until(page, '移動 ・・・ 矢印キー');
    await page.keyboard.press('Control+C');
    await until(page, 'テストプレイから戻りました');
    assert.deepEqual(await cellOf(page), [map, x + 2, y]);

    // Left without saving again: the page plays the world as saved.
    await press(page, 'q');
    await page.keyboard.press('n');
    await page.waitForFunction(() => /^World: world/.test(document.getElementById('world-name').textContent));
    await until(page, '移動 ・・・ 矢印キー');

    // The origin's own file system stands in for a folder picked with write permission.
    const files = Object.fromEntries(names.map((n) => [n, [...fs.readFileSync(path.join(defaultWorld, n))]]));
    await page.evaluate(async (all) => {
      const mine = await (await navigator.storage.getDirectory()).getDirectoryHandle('mine', { create: true });
      for (const [name, bytes] of Object.entries(all)) {
        let dir = mine;
        const parts = name.split('/');
        for (const part of parts.slice(0, -1)) dir = await dir.getDirectoryHandle(part, { create: true });
        const writable = await (await dir.getFileHandle(parts.pop(), { create: true })).createWritable();
        await writable.write(new Uint8Array(bytes));
        await writable.close();
      }
      window.showDirectoryPicker = async () => mine;
    }, files);
    await page.click('#edit-folder');
    await until(page, 'マス ');
    await press(page, 'Enter');
    await press(page, 's');
    await page.waitForFunction(() => /^Saved into mine/.test(document.getElementById('status').textContent));
    const written = await page.evaluate(async (all) => {
      const mine = await (await navigator.storage.getDirectory()).getDirectoryHandle('mine');
      const read = async (name) => {
        let dir = mine;
        const parts = name.split('/');
        for (const part of parts.slice(0, -1)) dir = await dir.getDirectoryHandle(part);
        return [...new Uint8Array(await (await (await dir.getFileHandle(parts.pop())).getFile()).arrayBuffer())];
      };
      return Object.fromEntries(await Promise.all(all.map(async (name) => [name, await read(name)])));
    }, names);
    for (const name of names) assert.ok(Buffer.from(written[name]).equals(expected(name)), `${name} written as expected`);
  } finally {
    await browser.close();
    await server.close();
  }
});
