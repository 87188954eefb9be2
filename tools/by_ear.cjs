#!/usr/bin/env node
// A player who only listens: it hears the game's spoken lines and never
// the screen, and chooses each key from the last lines said. It walks
// from the start to the Queen's map by the ways out the field names, fights
// ten battles (a potion in one of them), and looks through the menu.
//
//   node tools/by_ear.cjs terminal RANKS WORLD [ja|en]
//     the real game in tmux with --speech, heard through a Speech
//     Dispatcher stand-in on a unix socket (SPEECHD_ADDRESS)
//   node tools/by_ear.cjs page [ja|en]
//     the built page (RANKS_WEB_DIR, else build-web/web) in headless
//     Chromium, heard through its live log and the utterances given to
//     speechSynthesis.speak, with the game's speech turned on in its menu
//
// It prints what it heard and pressed, and a summary line; it exits 1 when
// it got stuck (nothing new said for a while, or too many keys).
'use strict';
const fs = require('node:fs');
const net = require('node:net');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');

const kWords = {
  ja: {
    ways: ['上', '下', '左', '右'],
    arrival: /^マップ(\d+)　レベル\d+　HP(\d+)。/,
    route: /(上|下|左|右)のマップ(\d+)へ(\d+)歩、まず(上|下|左|右)に(\d+)。/g,
    bump: /^(上|下|左|右)は壁。$/,
    battle: /^バトル開始：/,
    exchange: /^主人公 HP (\d+)\/(\d+)。/,
    fight: /^たたかう：/, item: /^アイテム：/, otherCommand: /^(ぼうぎょ|にげる)：/,
    target: /^対象：/, ability: /：威力 \d+、命中 \d+。/, potion: /：体力を\d+回復する。持っている数 (\d+)/,
    otherItem: /：(攻撃力|防御力)を\d+上げる/,
    menu: /^メニュー /, queen: /クイーンのしるし：/, noEnemies: /敵はいない。/,
  },
  en: {
    ways: ['up', 'down', 'left', 'right'],
    arrival: /^Map (\d+), level \d+, HP (\d+)\./,
    route: /Way (up|down|left|right) to map (\d+): (\d+) away, first (\d+) (up|down|left|right)\./g,
    bump: /^(up|down|left|right): a wall\.$/,
    battle: /^Battle: /,
    exchange: /^Your HP (\d+)\/(\d+)\./,
    fight: /^Fight:/, item: /^Item:/, otherCommand: /^(Defend|Run away):/,
    target: /^Target:/, ability: /: power \d+, accuracy \d+\./, potion: /: heals \d+ HP\. Held: (\d+)/,
    otherItem: /: (attack|defence) up by/,
    menu: /^Menu, /, queen: /Queen's mark:/, noEnemies: /No enemies\./,
  },
};
const kKeys = ['Up', 'Down', 'Left', 'Right'];

// The listener's mind: what it knows of the world from what it heard.
class Ear {
  constructor(lang) {
    this.w = kWords[lang];
    this.map = 0;
    this.visited = new Set();
    this.links = new Map();  // map -> Map(neighbour -> {way, steps, first, leg})
    this.routes = [];        // the ways out said last, from where the hero stood
    this.queen = 0;
    this.battles = 0;
    this.potion = 'not yet';  // 'not yet', 'chosen', 'used'
    this.menuPages = new Set();
    this.inBattle = false;
    this.hp = [0, 0];
  }

  // One line heard.
  hear(line) {
    const w = this.w;
    // Arriving, or asked where (the place first, then the same line).
    const field = line.match(new RegExp(w.arrival.source.slice(1)));
    if (field) {
      this.inBattle = false;
      this.map = Number(field[1]);
      this.visited.add(this.map);
      this.routes = [...line.matchAll(w.route)].map((m) => ({
        way: w.ways.indexOf(m[1]), to: Number(m[2]), steps: Number(m[3]),
        leg: Number(w === kWords.ja ? m[5] : m[4]), first: w.ways.indexOf(w === kWords.ja ? m[4] : m[5]),
      }));
      const links = this.links.get(this.map) || new Map();
      for (const r of this.routes) links.set(r.to, r);
      this.links.set(this.map, links);
      this.noEnemies = w.noEnemies.test(line);
    }
    if (w.queen.test(line) && !this.queen) this.queen = this.map;
    if (w.battle.test(line)) { this.inBattle = true; this.battles += 1; this.hp = [0, 0]; }
    const hp = line.match(w.exchange);
    if (hp) this.hp = [Number(hp[1]), Number(hp[2])];
    if (w.menu.test(line)) this.menuPages.add(line.split(/[:：]/)[0]);
  }

