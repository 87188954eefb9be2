// Figures of the web page in headless Chromium, run by hand after the web
// build and the native build (for its default world):
//   node bench/web_bench.cjs
// The build's sizes; the bytes a first visit is sent with and without the
// precompressed files, and until the page is kept for offline play; the
// time from loading the page to the first field frame, cold (a new profile
// each, in a browser started before the visit and in one launched for it)
// and warm; the renderer's memory over 30 restarts; each animation's
// measured duration against the pauses it states (from the page's timeline
// of pauses and key waits); the main thread's load while the game waits on
// a field without enemies.
'use strict';
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const zlib = require('node:zlib');
const { launch, openWorld, pageDir, press, serve, timeFirstField, waitForKeyWait } = require('../tests/web/browser.cjs');
const { battleWorld, emptyWorld } = require('../tests/web/worlds.cjs');

const kLegend = '移動 ・・・ 矢印キー';
const runs = Number(process.env.RUNS || 3);

function sizes() {
  // The game's files are named after their contents (ranks-HASH.wasm).
  const named = (ext) => fs.readdirSync(pageDir).find((n) => /^ranks-[0-9a-f]+$/.test(path.basename(n, ext)) && n.endsWith(ext));
  for (const name of [named('.wasm'), 'index.html', named('.data')]) {
    const data = fs.readFileSync(path.join(pageDir, name));
    console.log(`${name.padEnd(27)} ${String(data.length).padStart(8)} bytes  ${String(zlib.gzipSync(data, { level: 9 }).length).padStart(8)} gzipped`);
  }
}

// The pauses from `from` up to the next key wait, as one animation:
// stated is their sum, measured the time from the first pause to the wait.
function animation(timeline, from, accept = () => true) {
  let stated = 0;
  let start = null;
  let pauses = 0;
  for (let i = from; i < timeline.length; ++i) {
    const [ms, t] = timeline[i];
    if (ms === 'wait') return start === null ? null : { stated, measured: t - start, pauses, next: i + 1 };
    if (!accept(ms)) {
      if (start !== null) return { stated, measured: t - start, pauses, next: i };
      continue;
    }
    if (start === null) start = t;
    stated += ms;
    ++pauses;
  }
  return null;
}

const figures = {};
function record(name, a) {
  if (!a) return;
  (figures[name] = figures[name] || []).push(a);
}

function report() {
  console.log('\nanimation                      stated ms   measured ms (min / median / max)   ratio (median)');
  for (const [name, list] of Object.entries(figures)) {
    const m = list.map((a) => a.measured).sort((x, y) => x - y);
    const med = m[Math.floor(m.length / 2)];
    console.log(`${name.padEnd(30)} ${String(list[0].stated).padStart(9)}   ${m[0].toFixed(1).padStart(8)} / ${med.toFixed(1).padStart(7)} / ${m[m.length - 1].toFixed(1).padStart(7)}   ${(med / list[0].stated).toFixed(3)}`);
  }
}

async function timelineOf(page) { return page.evaluate(() => window.ranks.timeline()); }

async function loadTime(context, url) {
  const page = await context.newPage();
  await timeFirstField(page, kLegend);
  await page.goto(url + '?x=' + Math.random());
  await page.waitForFunction(() => window.firstFieldAt !== undefined);
  const ms = await page.evaluate(() => window.firstFieldAt);
  await page.close();
  return ms;
}

// The map changes: walking off the east edge and off the north edge of an
// empty world.
async function mapChanges(page, world) {
  await openWorld(page, world);
  await waitForKeyWait(page, 0);
  const walk = async (key, name) => {
    for (let i = 0; i < 30; ++i) {
      const before = (await timelineOf(page)).length;
      await press(page, key);
      const a = animation(await timelineOf(page), before);
      if (a) return record(name, a);
    }
    throw new Error('no map change walking ' + key);
  };
  await walk('ArrowRight', 'map change sideways');
  await walk('ArrowUp', 'map change vertical');
}

