// A page of one release never runs with another release's code or world,
// where no service worker stands between (a browser that refuses them, a
// stale copy of the page): the game's files are named after their
// contents, a page that finds its own gone is loaded again once, and where
// that does not mend it, it says why and stops.
'use strict';
const assert = require('node:assert/strict');
const crypto = require('node:crypto');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { launch, onField, pageDir, servedWithLater, test } = require('./browser.cjs');

// The built release's file of that kind (ranks-HASH.wasm, ranks-HASH.data).
const gameFile = (dir, ext) => fs.readdirSync(dir).find((n) => n.startsWith('ranks-') && n.endsWith(ext));

// Another release made from the built one, whose code and world differ: a
// custom section at the WebAssembly's end, bytes past the world package's
// last file. Each goes under its new contents' name, which its page asks
// for; its page says `tag` beside the version.
function makeRelease(tag) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'ranks-release-'));
  fs.cpSync(pageDir, dir, { recursive: true });
  const name = Buffer.from(tag);
  let html = fs.readFileSync(path.join(dir, 'index.html'), 'utf8')
    .replace(/(<small id="version">[^<]*)/, `$1 ${tag}`);
  for (const [ext, extra] of [['.wasm', Buffer.concat([Buffer.from([0, name.length + 1, name.length]), name])], ['.data', name]]) {
    const old = gameFile(dir, ext);
    const bytes = Buffer.concat([fs.readFileSync(path.join(dir, old)), extra]);
    const renamed = `ranks-${crypto.createHash('sha256').update(bytes).digest('hex').slice(0, 16)}${ext}`;
    for (const suffix of ['', '.gz', '.br']) fs.rmSync(path.join(dir, old + suffix), { force: true });
    fs.writeFileSync(path.join(dir, renamed), bytes);
    html = html.replaceAll(old, renamed);
  }
  fs.writeFileSync(path.join(dir, 'index.html'), html);
  for (const suffix of ['.gz', '.br']) fs.rmSync(path.join(dir, 'index.html' + suffix), { force: true });
  return dir;
}

const release = servedWithLater(makeRelease);

const gameFiles = (dir) => ['.wasm', '.data'].map((ext) => `/${gameFile(dir, ext)}`);

const kMixes = [
  // The new release replaces the old between the page and its files: the
  // old page is loaded again, and the new one plays.
  { name: 'a new release put in place as the old page loads', pageFrom: () => null, reloads: 1, plays: true },
  // A copy of the old page stays (a cache that keeps it): one reload, then
  // the page says why it cannot play, and asks for nothing more.
  { name: 'an old page kept in front of a new release', pageFrom: () => pageDir, reloads: 1, plays: false },
];

for (const { name, pageFrom, reloads, plays } of kMixes) {
  test(`${name}: the page never runs the other release's code or world`, async () => {
    release.server.deploy(pageDir);
    const browser = await launch({ serviceWorkers: 'block' });
    try {
      const page = await browser.context.newPage();
      page.on('pageerror', (e) => console.error('page error:', e.message));
      // Each request, with the release whose file was served.
      const requests = [];
      release.onRequest = (file) => {
        // The old page is served; everything after it is the new release's.
        const kept = file === '/' ? pageFrom() : null;
        release.server.deploy(kept || (requests.length > 0 ? release.later : pageDir));
        requests.push(file);
      };
      await page.goto(release.server.url);
      if (plays) {
        await onField(page);
        assert.match(await page.textContent('#version'), /\(later\)$/);
      } else {
        while (requests.filter((file) => file === '/').length < 2) await page.waitForTimeout(50);
        await page.waitForLoadState();
        await page.waitForSelector('#errors:not([hidden])');
        assert.match(await page.textContent('#errors'), new RegExp(`${gameFile(pageDir, '.wasm')}|${gameFile(pageDir, '.data')}`));
        assert.match(await page.textContent('#errors'), /another version/);
        await page.waitForTimeout(1000);
      }
      const pages = requests.filter((file) => file === '/');
      assert.equal(pages.length, 1 + reloads, `loaded once and again ${reloads} time(s): ${requests}`);
      // The new files are asked for only by the new page, after it came.
      const second = requests.indexOf('/', 1);
      const newFiles = gameFiles(release.later);
      for (const [at, file] of requests.entries()) {
        if (newFiles.includes(file)) assert.ok(plays && at > second, `${file} asked for by the old page: ${requests}`);
      }
    } finally {
      release.onRequest = () => {};
      await browser.close();
    }
  });
}
