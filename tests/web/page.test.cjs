// The web page in headless Chromium: the default world's games never lost
// (Continue after Ctrl+C, a reload mid-battle, closing the page), worlds
// kept apart, saves and recordings shared with the terminal game, walking
// and a whole battle on a touch screen against the headless backend's
// screens, the keyboard's way through the page, a world with a missing
// map file, and a game shared as a link.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
const { after, before } = require('node:test');
const { inkMismatches, launch, openWorld, press, screen, serve, settled, test, timeFirstField, waitForKeyWait } = require('./browser.cjs');
const {
  battleWorld, emptyWorld, headlessScreens, makeWorld, playInTerminal, quietWorld, replayedScreen,
} = require('./worlds.cjs');

const kLegend = '移動 ・・・ 矢印キー';
const kPlaywrightKeys = { Up: 'ArrowUp', Down: 'ArrowDown', Left: 'ArrowLeft', Right: 'ArrowRight', Enter: 'Enter', Space: ' ' };
// Out of the default world's start room: along its top row, then down
// through the gap in its bottom wall.
const kOutOfTheRoom = [...Array(24).fill('Right'), ...Array(5).fill('Down')];

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

async function freshPage(context = browser.context) {
  for (const p of context.pages()) await p.close();
  const page = await context.newPage();
  page.on('pageerror', (e) => console.error('page error:', e.message));
  return page;
}

// The hero's row and column, or null when he is not on the screen.
async function hero(page) {
  const rows = await screen(page);
  const y = rows.findIndex((r) => r.includes('●'));
  return y < 0 ? null : [y, rows[y].indexOf('●')];
}
const onField = (page) => page.waitForFunction((legend) => window.ranks &&
  window.ranks.screenText().some((r) => r.includes(legend)) && window.ranks.screenText().some((r) => r.includes('●')), kLegend,
{ timeout: 20000 });
// Starts the most recent earlier game of the world, and waits for its field.
async function continueGame(page) {
  await page.waitForSelector('#continue', { state: 'visible' });
  const starts = await page.evaluate(() => window.ranks.starts());
  await page.click('#continue');
  await page.waitForFunction((n) => window.ranks.starts() > n, starts);
  await onField(page);
}
async function walk(page, keys, how = (key) => page.keyboard.press(kPlaywrightKeys[key])) {
  for (const key of keys) {
    await how(key);
    await page.waitForTimeout(60);
  }
}
const inBattle = (page) => page.evaluate(() => window.ranks.screenText().some((r) => r.includes('たたかう')));
// Steps towards the nearest pawn until a battle begins; resolves to where
// the hero stood last.
async function seekBattle(page) {
  let last = await hero(page);
  for (let i = 0; i < 60 && !(await inBattle(page)); ++i) {
    const rows = await screen(page);
    const at = await hero(page);
    let near = null;
    if (at) last = at;
    const [y, x] = last;
    rows.forEach((r, py) => [...r.matchAll(/◎/g)].forEach((m) => {
      const d = Math.abs(py - y) * 2 + Math.abs(m.index - x);
      if (py < 20 && (!near || d < near.d)) near = { d, y: py, x: m.index };
    }));
    await page.waitForTimeout(250);
    if (!near || !at) continue;  // the wipe into a battle
    const key = near.y !== y ? (near.y < y ? 'ArrowUp' : 'ArrowDown') : (near.x < x ? 'ArrowLeft' : 'ArrowRight');
    await page.keyboard.press(key);
  }
  assert.ok(await inBattle(page), 'a pawn was met');
  return last;
}

