// The page for every player: a battle and a walk followed by ear in the
// live log (and in Chromium's accessibility tree), a replay that says it ended, a second
// visit with no network, a list of only the games played, the keys of a
// touch laptop without a click, and a steady layout while loading.
'use strict';
const assert = require('node:assert/strict');
const { after, before } = require('node:test');
const { inkMismatches, launch, openWorld, press, serve, settled, test, waitForKeyWait } = require('./browser.cjs');
const { battleWorld, quietWorld } = require('./worlds.cjs');

const kLegend = '移動 ・・・ 矢印キー';
let server;
before(async () => { server = await serve(); });
after(async () => { await server.close(); });

// A fresh browser for each test (`options` as launch takes them).
async function withBrowser(options, body) {
  const browser = await launch(options);
  try {
    const page = browser.context.pages()[0] || await browser.context.newPage();
    page.on('pageerror', (e) => console.error('page error:', e.message));
    await body(page, browser);
  } finally {
    await browser.close();
  }
}
const onField = (page) => page.waitForFunction((legend) => window.ranks &&
  window.ranks.screenText().some((r) => r.includes(legend)), kLegend, { timeout: 30000 });
const said = (page) => page.evaluate(() => window.ranks.said());

// The log's lines as Chromium's accessibility tree has them.
async function treeLog(page) {
  const cdp = await page.context().newCDPSession(page);
  const { nodes } = await cdp.send('Accessibility.getFullAXTree');
  const log = nodes.find((n) => n.role && n.role.value === 'log');
  const byId = new Map(nodes.map((n) => [n.nodeId, n]));
  const texts = [];
  const walk = (n) => {
    if (n.role && n.role.value === 'StaticText' && !n.ignored) texts.push(n.name.value);
    for (const id of n.childIds || []) if (byId.has(id)) walk(byId.get(id));
  };
  if (log) walk(log);
  const focused = nodes.find((n) => (n.properties || []).some((p) => p.name === 'focused' && p.value.value));
  await cdp.detach();
  return { texts, focused };
}

test('a battle by ear: arriving, its start, every command, target, ability and item, the messages, the level-up rows and its end are said, and each screen drawn as it reads', async () => {
  await withBrowser({}, async (page) => {
    await page.goto(server.url + '?clock=1000000');
    await page.waitForFunction(() => window.ranks);
    await openWorld(page, battleWorld(1, 2));
    await waitForKeyWait(page, 0, 30000);
    const heard = new Set(await said(page));
    const tree = await treeLog(page);
    assert.ok(tree.texts.some((t) => /^マップ5　レベル1　HP\d+。/.test(t)), `arriving, in the tree: ${tree.texts}`);
    assert.ok(tree.texts.some((t) => t.startsWith('バトル開始：') && t.includes('2体')), 'the battle\'s start');
    assert.ok(tree.focused && !tree.focused.ignored, 'the focus is on a node the tree shows');
    assert.equal(await page.evaluate(() => document.activeElement.closest('[aria-hidden="true"]')), null);
    // Item, its menu and back; then fight until the battle is over.
    const keys = ['ArrowDown', 'ArrowDown', 'Enter', ' ', 'ArrowUp', 'ArrowUp'];
    for (let i = 0; i < 80; ++i) {
      assert.deepEqual(await inkMismatches(page), [], `drawn as it reads before key ${i}`);
      await press(page, keys[i] || 'Enter');
      const now = await said(page);
      for (const line of now) heard.add(line);
      // Back on the field after the battle.
      if (heard.has('バトルに勝ちました。') && now[now.length - 1].startsWith('マップ')) break;
    }
    const all = [...heard];
    for (const expected of ['ぼうぎょ：', 'アイテム：', 'たたかう：', 'ポーション：体力を20回復する。', '対象：', '：威力 ',
      'レベル 1 から ', '体力 ', '経験値 +', 'バトルに勝ちました。']) {
      assert.ok(all.some((t) => t.includes(expected)), `said: ${expected}\n${all.join('\n')}`);
    }
    assert.ok(all.some((t) => /のダメージ!!/.test(t)), 'the blows\' messages');
  });
});

test('a walk by ear: a bump, W, the menu\'s pages and its closing are said in the live region', async () => {
  await withBrowser({}, async (page) => {
    await page.goto(server.url + '?clock=1000000');
    await page.waitForFunction(() => window.ranks);
    await openWorld(page, quietWorld(8, 4));
    await waitForKeyWait(page, 0, 30000);
    for (const [key, expected] of [['ArrowUp', '上は壁。'], ['ArrowUp', '上は壁。'], ['w', '横8、縦4。マップ1　レベル1'],
      [' ', 'メニュー つよさ：'], ['ArrowRight', 'メニュー アイテム：'], [' ', 'マップ1　レベル1']]) {
      const before = (await said(page)).length;
      await press(page, key);
      const now = await said(page);
      assert.ok(now.length > before && now[now.length - 1].startsWith(expected), `after ${key}: ${now.slice(before)}`);
    }
  });
});

