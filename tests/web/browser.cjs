// Shared by the page's tests and benchmark: the built page served on
// localhost, and Chromium driven headless through playwright-core.
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');

const root = path.resolve(__dirname, '..', '..');
const { chromium } = require(path.join(root, 'web', 'node_modules', 'playwright-core'));

const pageDir = process.env.RANKS_WEB_DIR || path.join(root, 'build-web', 'web');
const kTypes = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream', '.txt': 'text/plain',
  '.webmanifest': 'application/manifest+json', '.png': 'image/png',
};

// Serves a folder on a free port of 127.0.0.1, each file as its
// precompressed copy (name.br, name.gz) when the browser takes it; resolves
// to {url, close, sent, deploy} (sent: the bytes of the bodies sent so far;
// deploy(dir): serve another folder from the next request on, as a new
// release put in place). `onRequest(name)` is told of each request first.
function serve(dir = pageDir, { compressed = true, onRequest = () => {} } = {}) {
  let sent = 0;
  const server = http.createServer((req, res) => {
    const name = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    onRequest(name);
    const file = path.join(dir, name.endsWith('/') ? name + 'index.html' : name);
    if (!file.startsWith(dir) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      res.writeHead(404);
      res.end();
      return;
    }
    const accepted = compressed ? String(req.headers['accept-encoding'] || '') : '';
    const encoding = [['br', '.br'], ['gzip', '.gz']].find(([e, ext]) => accepted.includes(e) && fs.existsSync(file + ext));
    const body = encoding ? file + encoding[1] : file;
    const headers = { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream', 'Content-Length': fs.statSync(body).size };
    if (encoding) headers['Content-Encoding'] = encoding[0];
    sent += headers['Content-Length'];
    res.writeHead(200, headers);
    fs.createReadStream(body).pipe(res);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve({
    url: `http://127.0.0.1:${server.address().port}/`,
    sent: () => sent,
    deploy: (other) => { dir = other; },
    close: () => new Promise((done) => { server.closeAllConnections(); server.close(done); }),
  })));
}

// Debian's Chromium, headless, with a fresh profile and its own home and
// folders (it keeps certificates and caches there otherwise).
// `options` may set the viewport and emulate a touch screen.
async function launch(options = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'ranks-chromium-'));
  const home = path.join(profile, 'home');
  fs.mkdirSync(home);
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    env: {
      ...process.env, HOME: home, XDG_CONFIG_HOME: path.join(home, 'config'), XDG_DATA_HOME: path.join(home, 'data'),
      XDG_CACHE_HOME: path.join(home, 'cache'),
    },
    headless: true,
    viewport: { width: 1100, height: 860 },
    acceptDownloads: true,
    ...options,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  // Every wait has a deadline.
  context.setDefaultTimeout(20000);
  context.setDefaultNavigationTimeout(20000);
  // Leaving a running game asks first; the tests answer yes.
  context.on('page', (page) => page.on('dialog', (dialog) => dialog.accept()));
  const close = async () => {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { context, close, profile };
}

// Opens the page and waits until the game waits for its first key.
async function open(context, url) {
  const page = context.pages()[0] || await context.newPage();
  await page.goto(url);
  await waitForKeyWait(page, 0);
  return page;
}

// Waits until the game has blocked for a key more than `after` times (the
// screen is drawn as the game hands it over).
async function waitForKeyWait(page, after, timeout = 20000) {
  await page.waitForFunction((n) => window.ranks && window.ranks.waiting() && window.ranks.waits() > n,
    after, { timeout, polling: 20 });
}

// Runs the page's hooks `names` one after the other (each resolves when
// the page has done it), each within 20 s.
function settled(page, ...names) {
  return page.evaluate((all) => all.reduce((before, name) => before.then(() => Promise.race([
    window.ranks[name](),
    new Promise((resolve, reject) => setTimeout(() => reject(new Error(`${name} took over 20 s`)), 20000)),
  ])), Promise.resolve()), names);
}

// node:test's test() with a deadline for the whole test.
function test(name, ...rest) {
  const body = rest.pop();
  return require('node:test').test(name, { timeout: 180000, ...(rest[0] || {}) }, body);
}