test('the default world: Continue after Ctrl+C, after a reload mid-battle and after closing the page; a second tab is refused', async () => {
  let page = await freshPage();
  await page.goto(server.url);
  await onField(page);
  const start = await hero(page);
  assert.ok(await page.evaluate(() => document.activeElement.id === 'screen-input'));
  await walk(page, kOutOfTheRoom);
  const out = await hero(page);
  assert.ok(out[0] > 7, `out of the start room: ${out}`);

  await page.keyboard.press('Control+C');
  await page.waitForFunction(() => window.ranks.ended() === 130);
  await page.click('#again');
  await onField(page);
  assert.deepEqual(await hero(page), start, 'a new game starts in the room');
  await continueGame(page);
  assert.deepEqual(await hero(page), out, 'Continue after Ctrl+C');

  // The one game, one writer: another tab cannot continue it.
  const other = await browser.context.newPage();
  await other.goto(server.url);
  await onField(other);
  await other.waitForSelector('#continue', { state: 'visible' });
  await other.click('#continue');
  await other.waitForSelector('#status:has-text("open in another tab")');
  await other.close();

  // A step up and left, and the chasing pawns come.
  const before = await seekBattle(page);
  await page.reload();
  await onField(page);
  await continueGame(page);
  const resumed = await hero(page);
  // The field before the encounter (a pawn may have struck between a step and its look).
  assert.ok(resumed[0] > 7 && Math.abs(resumed[0] - before[0]) <= 1 && Math.abs(resumed[1] - before[1]) <= 2,
    `Continue after a reload mid-battle: ${resumed}, last seen at ${before}`);

  await page.close({ runBeforeUnload: true });
  page = await freshPage();
  await page.goto(server.url);
  await onField(page);
  await continueGame(page);
  assert.deepEqual(await hero(page), resumed, 'Continue after closing the page');
  await page.evaluate(async () => {
    for (const db of await indexedDB.databases()) indexedDB.deleteDatabase(db.name);
  });
});

test('a new game is drawn before the stored games are read, and its save never takes one of their names', async () => {
  const own = await launch();
  try {
    await newGameBesideStoredOnes(own);
  } finally {
    await own.close();
  }
});

async function newGameBesideStoredOnes(own) {
  const page = await own.context.newPage();
  await page.goto(server.url);
  await onField(page);
  // Saves named as a game begun in each of the next 40 seconds would be.
  const { names, firstAt } = await page.evaluate(async () => {
    const stamp = (t) => new Date(t).toISOString().slice(0, 19).replace('T', '-').replace(/:/g, '');
    const now = Date.now();
    const names = Array.from({ length: 40 }, (_, i) => 'game-' + stamp(now + 1000 * (i + 1)) + '.save');
    const db = await window.ranksStore.open();
    const tx = db.transaction([window.ranksStore.name], 'readwrite');
    for (const name of names) {
      tx.objectStore(window.ranksStore.name).put({ timestamp: new Date(), mode: 0o100644, contents: new TextEncoder().encode(name) },
        window.ranksStore.folder + '/' + name);
    }
    await new Promise((resolve) => { tx.oncomplete = resolve; });
    return { names, firstAt: Math.ceil((now + 1) / 1000) * 1000 };
  });
  await page.close();
  // The next game begins in one of those seconds, not in this one.
  await new Promise((resolve) => setTimeout(resolve, Math.max(0, firstAt - Date.now())));

  // The next visit's read held until its field shows (or for 5 s: a game
  // that waited for the read would show it only after).
  const late = await own.context.newPage();
  await timeFirstField(late, kLegend);
  await late.addInitScript(() => {
    let store;
    const held = (since) => new Promise((resolve) => {
      const look = () => (window.firstFieldAt !== undefined || performance.now() - since > 5000 ? resolve() : setTimeout(look, 20));
      look();
    });
    Object.defineProperty(window, 'ranksStore', {
      configurable: true,
      get: () => store,
      set: (value) => {
        const read = value.read;
        value.read = (db) => held(performance.now()).then(() => read.call(value, db))
          .finally(() => { window.readAt = window.readAt || performance.now(); });
        store = value;
      },
    });
  });
  await late.goto(server.url);
  await onField(late);
  await late.waitForFunction(() => window.readAt !== undefined);
  // Its save written, and written again as the game goes on.
  await late.waitForTimeout(2500);
  await late.evaluate(() => window.ranks.persisted());
  const { seenAt, readAt, stored } = await late.evaluate(async () => ({
    seenAt: window.firstFieldAt,
    readAt: window.readAt,
    stored: (await window.ranksStore.read(await window.ranksStore.open()))
      .map(([key, value]) => [key.split('/').pop(), new TextDecoder().decode(value.contents)]),
  }));
  assert.ok(seenAt < readAt, `the field at ${seenAt} ms, the stored games read at ${readAt} ms`);
  for (const name of names) assert.equal(stored.find(([n]) => n === name)[1], name, `${name} kept`);
  // Every second of the next 40 taken: its name is its second's with -2.
  const made = stored.filter(([n, text]) => /-2\.save$/.test(n) && text.startsWith('ranks-and-files save'));
  assert.equal(made.length, 1, stored.map(([n]) => n).join(' '));
}