  // The next map to head for: an unvisited one the known ways lead to
  // (the nearest first), or any neighbour once all known ones are seen.
  nextMap() {
    const seen = new Map([[this.map, null]]);
    const queue = [this.map];
    while (queue.length) {
      const m = queue.shift();
      for (const to of (this.links.get(m) || new Map()).keys()) {
        if (seen.has(to)) continue;
        seen.set(to, m);
        if (!this.visited.has(to)) {
          let hop = to;
          while (seen.get(hop) !== this.map) hop = seen.get(hop);
          return hop;
        }
        queue.push(to);
      }
    }
    return this.routes.length ? this.routes[Math.floor(Math.random() * this.routes.length)].to : 0;
  }
}

// Plays with `io` ({say: () => [lines], press(key), wait(ms), log}) until
// done or stuck; resolves to the summary.
async function play(ear, io, { battles = 10, maxKeys = 3000 } = {}) {
  const w = ear.w;
  let keys = 0;
  let heard = 0;
  const started = Date.now();
  const lines = () => io.said();
  const press = async (key) => {
    keys += 1;
    io.log(`  > ${key}`);
    await io.press(key);
  };
  // Waits until nothing new has been said for `quiet` ms; the new lines.
  const listen = async (quiet = 250, limit = 8000) => {
    const from = heard;
    let last = lines().length;
    let still = Date.now();
    const end = Date.now() + limit;
    while (Date.now() < end) {
      await io.wait(50);
      const n = lines().length;
      if (n !== last) { last = n; still = Date.now(); }
      if (n > from && Date.now() - still >= quiet) break;
    }
    const all = lines();
    for (const line of all.slice(from)) { io.log(`  < ${line}`); ear.hear(line); }
    heard = all.length;
    return all.slice(from);
  };
  await listen(500, 20000);
  let silent = 0;
  let menuDone = false;
  let waited = 0;
  while (keys < maxKeys) {
    const all = lines();
    const last = all[all.length - 1] || '';
    if (ear.inBattle) {
      // A choice said: answer it; anything else waits for Enter.
      let key = 'Enter';
      if (w.fight.test(last)) {
        key = ear.potion === 'not yet' && ear.hp[0] > 0 && ear.hp[0] < ear.hp[1] ? 'Down' : 'Enter';
      } else if (w.otherCommand.test(last)) {
        key = ear.potion === 'not yet' && ear.hp[0] > 0 ? 'Down' : 'Up';
      } else if (w.item.test(last)) {
        key = ear.potion === 'not yet' && ear.hp[0] > 0 ? 'Enter' : 'Up';
        if (key === 'Enter') ear.potion = 'chosen';
      } else if (w.potion.test(last) || w.otherItem.test(last)) {
        if (ear.potion === 'chosen' && w.potion.test(last)) { key = 'Enter'; ear.potion = 'used'; } else {
          await io.wait(600);  // the menu's quiet after a use
          key = 'Space';
        }
      }
      await press(key);
      const got = await listen(key === 'Enter' ? 300 : 200, 4000);
      silent = got.length ? 0 : silent + 1;
      if (silent > 20) return summary('stuck in battle');
      continue;
    }
    if (!menuDone) {
      // The menu: opened, each page to the left, closed.
      await press('Space');
      await listen();
      for (let i = 0; i < 6; ++i) { await press('Left'); await listen(200, 2000); }
      await press('Space');
      await listen();
      menuDone = true;
      continue;
    }
    if (ear.queen && ear.battles >= battles && ear.potion === 'used') return summary('done');
    // Once at the Queen's, enemies are met where they walk up: wait for
    // them, and go to a neighbour and back when none are left.
    if (ear.queen && ear.map === ear.queen && !ear.noEnemies && waited < 12) {
      waited += 1;
      const got = await listen(300, 1500);
      if (!got.length) { await press('w'); await listen(); }
      continue;
    }
    waited = 0;
    const goal = ear.queen && ear.map !== ear.queen ? ear.queen : ear.nextMap();
    const route = ear.routes.find((r) => r.to === goal) || ear.routes[0];
    if (!route) {
      await press('w');
      if (!(await listen()).length) silent += 1;
      if (silent > 5) return summary('stuck: no way out said');
      continue;
    }
    // One leg of the way, a key at a time, stopping at anything said.
    const map = ear.map;
    let broke = false;
    for (let i = 0; i < route.leg && !broke; ++i) {
      await press(kKeys[route.first]);
      const got = await listen(120, 400);
      broke = got.some((l) => w.bump.test(l) || w.battle.test(l)) || ear.inBattle || ear.map !== map;
    }
    if (!ear.inBattle && ear.map === map) {
      await press('w');
      await listen();
    }
  }
  return summary('too many keys');

  function summary(end) {
    return { end, keys, battles: ear.battles, potion: ear.potion, queen: ear.queen, visited: [...ear.visited],
      menuPages: [...ear.menuPages], minutes: ((Date.now() - started) / 60000).toFixed(1) };
  }
}

