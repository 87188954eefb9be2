// A new release put on the server while the page is visited: whenever it
// comes (as the first visit's worker is fetched, while a tab plays, between
// two visits), the visitor is told, a reload plays it, and the cache holds
// its files alone.
'use strict';
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { launch, onField, pageDir, root, servedWithLater, test } = require('./browser.cjs');

// Update checks every two seconds at most, rather than every minute.
const kQuery = '?updates=2';

const sha256 = (bytes) => crypto.createHash('sha256').update(bytes).digest('hex');
// The files a release's worker keeps ('./' is index.html).
const keptNames = (dir) => [...fs.readFileSync(path.join(dir, 'service-worker.js'), 'utf8').matchAll(/^ {2}\['([^']+)'/gm)]
  .map((m) => m[1]);
// ...by their path, as their SHA-256.
const releaseFiles = (dir) => Object.fromEntries(keptNames(dir).map((name) => (name === './' ? ['/', 'index.html'] : [`/${name}`, name]))
  .map(([at, name]) => [at, sha256(fs.readFileSync(path.join(dir, name)))]));

// Another release made from the built one: its page says `tag` beside the
// version and names another release, its manifest differs too; its worker
// is written again by the build's own script.
function makeRelease(tag) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'ranks-release-'));
  fs.cpSync(pageDir, dir, { recursive: true });
  const change = (name, how) => {
    const file = path.join(dir, name);
    fs.writeFileSync(file, how(fs.readFileSync(file, 'utf8')));
    for (const ext of ['.gz', '.br']) fs.rmSync(file + ext, { force: true });
  };
  change('index.html', (html) => html
    .replace(/(<small id="version">[^<]*)/, `$1 ${tag}`)
    .replace(/(<meta name="release" content=")([0-9a-f]+)/,
      (_, before, id) => before + sha256(id + tag).slice(0, id.length)));
  change('manifest.webmanifest', (manifest) => `${manifest}\n`);
  const files = keptNames(dir).filter((name) => name !== './');
  execFileSync('cmake', [`-DDIR=${dir}`, `-DFILES=${files.join(';')}`, `-DTEMPLATE=${root}/cmake/service-worker.js.in`,
    `-DOUTPUT=${dir}/service-worker.js`, '-P', `${root}/cmake/ServiceWorker.cmake`]);
  return dir;
}

const release = servedWithLater(makeRelease);

const controlled = (page) => page.waitForFunction(() => navigator.serviceWorker.controller !== null);
const version = (page) => page.textContent('#version');
// What the page's caches hold, the same way.
const cachedFiles = (page) => page.evaluate(async () => {
  const files = {};
  for (const name of await caches.keys()) {
    const cache = await caches.open(name);
    for (const request of await cache.keys()) {
      const digest = await crypto.subtle.digest('SHA-256', await (await cache.match(request)).arrayBuffer());
      files[new URL(request.url).pathname] = Array.from(new Uint8Array(digest), (b) => b.toString(16).padStart(2, '0')).join('');
    }
  }
  return files;
});

const kDeployments = [
  { name: 'as the first visit fetches its worker', when: 'worker asked for' },
  { name: 'as the first visit\'s worker fills its cache: told at the next key', when: 'cache filling' },
  { name: 'while a tab is open: told at its next key', when: 'tab open' },
  { name: 'between two visits', when: 'between visits' },
];

for (const { name, when } of kDeployments) {
  test(`a new release deployed ${name}: the visitor is told, and plays it after a reload`, async () => {
    release.server.deploy(pageDir);
    const browser = await launch();
    try {
      let page = await browser.context.newPage();
      page.on('pageerror', (e) => console.error('page error:', e.message));
      let workerAsked = false;
      let deployed = false;
      release.onRequest = (file) => {
        deployed ||= (when === 'worker asked for' && file === '/service-worker.js') || (when === 'cache filling' && workerAsked);
        if (deployed) release.server.deploy(release.later);
        workerAsked ||= file === '/service-worker.js';
      };
      await page.goto(release.server.url + kQuery);
      await onField(page);
      const first = await version(page);
      if (when === 'cache filling') {
        // The old worker keeps nothing of the mixed files, and is gone.
        while (!deployed) await page.waitForTimeout(50);
        await page.waitForFunction(async () => (await navigator.serviceWorker.getRegistration()) === undefined &&
          (await caches.keys()).length === 0);
        await page.keyboard.press('ArrowLeft');
      }
      await controlled(page);
      if (when === 'tab open') {
        release.server.deploy(release.later);
        await page.keyboard.press('ArrowLeft');
      } else if (when === 'between visits') {
        await page.close();
        release.server.deploy(release.later);
        page = await browser.context.newPage();
        await page.goto(release.server.url + kQuery);
        await onField(page);
      }
      await page.waitForSelector('#update:not([hidden]) button', { timeout: 20000 });
      assert.equal(await version(page), first, 'told while the old page plays');
      await Promise.all([page.waitForEvent('load'), page.click('#update button')]);
      await onField(page);
      assert.equal(await version(page), `${first} (later)`);
      await page.waitForFunction(async () => (await caches.keys()).filter((n) => n.startsWith('ranks-')).length === 1);
      assert.deepEqual(await cachedFiles(page), releaseFiles(release.later), 'the cache holds the new release alone');
    } finally {
      release.onRequest = () => {};
      await browser.close();
    }
  });
}