test('two folders of the same name are two worlds: neither continues the other\'s game', async () => {
  const first = emptyWorld(54, 10);
  const second = emptyWorld(20, 5);
  assert.equal(path.basename(first), path.basename(second));

  const page = await freshPage();
  await page.goto(server.url);
  await page.waitForFunction(() => window.ranks);
  await openWorld(page, first);
  await waitForKeyWait(page, 0);
  for (let i = 0; i < 3; ++i) await press(page, 'ArrowRight');
  const moved = await screen(page);
  await openWorld(page, second);
  await waitForKeyWait(page, 0);
  await settled(page, 'persisted');
  assert.ok(!(await page.isVisible('#continue')), 'a folder never played offers no Continue');
  await openWorld(page, first);
  await waitForKeyWait(page, 0);
  await page.waitForSelector('#continue', { state: 'visible' });
  const starts = await page.evaluate(() => window.ranks.starts());
  await page.click('#continue');
  await page.waitForFunction((n) => window.ranks.starts() > n, starts);
  await waitForKeyWait(page, 0);
  assert.deepEqual(await screen(page), moved, 'its own game, where it was left');
  await page.evaluate(async () => {
    for (const db of await indexedDB.databases()) indexedDB.deleteDatabase(db.name);
  });
});

test('saves and recordings go both ways between the terminal game and the page', async () => {
  const home = fs.mkdtempSync(path.join(os.tmpdir(), 'ranks-home-'));
  const folder = path.join(home, 'ranks-and-files');
  assert.equal(await playInTerminal([], '\x1b[C\x1b[C', home), 130);
  const saveName = fs.readdirSync(folder).find((n) => n.endsWith('.save'));
  const cell = (text) => /^cell (\d+) (\d+)$/m.exec(text).slice(1).map(Number);
  const [x, y] = cell(fs.readFileSync(path.join(folder, saveName), 'utf8'));

  // The terminal's save continues in the page, from its list of games.
  const page = await freshPage();
  await page.goto(server.url);
  await onField(page);
  const chooser = page.waitForEvent('filechooser');
  await page.click('#upload');
  await (await chooser).setFiles(path.join(folder, saveName));
  await page.waitForSelector(`#games-list button[aria-label="Continue ${saveName}"]`);
  await page.click(`#games-list button[aria-label="Continue ${saveName}"]`);
  await page.waitForFunction(() => window.ranks.starts() === 2);
  await onField(page);
  assert.deepEqual(await hero(page), [y, x], 'on the cell the terminal game saved');
  await walk(page, ['Down']);
  await page.keyboard.press('Control+C');
  await page.waitForFunction(() => window.ranks.ended() === 130);
  const shown = await screen(page);

  // ... and back: the page's save continues in the terminal game.
  await settled(page, 'listed');
  const fetch = async (label) => {
    const download = page.waitForEvent('download');
    await page.click(`#games-list button[aria-label="Download ${label}"]`);
    const file = path.join(home, label);
    await (await download).saveAs(file);
    return file;
  };
  const back = await fetch(saveName);
  assert.deepEqual(cell(fs.readFileSync(back, 'utf8')), [x, y + 1]);
  assert.equal(await playInTerminal(['--continue', back], '\x1b[B', home), 130);
  assert.deepEqual(cell(fs.readFileSync(back, 'utf8')), [x, y + 2], 'the terminal game went on from it');

  // The page's recording of its part ends, watched in the page, on the
  // screen the headless replay prints.
  const recording = saveName.replace(/\.save$/, '.rec');
  await page.click(`#games-list button[aria-label="Show the end of ${recording}"]`);
  await page.waitForFunction(() => window.ranks.starts() === 3);
  // The last screen stays until a key.
  await page.waitForFunction(() => {
    if (window.ranks.ended() === 0) return true;
    window.ranks.send('\r');
    return false;
  }, null, { polling: 500 });
  const squeeze = (rows) => rows.map((r) => r.replace(/\s+/g, ''));
  const replayed = await screen(page);
  assert.deepEqual(squeeze(replayed), squeeze(replayedScreen(await fetch(recording))));
  assert.deepEqual(squeeze(replayed), squeeze(shown), 'the replay ends where the game was left');
  await page.evaluate(async () => {
    for (const db of await indexedDB.databases()) indexedDB.deleteDatabase(db.name);
  });
});