// Presses a key once the game waits for one, then waits for its next wait.
async function press(page, key) {
  const before = await page.evaluate(() => window.ranks.waits());
  await page.keyboard.press(key);
  await waitForKeyWait(page, before);
}

// Loads a world folder through the page's own button and picker, and waits
// until the game has started on it.
async function openWorld(page, dir) {
  const starts = await page.evaluate(() => window.ranks.starts());
  const chooser = page.waitForEvent('filechooser');
  await page.click('#open-world');
  await (await chooser).setFiles(dir);
  await page.waitForFunction((n) => window.ranks.starts() > n, starts);
}

const screen = (page) => page.evaluate(() => window.ranks.screenText());

// Has the page's next document record, as window.firstFieldAt, the time of
// the frame whose screen first holds `legend`: looked for in every frame
// from the page's first moment (a wait begun once goto returns saw it
// 150-300 ms late).
function timeFirstField(page, legend) {
  return page.addInitScript((text) => {
    const look = () => {
      if (window.ranks && window.ranks.screenText().some((r) => r.includes(text))) window.firstFieldAt = performance.now();
      else requestAnimationFrame(look);
    };
    requestAnimationFrame(look);
  }, legend);
}

// The cells whose drawing disagrees with the screen's text, once it has
// drawn: a glyph with no ink in its cell, or ink in a blank cell between
// blanks (a glyph drawn elsewhere). [] when every cell looks as it reads.
async function inkMismatches(page) {
  await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
  return page.evaluate(() => {
    const screen = window.ranks.screen;
    const { canvas, cellWidth: w, cellHeight: h } = screen;
    const { data } = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
    const inked = (cx, cy) => {
      const at = (x, y) => 4 * (y * canvas.width + x);
      const first = at(cx * w, cy * h);
      for (let y = cy * h; y < (cy + 1) * h; ++y) {
        for (let x = cx * w; x < (cx + 1) * w; ++x) {
          const i = at(x, y);
          if (data[i] !== data[first] || data[i + 1] !== data[first + 1] || data[i + 2] !== data[first + 2]) return true;
        }
      }
      return false;
    };
    const blank = (c) => c.trim() === '';  // a space, the ideographic one too
    const wrong = [];
    screen.rows.forEach(({ glyphs }, y) => {
      const chars = (x) => (x < 0 || x >= glyphs.length ? ' ' : glyphs[x]);
      for (let x = 0; x < glyphs.length; ++x) {
        const c = chars(x);
        if (c === '') continue;  // the right half of a wide glyph
        const ink = inked(x, y);
        if (!blank(c) && !ink) wrong.push(`${c} at ${x},${y} not drawn`);
        const cursor = screen.cursor && screen.cursor[0] === x && screen.cursor[1] === y;
        if (c === ' ' && ink && !cursor && chars(x - 1) === ' ' && chars(x + 1) === ' ') wrong.push(`ink in the blank at ${x},${y}`);
      }
    });
    return wrong;
  });
}

// For the tests that put a later release over the built one: a server of
// the built page that tells `onRequest` of each file asked for, and the
// later release (`makeRelease('(later)')`), made before the tests and
// removed after them.
function servedWithLater(makeRelease) {
  const { after, before } = require('node:test');
  const release = { onRequest: () => {} };
  before(async () => {
    release.server = await serve(pageDir, { onRequest: (name) => release.onRequest(name) });
    release.later = makeRelease('(later)');
  });
  after(async () => {
    await release.server.close();
    fs.rmSync(release.later, { recursive: true, force: true });
  });
  return release;
}

// The default world's field stands once its legend is drawn.
const onField = (page) => page.waitForFunction((legend) => window.ranks &&
  window.ranks.screenText().some((r) => r.includes(legend)), '移動 ・・・ 矢印キー', { timeout: 30000 });

module.exports = { root, pageDir, serve, servedWithLater, onField, launch, open, openWorld, press, inkMismatches, screen, settled, test, timeFirstField, waitForKeyWait };