test('a flight is said, and so is its wait when it fails', async () => {
  await withBrowser({}, async (page) => {
    await page.goto(server.url + '?clock=1000000');
    await page.waitForFunction(() => window.ranks);
    await openWorld(page, battleWorld(1, 3));
    await waitForKeyWait(page, 0, 30000);
    for (const key of ['ArrowDown', 'ArrowDown', 'ArrowDown']) await press(page, key);
    assert.ok((await said(page)).some((t) => t.startsWith('にげる：')));
    const heard = new Set();
    for (let i = 0; i < 20; ++i) {
      await press(page, 'Enter');
      for (const line of await said(page)) heard.add(line);
      if (heard.has('Enterで続ける。') || heard.has('GAME OVER') || heard.has('にげることに成功しました。')) break;
    }
    // A flight that fails is said with its wait, unless the enemies' blows
    // ended the battle first.
    assert.ok(heard.has('主人公の「にげる」..........'), `the flight: ${[...heard]}`);
    if (heard.has('失敗しました。') && !heard.has('GAME OVER')) assert.ok(heard.has('Enterで続ける。'), `its wait: ${[...heard]}`);
  });
});

test('a replay that ends says so, with Watch again and Back to the list', async () => {
  await withBrowser({}, async (page) => {
    await page.goto(server.url);
    await page.waitForFunction(() => window.ranks);
    await openWorld(page, quietWorld(20, 10));
    await waitForKeyWait(page, 0, 30000);
    for (const key of ['ArrowRight', 'ArrowRight', 'ArrowDown']) await press(page, key);
    await page.keyboard.press('Control+C');
    await page.waitForFunction(() => window.ranks.ended() === 130);
    await settled(page, 'listed');
    await page.click('#games-list button[aria-label^="Show the end of"]');
    await page.waitForSelector('#watch-again', { state: 'visible', timeout: 20000 });
    assert.equal(await page.evaluate(() => window.ranks.ended()), null, 'said while its last screen stays');
    assert.match((await said(page)).pop(), /^The recording .*\.rec has ended\.$/);
    assert.ok(await page.isVisible('#to-list'));
    const starts = await page.evaluate(() => window.ranks.starts());
    await page.click('#watch-again');
    await page.waitForFunction((n) => window.ranks.starts() > n, starts);
  });
});

test('only games played are listed; a touch laptop\'s arrows reach the game without a click, also after a page control', async () => {
  await withBrowser({ viewport: { width: 1280, height: 800 } }, async (page) => {
    // A touch laptop: a touch screen beside its touchpad (the browser's
    // touch emulation would take the fine pointer away).
    await page.addInitScript(() => Object.defineProperty(Navigator.prototype, 'maxTouchPoints', { get: () => 10 }));
    await page.goto(server.url);
    await onField(page);
    const size = await page.$eval('#screen', (s) => s.getBoundingClientRect().width);
    assert.ok(await page.isHidden('#touch'), 'a keyboard is at hand: no on-screen keys');
    assert.ok(size > 900, `the screen keeps its size: ${size} px`);
    for (let i = 0; i < 2; ++i) {
      await page.reload();
      await onField(page);
    }
    await settled(page, 'persisted', 'listed');
    assert.ok(await page.isVisible('#games-empty'), 'three visits without a key list nothing');
    const before = await page.evaluate(() => window.ranks.screenText().join('\n'));
    // Enemies walk on this field: the game does not stop to wait for keys.
    await page.keyboard.press('ArrowRight');
    await page.waitForTimeout(300);
    await page.focus('#open-world');
    await page.keyboard.press('ArrowRight');
    await page.waitForTimeout(300);
    assert.notEqual(await page.evaluate(() => window.ranks.screenText().join('\n')), before, 'the hero walked');
    assert.ok(await page.evaluate(() => document.activeElement.id === 'screen-input'));
    await settled(page, 'persisted', 'listed');
    assert.equal(await page.$$eval('#games-list tbody tr', (rows) => rows.length), 1, 'the game played, once');
  });
});