test('Tab leaves the terminal and reaches every control, and comes back to the terminal; F5 and Ctrl+R stay the browser\'s', async () => {
  const page = await freshPage();
  await page.goto(server.url);
  await onField(page);
  // A step taken: the game is listed, with its buttons.
  await page.keyboard.press('ArrowRight');
  await page.waitForTimeout(200);
  await settled(page, 'persisted', 'listed');
  const name = (e) => e.id || e.getAttribute('aria-label') || '';
  const reached = [];
  const step = async (key) => {
    await page.keyboard.press(key);
    reached.push(await page.evaluate(`(${name})(document.activeElement)`));
    return reached[reached.length - 1];
  };
  const kTerminal = 'screen-input';
  // Back to the header's buttons, forward to the terminal again, and on
  // through the buttons after it.
  while (reached.length < 10 && await step('Shift+Tab') !== '');
  while (reached.length < 20 && await step('Tab') !== kTerminal);
  assert.equal(reached[reached.length - 1], kTerminal, `Tab comes back to the terminal: ${reached}`);
  for (let i = 0; i < 60 && await step('Tab') !== ''; ++i);
  const controls = await page.$$eval('button, select, input', (all, n) => all.filter((b) => b.offsetParent !== null).map(eval(n)), `(${name})`);
  assert.ok(controls.length >= 8, `controls: ${controls}`);
  for (const c of controls) assert.ok(reached.includes(c), `Tab reaches ${c}: ${reached}`);
  // The browser's own keys stay the browser's; the game's are the game's.
  await page.focus('#screen-input');
  await page.evaluate(() => {
    window.sent = [];
    window.ranks.onKeys((d) => window.sent.push(d));
  });
  for (const key of ['F5', 'Control+r', 'ArrowUp']) await page.keyboard.press(key);
  assert.deepEqual(await page.evaluate(() => window.sent), ['\x1b[A'], 'F5 and Ctrl+R are left to the browser');
  assert.equal(await page.getAttribute('html', 'lang'), 'en');
  assert.equal(await page.getAttribute('#terminal', 'lang'), 'ja');
});

