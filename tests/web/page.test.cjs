// The web page in headless Chromium: the field, walking and changing maps,
// a whole battle against the headless backend's screens, and a world with
// a missing map file.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { after, before, test } = require('node:test');
const { launch, openWorld, press, screen, serve, waitForKeyWait } = require('./browser.cjs');
const { battleWorld, emptyWorld, headlessScreens, makeWorld, quietWorld } = require('./worlds.cjs');

const kLegend = '移動 ・・・ 矢印キー';
const kPlaywrightKeys = { Up: 'ArrowUp', Down: 'ArrowDown', Left: 'ArrowLeft', Right: 'ArrowRight', Enter: 'Enter', Space: ' ' };

let server;
let browser;
before(async () => {
  server = await serve();
  browser = await launch();
});
after(async () => {
  await browser.close();
  await server.close();
});

async function freshPage() {
  for (const p of browser.context.pages()) await p.close();
  const page = await browser.context.newPage();
  page.on('pageerror', (e) => console.error('page error:', e.message));
  return page;
}

test('the default world: the field appears with its legend and the terminal has focus; Ctrl+C ends, play again restarts', async () => {
  const page = await freshPage();
  await page.goto(server.url);
  await page.waitForFunction((legend) => window.ranks && window.ranks.screenText().some((r) => r.includes(legend)),
    kLegend, { timeout: 20000 });
  const rows = await screen(page);
  assert.equal(rows.length, 25);
  assert.match(rows[0], /MiniMap/);
  assert.ok(rows.some((r) => r.includes('●')), 'the hero is on the field');
  assert.ok(await page.evaluate(() => document.activeElement.classList.contains('xterm-helper-textarea')));

  await page.keyboard.press('Control+C');
  await page.waitForFunction(() => window.ranks.ended() === 130);
  assert.ok(await page.isVisible('#ended'));
  await page.click('#again');
  await page.waitForFunction((legend) => window.ranks.ended() === null && window.ranks.starts() === 2 &&
    window.ranks.screenText().some((r) => r.includes(legend)), kLegend);
  assert.ok(!(await page.isVisible('#ended')));
});

test('arrow keys walk the hero and change maps, as the headless backend shows', async () => {
  const world = quietWorld(54, 4);
  const keys = ['Up', 'Down', 'Left', 'Right', 'Right', 'Right', 'Right'];
  const expected = headlessScreens(world, 1000000, keys);
  assert.equal(expected.keysLeft, 0);

  const page = await freshPage();
  await page.goto(server.url + '?clock=1000000');
  await page.waitForFunction(() => window.ranks);
  await openWorld(page, world);
  await waitForKeyWait(page, 0);

  const shown = [];
  for (const key of keys) {
    shown.push(await screen(page));
    await press(page, kPlaywrightKeys[key]);
  }
  shown.push(await screen(page));
  assert.deepEqual(shown, expected.screens);
  // The last steps left the first map: its top wall is gone.
  assert.notEqual(shown[0][0], shown[shown.length - 1][0]);
  assert.notEqual(shown[0].findIndex((r) => r.includes('●')), -1);
});

test('a battle played to its end shows the headless backend\'s screens', async () => {
  // Two pawns a few steps from the hero: the battle begins at once, and
  // ends in a victory with a level-up.
  const world = battleWorld(1, 2);
  const keys = ['Down', 'Down', 'Up', 'Up', ...Array(32).fill('Enter')];
  const expected = headlessScreens(world, 1000000, keys);
  assert.equal(expected.keysLeft, 0, 'the battle takes every key');
  assert.equal(expected.waitingAtEnd, true, 'the game is back on the field, waiting');

  const page = await freshPage();
  await page.goto(server.url + '?clock=1000000');
  await page.waitForFunction(() => window.ranks);
  await openWorld(page, world);
  await waitForKeyWait(page, 0, 30000);
  const shown = [];
  for (const key of keys) {
    shown.push(await screen(page));
    await press(page, kPlaywrightKeys[key]);
  }
  shown.push(await screen(page));
  assert.equal(shown.length, expected.screens.length);
  for (let i = 0; i < shown.length; ++i) assert.deepEqual(shown[i], expected.screens[i], `screen at key ${i}`);
  assert.ok(shown.some((rows) => rows.some((r) => r.includes('LEVEL UP'))), 'the battle ends in a level-up');
  assert.ok(shown[shown.length - 1].some((r) => r.includes(kLegend)), 'back on the field');
});

test('a world without a map file shows the stop, then ends and says what was wrong', async () => {
  const world = makeWorld('broken', (dir) => fs.rmSync(path.join(dir, 'map_form', 'map1', '5.txt')));
  const page = await freshPage();
  await page.goto(server.url);
  await page.waitForFunction(() => window.ranks);
  await openWorld(page, world);
  await page.waitForFunction(() => window.ranks.screenText()[0].includes('ファイルが存在しないため'));
  const rows = await screen(page);
  assert.match(rows[3], /30 秒後に強制終了しますので手動で閉じないでください。/);
  // The stop lasts 30 seconds of the clock, then the game ends.
  await page.waitForFunction(() => window.ranks.ended() !== null, null, { timeout: 45000 });
  assert.ok(await page.isVisible('#ended'));
  assert.match(await page.textContent('#world-name'), /broken/);
  // The line the terminal game prints on standard error names the file.
  assert.match(await page.evaluate(() => window.ranks.errors()), /5\.txt/);
  assert.match(await page.textContent('#errors'), /5\.txt/);
  // Playing again starts the same world over.
  await page.click('#again');
  await page.waitForFunction(() => window.ranks.ended() === null && window.ranks.screenText()[0].includes('ファイル'));
});

test('a saved game is kept in the browser and Continue resumes it after a reload', async () => {
  const world = emptyWorld(54, 10);
  const page = await freshPage();
  await page.goto(server.url);
  await page.waitForFunction(() => window.ranks);
  await openWorld(page, world);
  await waitForKeyWait(page, 0);
  const start = await screen(page);
  // Off the east edge: the game saves as it enters the next map.
  for (let i = 0; i < 3; ++i) await press(page, 'ArrowRight');
  const moved = await screen(page);
  assert.notDeepEqual(moved.slice(0, 9).map((r) => r.slice(60)), start.slice(0, 9).map((r) => r.slice(60)), 'the mini-map mark moved');
  await page.evaluate(() => window.ranks.persisted());

  await page.reload();
  await page.waitForFunction(() => window.ranks);
  await openWorld(page, world);
  await waitForKeyWait(page, 0);
  assert.deepEqual(await screen(page), start, 'a new game starts where the world says');
  await page.waitForSelector('#continue', { state: 'visible' });
  const starts = await page.evaluate(() => window.ranks.starts());
  await page.click('#continue');
  await page.waitForFunction((n) => window.ranks.starts() > n, starts);
  await waitForKeyWait(page, 0);
  const resumed = await screen(page);
  assert.deepEqual(resumed.slice(0, 9).map((r) => r.slice(60)), moved.slice(0, 9).map((r) => r.slice(60)), 'the mini-map shows the saved map');
  assert.equal(resumed.findIndex((r) => r.includes('●')), moved.findIndex((r) => r.includes('●')));
  await page.evaluate(async () => {
    for (const db of await indexedDB.databases()) indexedDB.deleteDatabase(db.name);
  });
});