test('the page in English (?lang=en): the screen, the log and its language; the menu on Space and Esc; the pace remembered', async () => {
  await withBrowser({}, async (page) => {
    await page.goto(server.url + '?lang=en&messages=auto');
    await page.waitForFunction(() => window.ranks);
    await openWorld(page, quietWorld(20, 10));
    await waitForKeyWait(page, 0, 30000);
    const field = await page.evaluate(() => window.ranks.screenText().join('\n'));
    assert.match(field, /Move \.\.\. Arrow keys/);
    assert.ok((await said(page)).some((t) => /^Map 1, level 1, HP \d+\. up: /.test(t)), `said: ${await said(page)}`);
    assert.equal(await page.$eval('#narration p:last-child', (p) => p.lang), 'en');
    assert.equal(await page.getAttribute('#terminal', 'lang'), 'en');
    for (const [key, shows] of [[' ', /Status/], ['Escape', /Move \.\.\. Arrow keys/], [' ', /Status/], [' ', null]]) {
      await press(page, key);
      const now = await page.evaluate(() => window.ranks.screenText().join('\n'));
      if (shows) assert.match(now, shows, `after ${key}`);
      else assert.equal(now, field, 'the field given back cell for cell');
    }
    // The address says it for its visit; the switches are remembered.
    await page.goto(server.url);
    await onField(page);
    const choices = () => Promise.all(['#lang', '#pace'].map((s) => page.inputValue(s)));
    assert.deepEqual(await choices(), ['ja', 'wait']);
    await page.selectOption('#lang', 'en');
    await page.selectOption('#pace', 'instant');
    await page.reload();
    await page.waitForFunction(() => window.ranks && window.ranks.screenText().some((r) => r.includes('Arrow keys')));
    assert.deepEqual(await choices(), ['en', 'instant'], 'remembered');
  });
});

// The service worker is registered once the first game is under way (at
// its first wait, or soon after its first frame: this field's enemies walk,
// so it never waits) and takes the page as it is activated.
test('the page installs, and a second visit plays with the network off', async () => {
  await withBrowser({}, async (page, browser) => {
    await page.goto(server.url);
    await onField(page);
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 20000 });
    // The browser's own checks (its manifest, icons and worker), as Lighthouse had them.
    const cdp = await page.context().newCDPSession(page);
    assert.deepEqual((await cdp.send('Page.getInstallabilityErrors')).installabilityErrors, []);
    await browser.context.setOffline(true);
    await page.reload({ timeout: 20000 });
    await onField(page);
    await browser.context.setOffline(false);
  });
});

for (const [width, height, mobile] of [[1280, 800, false], [390, 844, true]]) {
  test(`the layout stays put while the page loads at ${width}x${height}`, async () => {
    await withBrowser({ viewport: { width, height }, hasTouch: mobile, isMobile: mobile }, async (page) => {
      await page.addInitScript(() => {
        window.shifted = 0;
        new PerformanceObserver((list) => {
          for (const e of list.getEntries()) if (!e.hadRecentInput) window.shifted += e.value;
        }).observe({ type: 'layout-shift', buffered: true });
      });
      await page.goto(server.url);
      await onField(page);
      await page.waitForTimeout(1500);
      const shifted = await page.evaluate(() => window.shifted);
      assert.ok(shifted < 0.1, `cumulative layout shift ${shifted.toFixed(3)}`);
    });
  });
}

test('a phone held upright: Zoom doubles the cells and the screen follows the hero', async () => {
  await withBrowser({ viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true, deviceScaleFactor: 3 }, async (page) => {
    await page.goto(server.url);
    await onField(page);
    await openWorld(page, quietWorld(8, 10));
    await waitForKeyWait(page, 0);
    const view = () => page.evaluate(() => {
      const box = document.getElementById('screen');
      const canvas = document.querySelector('#terminal canvas');
      const row = window.ranks.screenText().find((r) => r.includes('●'));
      return {
        size: window.ranks.screen.fontSize, left: box.scrollLeft, shown: box.clientWidth, whole: box.scrollWidth,
        sharp: canvas.width === Math.round(canvas.offsetWidth * devicePixelRatio), hero: row ? row.indexOf('●') : -1,
      };
    });
    const upright = await view();
    await page.tap('#zoom');
    await page.waitForTimeout(700);
    const zoomed = await view();
    assert.ok(zoomed.size >= 2 * upright.size, `font ${upright.size} px, zoomed ${zoomed.size} px`);
    assert.ok(zoomed.sharp, 'the canvas is measured at the new size');
    assert.ok(zoomed.whole > 1.8 * zoomed.shown, 'about half the columns in view');
    for (let i = 0; i < 40; ++i) {
      const waits = await page.evaluate(() => window.ranks.waits());
      await page.tap('#touch button[aria-label="Right"]');
      await waitForKeyWait(page, waits);
    }
    const walked = await view();
    const x = (walked.hero + 1) * walked.whole / 80;
    assert.ok(walked.left > 0 && x > walked.left && x < walked.left + walked.shown, JSON.stringify(walked));
    await page.tap('#zoom');
    await page.waitForTimeout(700);
    assert.equal((await view()).left, 0, 'unzoomed, the whole screen shows');
  });
});