// The encounter and a battle against two pawns, with the item menu and the
// ability menu opened, to its end with the level-up panel.
async function battle(page, url) {
  await page.goto(url + '?clock=1000000&timeline');
  await page.waitForFunction(() => window.ranks);
  await openWorld(page, battleWorld(1, 2));
  await waitForKeyWait(page, 0, 30000);
  let t = await timelineOf(page);
  const wipes = t.findIndex(([ms]) => ms === 30);
  const wipe = animation(t, wipes, (ms) => ms === 30);
  record('encounter wipes', wipe);
  record('battle opening', animation(t, wipe.next));

  const step = async (key, name, accept) => {
    const from = (await timelineOf(page)).length;
    await press(page, key);
    if (name) record(name, animation(await timelineOf(page), from, accept));
  };
  await step('ArrowDown');
  await step('ArrowDown');
  await step('Enter', 'item menu slide in');
  await step(' ', 'item menu slide out');
  await step('ArrowUp');
  await step('ArrowUp');
  await step('Enter', 'target banner slide');
  await step('Enter', 'ability menu slide in');
  // The blow: its message is typed out a character at a time.
  await step('Enter', 'typed message (the blow)');
  // Acknowledge until the level-up panel has come and gone.
  for (let i = 0; i < 30 && !(await page.evaluate(() => window.ranks.screenText().some((r) => r.includes('LEVEL UP')))); ++i) {
    const from = (await timelineOf(page)).length;
    await press(page, 'Enter');
    t = await timelineOf(page);
    if (t.slice(from).some(([ms]) => ms === 50) && !figures['typed message']) record('typed message', animation(t, from));
    if (await page.evaluate(() => window.ranks.screenText().some((r) => r.includes('LEVEL UP'))))
      record('level-up panel (to its first wait)', animation(t, from));
  }
}

// A first visit with an empty cache: the bytes sent and the first frame.
// At once as the browser is launched, or `settleMs` after it: for about a
// second a browser's own start (its processes, its address bar's popup
// loaded as a page) shares the machine's cores with the page, which a
// visit to a browser already open does not pay.
async function firstVisit(compressed, settleMs = 0) {
  const server = await serve(undefined, { compressed });
  const browser = await launch();
  try {
    await new Promise((resolve) => setTimeout(resolve, settleMs));
    const ms = await loadTime(browser.context, server.url);
    return { ms, bytes: server.sent() };
  } finally {
    await browser.close();
    await server.close();
  }
}

// A first visit that stays until the page is kept for offline play: the
// bytes sent by its first field frame, and by the time the service worker
// has its copy of every file (whatever it asked the server for on top).
async function keptOffline() {
  const server = await serve();
  const browser = await launch();
  try {
    const page = await browser.context.newPage();
    await page.goto(server.url);
    await page.waitForFunction((legend) => window.ranks && window.ranks.screenText().some((r) => r.includes(legend)),
      kLegend, { timeout: 20000 });
    const shown = server.sent();
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 20000 });
    return { shown, kept: server.sent() };
  } finally {
    await browser.close();
    await server.close();
  }
}

// The renderer's resident memory (all its processes, MB) and its JavaScript
// heap after a collection, over 30 restarts by Ctrl+C and Play again.
async function restarts({ context, profile }, url) {
  const page = await context.newPage();
  const cdp = await context.newCDPSession(page);
  await page.goto(url);
  const field = () => page.waitForFunction((legend) => window.ranks.ended() === null &&
    window.ranks.screenText().some((r) => r.includes(legend)), kLegend, { timeout: 20000 });
  // The renderers among this browser's processes (found by its profile).
  const rendererMb = () => {
    const ps = execFileSync('ps', ['-eo', 'pid=,ppid=,rss=,args='], { encoding: 'utf8' }).trim().split('\n')
      .map((l) => l.trim().split(/\s+/)).map(([pid, ppid, rss, ...args]) => ({ pid, ppid, rss: Number(rss), args: args.join(' ') }));
    const ours = new Set(ps.filter((p) => p.args.includes('--user-data-dir=' + profile)).map((p) => p.pid));
    for (let grown = true; grown;) {
      grown = false;
      for (const p of ps) if (!ours.has(p.pid) && ours.has(p.ppid)) { ours.add(p.pid); grown = true; }
    }
    return ps.filter((p) => ours.has(p.pid) && p.args.includes('--type=renderer')).reduce((sum, p) => sum + p.rss, 0) / 1024;
  };
  const measure = async (n) => {
    await cdp.send('HeapProfiler.collectGarbage');
    const { usedSize } = await cdp.send('Runtime.getHeapUsage');
    console.log(`after ${String(n).padStart(2)} restarts: renderer ${rendererMb().toFixed(0)} MB, JavaScript heap ${(usedSize / 1048576).toFixed(1)} MB`);
  };
  await field();
  await measure(0);
  for (let i = 1; i <= 30; ++i) {
    await page.keyboard.press('Control+C');
    await page.waitForFunction(() => window.ranks.ended() === 130);
    await page.click('#again');
    await field();
    if (i % 10 === 0) await measure(i);
  }
  await page.close();
}

