// The browser's voice, turned on in the game's menu: it is handed the live
// log's lines in the game's language; a passing line cuts what is being
// said only when no battle message still waits to be said.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { after, before } = require('node:test');
const { launch, openWorld, press, serve, test } = require('./browser.cjs');
const { emptyWorld } = require('./worlds.cjs');

let server;
before(async () => { server = await serve(); });
after(async () => { await server.close(); });

const cases = [
  { lang: 'ja', speechRow: '読み上げ', start: 'バトル開始：', fight: 'たたかう：', defend: 'ぼうぎょ：' },
  { lang: 'en', speechRow: 'Speech', start: 'Battle: ', fight: 'Fight:', defend: 'Defend:' },
];

test('speech in the page: the live log\'s lines in the game\'s language, stale ones cancelled, battle messages never cut', async () => {
  // A Pawn walks up from the right while the menu turns speech on.
  const world = emptyWorld(26, 10);
  fs.writeFileSync(path.join(world, 'map_info', 'map1', '5.txt'), '1\n1 1 54 10\n');
  for (const c of cases) {
    const browser = await launch();
    try {
      const page = browser.context.pages()[0] || await browser.context.newPage();
      await page.addInitScript(() => {
        // What the voice is handed; nothing is said, and a kept line ends
        // only when the test says so.
        window.voice = [];
        window.pending = [];
        window.live = [];
        speechSynthesis.speak = (u) => {
          window.voice.push({ text: u.text, lang: u.lang, kept: Boolean(u.onend) });
          if (u.onend) window.pending.push(u);
        };
        speechSynthesis.cancel = () => window.voice.push({ cancel: true });
        new MutationObserver((changes) => {
          for (const m of changes) if (m.target.id === 'narration') for (const n of m.addedNodes) window.live.push(n.textContent);
        }).observe(document, { childList: true, subtree: true });
      });
      await page.goto(`${server.url}?lang=${c.lang}&messages=instant`);
      await page.waitForFunction(() => window.ranks);
      await openWorld(page, world);
      for (const key of [' ', 'ArrowLeft', 'ArrowLeft', 'ArrowUp', 'Enter']) await press(page, key);
      await page.keyboard.press(' ');
      const voice = () => page.evaluate(() => window.voice);
      await page.waitForFunction((fight) => window.voice.some((u) => u.text && u.text.startsWith(fight)), c.fight,
        { timeout: 30000 });
      let said = await voice();
      assert.ok(said[1].text.includes(c.speechRow), `the row that turned it on is said: ${said[1].text}`);
      const lines = said.filter((u) => !u.cancel);
      assert.deepEqual(lines.map((u) => u.lang), lines.map(() => c.lang));
      const live = await page.evaluate(() => window.live.map((l) => l.trim()));
      assert.deepEqual(lines.map((u) => u.text.trim()), live.slice(live.length - lines.length), 'the live log\'s lines');
      // On the field each line cuts the one before; from the battle's start
      // on, nothing is cut while its lines wait to be said.
      const start = said.findIndex((u) => u.text && u.text.startsWith(c.start));
      assert.ok(said[start].kept);
      said.slice(0, start).forEach((u, i) => { if (u.text) assert.ok(said[i - 1].cancel, `cut before ${u.text}`); });
      assert.ok(!said.slice(start).some((u) => u.cancel), 'a battle message was cut');
      // Once they are said, a choice cuts the one before it again.
      await page.evaluate(() => { for (const u of window.pending.splice(0)) u.onend(); });
      const before = said.length;
      await press(page, 'ArrowDown');
      said = (await voice()).slice(before);
      assert.ok(said[0].cancel && said[1].text.startsWith(c.defend), JSON.stringify(said));
    } finally {
      await browser.close();
    }
  }
});