// The game in tmux, heard through an SSIP stand-in.
async function terminal(binary, world, lang) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'ranks-ear-'));
  const socket = path.join(dir, 'speechd.sock');
  const said = [];
  const server = net.createServer((client) => {
    let buffer = '';
    let text = null;
    let priority = 'text';
    client.on('data', (chunk) => {
      buffer += chunk.toString('utf8');
      for (let end; (end = buffer.indexOf('\r\n')) >= 0;) {
        const line = buffer.slice(0, end);
        buffer = buffer.slice(end + 2);
        if (text !== null) {
          if (line === '.') {
            said.push({ priority, text });
            text = null;
            client.write(`225-${said.length}\r\n225 OK MESSAGE QUEUED\r\n`);
          } else {
            text += (text ? '\n' : '') + (line.startsWith('..') ? line.slice(1) : line);
          }
          continue;
        }
        const upper = line.toUpperCase();
        if (upper === 'SPEAK') { text = ''; client.write('230 OK RECEIVING DATA\r\n'); } else if (upper.startsWith('SET SELF PRIORITY ')) {
          priority = line.slice(18).toLowerCase();
          client.write('202 OK PRIORITY SET\r\n');
        } else if (upper.startsWith('HISTORY GET CLIENT_ID')) client.write('245-1\r\n245 OK CLIENT ID SENT\r\n');
        else if (upper === 'QUIT') client.end('231 HAPPY HACKING\r\n');
        else client.write('200 OK\r\n');
      }
    });
    client.on('error', () => {});
  });
  await new Promise((done) => server.listen(socket, done));
  const tmux = (...args) => execFileSync('tmux', ['-L', 'ranks-ear', ...args], { encoding: 'utf8' });
  const env = [`HOME=${dir}`, `XDG_DATA_HOME=${dir}/data`, `XDG_CONFIG_HOME=${dir}/config`,
    `SPEECHD_ADDRESS=unix_socket:${socket}`, 'LANG=C.UTF-8', 'TERM=xterm-256color'];
  tmux('new-session', '-d', '-s', 'ear', '-x', '80', '-y', '25', 'env', ...env, path.resolve(binary), '--world',
    path.resolve(world), '--speech', '--messages', 'instant', '--lang', lang);
  const io = {
    said: () => said.map((s) => s.text),
    press: async (key) => { tmux('send-keys', '-t', 'ear', key); },
    wait: (ms) => new Promise((done) => setTimeout(done, ms)),
    log: (line) => console.log(line),
  };
  try {
    return await play(new Ear(lang), io);
  } finally {
    try { tmux('kill-session', '-t', 'ear'); } catch { /* already gone */ }
    server.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

// The page in Chromium, heard through the utterances it hands the
// browser's voice (speech turned on in the game's menu, as a player
// would); every one must also be a line of the live log, in its order.
async function page(lang) {
  const { launch, serve } = require(path.join(__dirname, '..', 'tests', 'web', 'browser.cjs'));
  const server = await serve();
  const browser = await launch();
  try {
    const tab = browser.context.pages()[0] || await browser.context.newPage();
    await tab.addInitScript(() => {
      window.spoken = [];
      window.live = [];
      speechSynthesis.speak = (u) => { window.spoken.push(u.text); };
      new MutationObserver((changes) => {
        for (const c of changes) if (c.target.id === 'narration') for (const n of c.addedNodes) window.live.push(n.textContent);
      }).observe(document, { childList: true, subtree: true });
    });
    await tab.goto(`${server.url}?lang=${lang}&messages=instant`);
    await tab.waitForFunction(() => window.ranks && window.ranks.said().length > 0, null, { timeout: 60000 });
    const key = (k) => (['Up', 'Down', 'Left', 'Right'].includes(k) ? `Arrow${k}` : k);
    // Speech on: the settings page (two to the left), its last row, Enter.
    for (const k of ['Space', 'Left', 'Left', 'Up', 'Enter', 'Space']) {
      await tab.keyboard.press(key(k));
      await tab.waitForTimeout(300);
    }
    const io = {
      said: () => io.heard,
      heard: [],
      press: async (k) => { await tab.keyboard.press(key(k)); },
      wait: async (ms) => {
        await tab.waitForTimeout(ms);
        io.heard = await tab.evaluate(() => window.spoken);
      },
      log: (line) => console.log(line),
    };
    const result = await play(new Ear(lang), io);
    const live = (await tab.evaluate(() => window.live)).map((l) => l.trim());
    let at = 0;
    result.notInLog = io.heard.filter((u) => {
      const i = live.indexOf(u.trim(), at);
      if (i < 0) return true;
      at = i + 1;
      return false;
    }).length;
    result.utterances = io.heard.length;
    return result;
  } finally {
    await browser.close();
    await server.close();
  }
}

if (require.main === module) {
  const [mode, ...rest] = process.argv.slice(2);
  const run = mode === 'terminal' ? terminal(rest[0], rest[1], rest[2] || 'ja') : page(rest[0] || 'ja');
  run.then((s) => {
    console.log(`summary: ${JSON.stringify(s)}`);
    process.exit(s.end === 'done' ? 0 : 1);
  }, (e) => { console.error(e); process.exit(1); });
}

module.exports = { Ear, play };