test('a touch screen of 390x844: the on-screen keys walk out of the start room and win a battle as the headless backend does, drawn as it reads', async () => {
  const phone = await launch({ viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true });
  try {
    const page = await freshPage(phone.context);
    const tap = (key) => page.tap(`#touch button[aria-label="${key}"]`);
    await page.goto(server.url + '?clock=1000000');
    await onField(page);
    const names = await page.$$eval('#touch button[data-key]', (all) => all.map((b) => {
      const r = b.getBoundingClientRect();
      return [b.getAttribute('aria-label'), Math.min(r.width, r.height)];
    }));
    assert.deepEqual(names.map(([n]) => n).sort(), ['Down', 'Enter', 'Left', 'Quit', 'Right', 'Space', 'Up']);
    for (const [name, size] of names) assert.ok(size >= 44, `${name} is ${size} px`);
    const box = await page.$eval('#screen', (s) => s.getBoundingClientRect().toJSON());
    const keys = await page.$eval('#touch', (s) => s.getBoundingClientRect().toJSON());
    assert.ok(box.left >= 0 && box.right <= 390, 'the whole screen is in view');
    assert.ok(keys.top >= box.bottom, 'the keys do not cover it');

    // Opened by a tap; the walk without enemies about, so that a loaded
    // machine's slower taps meet none.
    const openByTap = async (world) => {
      const starts = await page.evaluate(() => window.ranks.starts());
      const chooser = page.waitForEvent('filechooser');
      await page.tap('#open-world');
      await (await chooser).setFiles(world);
      await page.waitForFunction((n) => window.ranks.starts() > n, starts);
      await waitForKeyWait(page, 0, 30000);
    };
    await openByTap(quietWorld(8, 4));
    await walk(page, kOutOfTheRoom, tap);
    assert.ok((await hero(page))[0] > 7, 'out of the start room');

    const world = battleWorld(1, 2);
    const battle = ['Down', 'Down', 'Up', 'Up', ...Array(32).fill('Enter')];
    const expected = headlessScreens(world, 1000000, battle);
    assert.equal(expected.keysLeft, 0, 'the battle takes every key');
    await openByTap(world);
    const shown = [];
    const told = new Set();
    for (const [i, key] of battle.entries()) {
      shown.push(await screen(page));
      assert.deepEqual(await inkMismatches(page), [], `drawn as it reads at key ${i}`);
      for (const line of await page.evaluate(() => window.ranks.said())) told.add(line);
      const waits = await page.evaluate(() => window.ranks.waits());
      await tap(key);
      await waitForKeyWait(page, waits);
    }
    shown.push(await screen(page));
    for (let i = 0; i < shown.length; ++i) assert.deepEqual(shown[i], expected.screens[i], `screen at key ${i}`);
    assert.ok(shown.some((rows) => rows.some((r) => r.includes('LEVEL UP'))), 'the battle is won with a level-up');
    assert.ok(told.has('バトルに勝ちました。'), `the live region read the battle's messages: ${[...told]}`);
  } finally {
    await phone.close();
  }
});

test('a world without a map file says what is wrong at once, and ends after its stop', async () => {
  const world = makeWorld('broken', (dir) => fs.rmSync(path.join(dir, 'map_form', 'map1', '5.txt')));
  const page = await freshPage();
  await page.goto(server.url);
  await page.waitForFunction(() => window.ranks);
  await openWorld(page, world);
  await page.waitForFunction(() => window.ranks.screenText()[0].includes('ファイルが存在しないため'));
  const rows = await screen(page);
  assert.match(rows[3], /30 秒後に強制終了しますので手動で閉じないでください。/);
  await page.waitForSelector('#errors:has-text("5.txt")', { timeout: 5000 });
  assert.equal(await page.evaluate(() => window.ranks.ended()), null, 'while the stop lasts');
  // The stop lasts 30 seconds of the clock, then the game ends.
  await page.waitForFunction(() => window.ranks.ended() !== null, null, { timeout: 45000 });
  assert.ok(await page.isVisible('#ended'));
  assert.match(await page.textContent('#world-name'), /broken/);
  assert.equal((await page.textContent('#errors')).match(/5\.txt/g).length, 1, 'said once');
  // Playing again starts the same world over.
  await page.click('#again');
  await page.waitForFunction(() => window.ranks.ended() === null && window.ranks.screenText()[0].includes('ファイル'));
});