// The main thread's share of 10 s while the game waits on an empty field.
async function idleLoad(context, url, world) {
  const page = await context.newPage();
  await page.goto(url);
  await page.waitForFunction(() => window.ranks);
  await openWorld(page, world);
  await waitForKeyWait(page, 0);
  const cdp = await context.newCDPSession(page);
  await cdp.send('Performance.enable');
  const metric = async () => {
    const { metrics } = await cdp.send('Performance.getMetrics');
    const get = (n) => metrics.find((m) => m.name === n).value;
    return { task: get('TaskDuration'), script: get('ScriptDuration'), at: Date.now() };
  };
  await new Promise((r) => setTimeout(r, 1000));
  const a = await metric();
  await new Promise((r) => setTimeout(r, 10000));
  const b = await metric();
  const wall = (b.at - a.at) / 1000;
  console.log(`idle on an empty field: main thread busy ${(100 * (b.task - a.task) / wall).toFixed(3)} % ` +
    `(script ${(100 * (b.script - a.script) / wall).toFixed(3)} %) over ${wall.toFixed(1)} s`);
  await page.close();
}

(async () => {
  sizes();
  for (const compressed of [false, true]) {
    const visit = await firstVisit(compressed);
    console.log(`first visit ${compressed ? 'with' : 'without'} precompressed files: ${(visit.bytes / 1024).toFixed(0)} KB sent, ` +
      `first field frame at ${visit.ms.toFixed(0)} ms`);
  }
  const kept = await keptOffline();
  console.log(`first visit kept offline: ${(kept.shown / 1024).toFixed(0)} KB sent by the first field frame, ` +
    `${(kept.kept / 1024).toFixed(0)} KB by the time the page is kept`);
  // Cold: a new profile each time (nothing cached, no service worker yet),
  // in a browser started 2 s before, and in one launched for the visit.
  for (const [settle, what] of [[2000, 'cold load to first field frame (browser started)'],
    [0, 'cold load to first field frame, at the browser\'s launch']]) {
    const cold = [];
    for (let i = 0; i < 7; ++i) cold.push((await firstVisit(true, settle)).ms);
    cold.sort((x, y) => x - y);
    console.log(`${what}: ${cold.map((x) => x.toFixed(0)).join(', ')} ms (median ${cold[3].toFixed(0)})`);
  }
  const server = await serve();
  const browser = await launch();
  try {
    // Warm: later visits, once a first one has stayed long enough for the
    // page to be kept for offline play.
    const first = await browser.context.newPage();
    await first.goto(server.url);
    await first.waitForFunction(async () => {
      const registration = await navigator.serviceWorker.getRegistration();
      return Boolean(registration && registration.active);
    }, null, { timeout: 20000 });
    await first.close();
    const loads = [];
    for (let i = 0; i < 7; ++i) loads.push(await loadTime(browser.context, server.url));
    loads.sort((x, y) => x - y);
    console.log(`warm load to first field frame: ${loads.map((x) => x.toFixed(0)).join(', ')} ms (median ${loads[3].toFixed(0)})`);

    const edge = emptyWorld(54, 10);
    for (let run = 0; run < runs; ++run) {
      const page = await browser.context.newPage();
      await page.goto(server.url + '?timeline');
      await page.waitForFunction(() => window.ranks);
      await mapChanges(page, edge);
      await battle(page, server.url);
      await page.close();
    }
    report();
    await idleLoad(browser.context, server.url, emptyWorld(30, 10));
    await restarts(browser, server.url);
  } finally {
    await browser.close();
    await server.close();
  }
})();