test('arrow keys walk the hero and change maps, as the headless backend shows and drawn as it reads', async () => {
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
    assert.deepEqual(await inkMismatches(page), [], `drawn as it reads before key ${shown.length - 1}`);
    await press(page, kPlaywrightKeys[key]);
  }
  shown.push(await screen(page));
  assert.deepEqual(shown, expected.screens);
  assert.deepEqual(await inkMismatches(page), [], 'the new map drawn as it reads');
  assert.notEqual(shown[0][0], shown[shown.length - 1][0], 'the last steps left the first map');
});

test('a shared link plays the game in a new browser profile to its last screen, in Japanese and in English, and goes on from there as a copy; a damaged one is said', async () => {
  const squeeze = (rows) => rows.map((r) => r.replace(/\s+/g, ''));
  const other = await launch();
  try {
    for (const [lang, language] of [['ja', 'Japanese'], ['en', 'English']]) {
      const page = await freshPage();
      await page.goto(server.url + '?lang=' + lang);
      await page.waitForFunction(() => window.ranks && window.ranks.screenText().some((r) => r.includes('●')));
      await walk(page, kOutOfTheRoom.slice(0, 6));
      await page.keyboard.press('Control+C');
      await page.waitForFunction(() => window.ranks.ended() === 130);
      const shown = await screen(page);
      // From the list of games in Japanese, from the bar under the ended game in English.
      await settled(page, 'listed');
      await page.click(lang === 'ja' ? '#games-list tbody tr:first-child button[aria-label^="Share "]' : '#share-ended');
      const link = await page.inputValue('#share-link');
      assert.ok(link.startsWith(server.url + '#play='), link);

      const errors = [];
      const watch = async (address) => {
        const p = await other.context.newPage();
        p.on('pageerror', (e) => errors.push(e.message));
        await p.goto(address);
        return p;
      };
      const watching = await watch(link);
      await watching.waitForFunction(() => {
        if (window.ranks.ended() === 0) return true;
        window.ranks.send('\r');  // the last screen stays until a key
        return false;
      }, null, { polling: 500 });
      assert.deepEqual(squeeze(await screen(watching)), squeeze(shown), lang);
      assert.match(await watching.textContent('#ended-text'), new RegExp(`game shared with you \\(default world, in ${language}\\)`));
      // ... and goes on from its end, a game of this browser's own.
      const starts = await watching.evaluate(() => window.ranks.starts());
      await watching.click('#continue-copy');
      await watching.waitForFunction((n) => window.ranks.starts() === n + 2 && window.ranks.ended() === null &&
        window.ranks.screenText().some((r) => r.includes('●')), starts);
      const heroAt = (rows) => rows.map((r, y) => [y, r.indexOf('●')]).find(([, x]) => x >= 0);
      assert.deepEqual(heroAt(await screen(watching)), heroAt(shown), 'on the cell where the shared game ended');

      const damaged = await watch(link.slice(0, -12) + 'AAAAAAAA');
      await damaged.waitForFunction(() => document.getElementById('status').textContent.includes('damaged or cut short'));
      // A game of a world not open here asks for its folder first.
      const data = zlib.inflateSync(Buffer.from(link.split('#play=')[1], 'base64url'));
      const elsewhere = zlib.deflateSync(Buffer.from(data.toString('latin1').replace('world default\n', 'world /worlds/elsewhere\n'), 'latin1'));
      const asking = await watch(link.split('#play=')[0] + '#play=' + elsewhere.toString('base64url'));
      await asking.waitForSelector('#status button:has-text("Open elsewhere…")');
      assert.match(await asking.textContent('#status'), /open that folder to watch it/);
      assert.deepEqual(errors, []);
      for (const p of other.context.pages()) await p.close();
    }
  } finally {
    await other.close();
  }
});
