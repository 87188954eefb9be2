// The page around the game: the terminal widget sized to the window, the
// keyboard queue the game reads (and the on-screen keys of a touch screen),
// one game instance at a time (a new one for every start), the world
// folder picker, and the player's games kept in the browser.
(function () {
  'use strict';

  const kDataFolders = ['Hero_Info', 'Enemy_Info', 'Abilities', 'map_form', 'map_info', 'mini_map'];
  // The game's data folder for the player (saves, recordings), kept in the
  // IndexedDB database of that name as Emscripten's IDBFS keeps a folder:
  // one record per file in the store below, keyed by the file's path. The
  // page reads and writes it itself, file by file: IDBFS would write the
  // whole folder at every fsync, taking away what another tab or an upload
  // put there meanwhile.
  const kPlayerFiles = '/home/web_user/.local/share/ranks-and-files';
  const kStore = 'FILE_DATA';
  const kStoreVersion = 21;
  // An opened world folder lives at /worlds/NAME while it is played; the
  // saves name that path, and their world-digest tells two folders of the
  // same name apart.
  const kWorlds = '/worlds';
  const params = new URLSearchParams(location.search);
  // For reproducible battles in tests: the clock stands still at this second.
  const fixedClock = params.has('clock') ? Number(params.get('clock')) : null;
  // For the benchmark: every pause and every wait for a key, with its time.
  const timeline = params.has('timeline');
  const touch = navigator.maxTouchPoints > 0 || matchMedia('(pointer: coarse)').matches;
  // The console's own look (highlights in bright white, not marked): the
  // switch on the page, remembered, or ?look=console.
  let consoleLook = params.get('look') === 'console' || localStorage.getItem('ranks-look') === 'console';

  const $ = (id) => document.getElementById(id);

  // A console font gives cells of 1:2 (MS Gothic, Osaka); elsewhere DejaVu
  // Sans Mono's cells are near 1:2 and the Japanese glyphs come from the
  // CJK font, two cells each (a CJK font first would make cells of 1:3).
  const kFonts = "'MS Gothic', 'Osaka-Mono', 'DejaVu Sans Mono', 'Noto Sans Mono CJK JP', 'Noto Sans CJK JP', monospace";
  const term = new Terminal({
    cols: 80,
    rows: 25,
    fontFamily: kFonts,
    fontSize: 16,
    lineHeight: 1.0,
    scrollback: 0,
    cursorBlink: false,
    cursorStyle: 'underline',
    theme: { background: '#000000', foreground: '#c0c0c0', cursor: '#c0c0c0' },
  });
  term.open($('terminal'));
  // Drawn on a canvas, every glyph sits on the cell grid (the default
  // renderer lets a row with the cursor in it drift by a cell).
  term.loadAddon(new CanvasAddon.CanvasAddon());
  term.textarea.setAttribute('aria-label', 'The game: keys go to it, Tab leaves it');
  // The screen's text reaches a screen reader through the live region.
  term.element.querySelector('.xterm-screen').setAttribute('aria-hidden', 'true');
  // A touch screen's own keyboard would cover the game: the keys are on the page.
  if (touch) term.textarea.setAttribute('inputmode', 'none');
  // Tab leaves the game for the page; the browser's own keys (reload, close)
  // stay the browser's.
  term.attachCustomKeyEventHandler((e) => {
    if (e.key === 'Tab' || e.key === 'F5') return false;
    if ((e.ctrlKey || e.metaKey) && /^[rRwW]$/.test(e.key)) return false;
    return true;
  });

  const encoder = new TextEncoder();
  let game = null;  // the running instance's page side
  let userWorld = null;  // {name, path, files: [{path, data}]} of the chosen folder, or null
  let starts = 0;
  let startToken = 0;

  // ---- The terminal's size: the largest whole-pixel font that fits ----

  function screenSize() {
    const s = term.element.querySelector('.xterm-screen');
    return [s.offsetWidth, s.offsetHeight];
  }

  function fit() {
    const box = $('screen');
    const frame = 14;  // the terminal's padding and border
    const gap = 8;
    // On a touch screen held sideways the keys stand beside the screen.
    const beside = touch && landscape();
    const keys = $('touch');
    const width = $('play').clientWidth - frame - (beside ? keys.offsetWidth + gap : 0);
    const strip = parseFloat(getComputedStyle($('strip')).minHeight);
    const height = window.innerHeight - $('top').offsetHeight - strip - (touch && !beside ? keys.offsetHeight + gap : 0) -
      frame - 3 * gap;
    const fits = (size) => {
      if (term.options.fontSize !== size) term.options.fontSize = size;
      const [w, h] = screenSize();
      return w <= width && h <= height;
    };
    // Cells grow about in proportion to the font: a guess from the size now,
    // then a step or two (each change of size redraws the terminal).
    const [w0, h0] = screenSize();
    let size = Math.max(6, Math.floor(term.options.fontSize * Math.min(width / w0, height / h0)));
    while (size > 6 && !fits(size)) --size;
    while (size < 48 && fits(size + 1)) ++size;
    fits(size);
    // Below the smallest font the whole screen is scaled down, never cut.
    const [w, h] = screenSize();
    const scale = Math.min(1, width / w, height / h);
    $('terminal').style.transform = scale < 1 ? `scale(${scale})` : '';
    box.style.width = Math.floor(w * scale + frame) + 'px';
    box.style.height = Math.floor(h * scale + frame) + 'px';
  }
  const landscape = () => window.innerWidth > window.innerHeight;
  let fitTimer = null;
  window.addEventListener('resize', () => {
    clearTimeout(fitTimer);
    fitTimer = setTimeout(fit, 50);
  });

  // ---- The player's files in IndexedDB ----

  let database = null;  // the open connection, once opened
  function openStore() {
    if (database) return Promise.resolve(database);
    return new Promise((resolve, reject) => {
      const request = indexedDB.open(kPlayerFiles, kStoreVersion);
      // As IDBFS made it for the pages before this one.
      request.onupgradeneeded = () => {
        if (!request.result.objectStoreNames.contains(kStore)) {
          request.result.createObjectStore(kStore).createIndex('timestamp', 'timestamp', { unique: false });
        }
      };
      request.onsuccess = () => { database = request.result; resolve(database); };
      request.onerror = () => reject(request.error);
    });
  }
  const transactionDone = (tx) => new Promise((resolve, reject) => {
    tx.oncomplete = resolve;
    tx.onerror = tx.onabort = () => reject(tx.error);
  });

  // Every plain file of the folder: [{name, path, data, time}].
  async function storedFiles() {
    const db = await openStore();
    const tx = db.transaction([kStore], 'readonly');
    const files = [];
    tx.objectStore(kStore).openCursor().onsuccess = (event) => {
      const cursor = event.target.result;
      if (!cursor) return;
      const v = cursor.value;
      if (v.contents && cursor.key.startsWith(kPlayerFiles + '/')) {
        files.push({ name: cursor.key.slice(kPlayerFiles.length + 1), path: cursor.key, data: v.contents, time: v.timestamp });
      }
      cursor.continue();
    };
    await transactionDone(tx);
    return files;
  }

  async function storeFile(name, data) {
    const db = await openStore();
    const tx = db.transaction([kStore], 'readwrite');
    // 0100644: a plain file.
    tx.objectStore(kStore).put({ timestamp: new Date(), mode: 0o100644, contents: data }, kPlayerFiles + '/' + name);
    await transactionDone(tx);
    filesChanged();
  }

  async function deleteFiles(names) {
    const db = await openStore();
    const tx = db.transaction([kStore], 'readwrite');
    for (const name of names) tx.objectStore(kStore).delete(kPlayerFiles + '/' + name);
    await transactionDone(tx);
    filesChanged();
  }

  // Writes the files this game changed since it last did. Only those: a
  // whole-folder sync would take away what another tab wrote meanwhile.
  // The requests go out before this returns, so a page being closed
  // still gets them written.
  function persist(session) {
    const FS = session.module.FS;
    if (!database || !session.stamps || !FS) return Promise.resolve();
    const changed = [];
    for (const name of FS.readdir(kPlayerFiles)) {
      // A game's lock file (.NAME.lock) means nothing to another tab: the
      // page locks the games it plays itself.
      if (name.startsWith('.')) continue;
      const path = kPlayerFiles + '/' + name;
      const stat = FS.stat(path);
      if (!FS.isFile(stat.mode)) continue;
      const stamp = stat.mtime.getTime() + ':' + stat.size;
      if (session.stamps.get(name) === stamp) continue;
      session.stamps.set(name, stamp);
      changed.push([path, { timestamp: stat.mtime, mode: stat.mode, contents: FS.readFile(path) }]);
    }
    if (changed.length === 0) return session.persisting || Promise.resolve();
    const tx = database.transaction([kStore], 'readwrite');
    for (const [path, record] of changed) tx.objectStore(kStore).put(record, path);
    const saves = changed.some(([path]) => path.endsWith('.save'));
    session.persisting = transactionDone(tx).then(() => { if (saves) filesChanged(); },
      (error) => console.warn('saved games could not be written:', error));
    return session.persisting;
  }

  // The fields of a save that the list shows, and its world.
  function readSave(data) {
    const fields = {};
    for (const line of new TextDecoder().decode(data).split('\n')) {
      const space = line.indexOf(' ');
      if (space > 0 && !(line.slice(0, space) in fields)) fields[line.slice(0, space)] = line.slice(space + 1);
    }
    return fields;
  }
  const isSave = (data) => new TextDecoder('latin1').decode(data.subarray(0, 22)) === 'ranks-and-files save 1';
  const worldLabel = (world) => world === 'default' ? 'default world' : (world || '?').split(/[\\/]/).filter(Boolean).pop() || world;

  // ---- The game's code and its world, fetched and compiled once ----

  // Every start (play again, another world, a replay) is a new instance of
  // the same compiled module and the same world package: fetched again and
  // compiled again, each left about a megabyte behind in the renderer.
  let compiled = null;
  let worldPackage = null;
  function loadOnce() {
    if (!compiled) {
      compiled = fetch('ranks.wasm').then(async (response) => {
        if (!response.ok) throw new Error('ranks.wasm: ' + response.status);
        // Compiled as it arrives, and counted for the progress bar: against
        // the size when it is the file's own (not a compressed copy's).
        const total = response.headers.get('content-encoding') ? 0 : Number(response.headers.get('content-length'));
        const [code, counted] = response.body.tee();
        const compiling = WebAssembly.compileStreaming(new Response(code, { headers: { 'Content-Type': 'application/wasm' } }));
        const reader = counted.getReader();
        for (let got = 0; ;) {
          const { done, value } = await reader.read();
          if (done) break;
          got += value.length;
          loading(got, total);
        }
        return compiling;
      });
      worldPackage = fetch('ranks.data').then((r) => r.arrayBuffer());
    }
    return Promise.all([compiled, worldPackage]);
  }

  // ---- One game, one writer: a save played in a tab is locked there ----

  const lockName = (saveName) => 'ranks-save:' + saveName;
  // Resolves to the lock's release, or null when another tab holds it.
  function takeLock(session, saveName) {
    if (!navigator.locks) return Promise.resolve(() => {});
    return new Promise((resolve) => {
      session.lockDone = navigator.locks.request(lockName(saveName), { ifAvailable: true }, (lock) => {
        if (!lock) { resolve(null); return null; }
        return new Promise((release) => {
          session.release = release;
          resolve(release);
        });
      });
    });
  }
  async function heldElsewhere(saveName) {
    if (!navigator.locks) return false;
    if (game && game.saveName === saveName && game.release) return false;
    const { held } = await navigator.locks.query();
    return held.some((lock) => lock.name === lockName(saveName));
  }
  async function releaseLock(session) {
    if (!session.release) return;
    session.release();
    session.release = null;
    await session.lockDone;
  }

  // ---- One run of the game: its keyboard queue and its end ----

  function Session(how) {
    this.how = how;
    this.input = [];  // Uint8Array chunks not yet taken
    this.wake = null;
    this.waiting = false;
    this.waits = 0;
    this.ended = null;
    this.errors = '';
    this.timeline = [];
  }
  Session.prototype.push = function (bytes) {
    this.input.push(bytes);
    // What a key changes is saved as the game next looks at the keyboard:
    // a page closed at any moment loses nothing.
    if (this.module) this.module.ranksSaveRequested = true;
    if (this.wake) this.wake();
  };

  function showErrors(text) {
    $('errors').textContent = text;
    $('errors').hidden = text === '';
  }
  function showStatus(text) {
    $('status').textContent = text;
    $('status').hidden = text === '';
  }

  // The game's save is known once the game has written it (a new game saves
  // as it starts, before it first looks at the keyboard): from then on it
  // is locked to this tab, and Continue offers the most recent save of the
  // same world made before.
  function knowSave(session) {
    if (session.how.replay || !session.before) return;
    const FS = session.module.FS;
    let own = session.how.resume ? session.how.resume.split('/').pop() : null;
    if (!own) own = FS.readdir(kPlayerFiles).find((n) => n.endsWith('.save') && !session.before.has(n)) || null;
    if (!own) return;
    const mine = readSave(FS.readFile(kPlayerFiles + '/' + own));
    if (!mine['world-digest']) return;
    session.saveKnown = true;
    session.saveName = own;
    takeLock(session, own);
    // Written out at once: another tab now sees this game as the latest.
    persist(session);
    refreshGames();
    let best = null;
    for (const name of session.before) {
      if (!name.endsWith('.save') || name === own) continue;
      const path = kPlayerFiles + '/' + name;
      const fields = readSave(FS.readFile(path));
      if (fields.world !== mine.world || fields['world-digest'] !== mine['world-digest']) continue;
      // The file's time: the saved line has whole seconds only.
      const time = FS.stat(path).mtime.getTime();
      if (!best || time > best.time) best = { path, time };
    }
    session.resumable = best ? best.path : null;
    $('continue').hidden = best === null;
  }

  // Has the running game save as quitting would, and write it out: at once
  // when it waits for a key, else as it next looks at the keyboard.
  // Resolves once the save is asked for and written (or after a second).
  function saveNow() {
    const session = game;
    if (!session || session.ended !== null || !session.saveKnown) return Promise.resolve();
    session.module.ranksSaveRequested = true;
    if (session.wake) session.wake();
    if (session.interrupt) session.interrupt();
    return new Promise((resolve) => {
      session.onSaved = resolve;
      setTimeout(resolve, 1000);
    });
  }

  async function retire(session) {
    await saveNow();
    session.module.ranksReplaced = true;
    if (session.wake) session.wake();
    if (session.interrupt) session.interrupt();
    if (session.ended === null) session.ended = 'replaced';
    await persist(session);
    await releaseLock(session);
  }

  function worldArguments() { return userWorld ? ['--world', userWorld.path] : []; }

  // Starts a game: a new one, {resume: path} or {replay: path, speed}.
  async function start(how = {}) {
    const token = ++startToken;
    if (how.resume) {
      const name = how.resume.split('/').pop();
      if (await heldElsewhere(name)) {
        offerCopy(name);
        return;
      }
    }
    if (game) await retire(game);
    if (token !== startToken) return;
    await openStore().catch((error) => console.warn('saved games cannot be kept:', error));
    let code;
    let world;
    try {
      [code, world] = await loadOnce();
    } catch (error) {
      compiled = null;
      showErrors('The game could not be loaded (' + error.message + '); reload the page to try again.');
      return;
    }
    if (token !== startToken) return;
    const session = new Session(how);
    game = session;
    ++starts;
    const current = () => game === session;
    term.reset();
    term.write('\x1b[?25l');
    showErrors('');
    showStatus(how.replay ? 'Watching ' + how.replay.split('/').pop() + ' (Space pauses, Ctrl+C stops).' : '');
    $('continue').hidden = true;
    $('ended').hidden = true;
    narrate(null);
    if (!touch) term.focus();

    let args = how.replay ? ['--replay', how.replay].concat(how.speed ? ['--speed', how.speed] : []) : worldArguments();
    if (how.resume) args = args.concat(['--continue', how.resume]);
    const module = {
      arguments: args.concat(consoleLook ? ['--look', 'console'] : []),
      preRun: [function () {
        const FS = module.FS;
        FS.mkdirTree(kPlayerFiles);
        module.addRunDependency('player-files');
        storedFiles().catch((error) => {
          console.warn('saved games could not be read:', error);
          return [];
        }).then((files) => {
          for (const file of files) {
            FS.writeFile(file.path, file.data);
            const time = file.time.getTime();
            FS.utime(file.path, time, time);
          }
          session.before = new Set(FS.readdir(kPlayerFiles).filter((n) => n.endsWith('.save')));
          session.stamps = new Map();
          for (const name of FS.readdir(kPlayerFiles)) {
            const stat = FS.stat(kPlayerFiles + '/' + name);
            if (FS.isFile(stat.mode)) session.stamps.set(name, stat.mtime.getTime() + ':' + stat.size);
          }
          module.removeRunDependency('player-files');
        });
        if (!userWorld) return;
        for (const file of userWorld.files) {
          const path = userWorld.path + '/' + file.path;
          FS.mkdirTree(path.substring(0, path.lastIndexOf('/')));
          FS.writeFile(path, file.data);
        }
      }],
      instantiateWasm: (imports, receive) => {
        WebAssembly.instantiate(code, imports).then((instance) => receive(instance, code));
        return {};
      },
      getPreloadedPackage: () => world,
      print: (line) => console.log(line),
      printErr: (line) => {
        console.warn(line);
        if (current()) { session.errors += line + '\n'; showErrors(session.errors); }
      },
      onAbort: (what) => {
        if (!current()) return;
        session.errors += 'The game stopped unexpectedly: ' + what + '\n';
        showErrors(session.errors);
        ended(session, 'crash');
      },
      ranksWrite: (bytes) => {
        if (!current()) return;
        term.write(bytes);
        if (!$('loading').hidden) $('loading').hidden = true;
      },
      ranksTakeInput: (into) => {
        if (!session.saveKnown && current()) knowSave(session);
        let n = 0;
        while (session.input.length > 0 && n < into.length) {
          const chunk = session.input[0];
          const take = Math.min(chunk.length, into.length - n);
          into.set(chunk.subarray(0, take), n);
          n += take;
          if (take === chunk.length) session.input.shift();
          else session.input[0] = chunk.subarray(take);
        }
        return n;
      },
      ranksWaitInput: (timeoutMs) => new Promise((resolve) => {
        let timer = null;
        const done = () => {
          session.wake = null;
          session.waiting = false;
          if (timer !== null) clearTimeout(timer);
          resolve();
        };
        session.suspended = true;
        if (session.input.length > 0) { resolve(); return; }
        session.waiting = true;
        session.waits++;
        if (timeline) session.timeline.push(['wait', performance.now()]);
        // A game that waits for a key may just have saved.
        persist(session);
        session.wake = done;
        if (timeoutMs >= 0) timer = setTimeout(done, timeoutMs);
      }),
      // A game that refuses to start (a save it cannot resume, a recording
      // of a world not open) returns before it ever pauses or waits.
      postRun: [() => { if (current() && !session.suspended && session.ended === null) ended(session, 'refused'); }],
      ranksSleep: (ms) => new Promise((resolve) => {
        session.suspended = true;
        const done = () => {
          session.interrupt = null;
          clearTimeout(timer);
          resolve();
        };
        const timer = setTimeout(done, ms);
        session.interrupt = done;
      }),
      ranksPausing: timeline ? (ms) => session.timeline.push([ms, performance.now()]) : null,
      ranksClockSeconds: () => fixedClock !== null ? fixedClock : Math.floor(Date.now() / 1000),
      ranksPrinted: (error, text) => {
        if (!error) { console.log(text); return; }
        if (!current()) return;
        session.errors += text;
        showErrors(session.errors);
      },
      ranksSaveRequested: false,
      ranksSaved: () => {
        const written = persist(session);
        if (session.onSaved) session.onSaved(written);
        session.onSaved = null;
      },
      ranksNarrate: (what) => { if (current()) narrate(what); },
      ranksEnded: (status) => { if (current()) ended(session, status); },
      ranksReplaced: false,
    };
    session.module = module;
    RanksGame(module);
  }

  function ended(session, status) {
    session.ended = status;
    session.waiting = false;
    persist(session).then(() => releaseLock(session)).then(refreshGames);
    let text = session.how.replay ? 'The recording has ended.' : 'The game has ended.';
    if (status === 'refused') text = session.how.replay ? 'The recording cannot be watched here.' : 'The game could not start.';
    if (session.errors !== '') text += ' It reported what is shown above.';
    if (/recorded on another world/.test(session.errors)) text += ' Open the world it was played on, then watch it again.';
    $('ended-text').textContent = text;
    $('ended').hidden = false;
    $('again').focus();
  }

  // ---- What a screen reader is told ----

  function narrate(what) {
    const region = $('narration');
    if (!what) { region.textContent = ''; return; }
    if (what.message !== undefined) {
      region.lang = 'ja';
      region.textContent = what.message.trim();
    } else {
      region.lang = 'en';
      region.textContent = `Map ${what.map}, level ${what.level}, HP ${what.hp}.`;
    }
  }

  // ---- Loading ----

  // The game's code as it arrives: of `total` bytes, or of a size not known.
  function loading(got, total) {
    const kb = (n) => Math.round(n / 1024);
    if (total > 0) {
      $('loading-bar').value = got / total;
      $('loading-text').textContent = `Loading the game… ${kb(got)} of ${kb(total)} KB`;
    } else {
      $('loading-text').textContent = `Loading the game… ${kb(got)} KB`;
    }
  }

  // ---- Keys ----

  term.onData((data) => { if (game && game.ended === null) game.push(encoder.encode(data)); });
  term.onBinary((data) => {
    if (!game || game.ended !== null) return;
    const bytes = new Uint8Array(data.length);
    for (let i = 0; i < data.length; ++i) bytes[i] = data.charCodeAt(i) & 0xFF;
    game.push(bytes);
  });

  // The on-screen keys send what a terminal sends for them.
  const kTouchKeys = { up: '\x1b[A', down: '\x1b[B', right: '\x1b[C', left: '\x1b[D', enter: '\r', space: ' ', quit: '\x03' };
  $('touch').hidden = !touch;
  $('touch').addEventListener('click', (event) => {
    const button = event.target.closest('button');
    if (!button || !game || game.ended !== null) return;
    game.push(encoder.encode(kTouchKeys[button.dataset.key]));
  });

  $('again').addEventListener('click', () => start());
  // A change of look goes on with the same game: saved, then continued.
  $('console-look').checked = consoleLook;
  $('console-look').addEventListener('change', (event) => {
    consoleLook = event.target.checked;
    localStorage.setItem('ranks-look', consoleLook ? 'console' : 'marked');
    if (game && game.ended === null && game.saveKnown && !game.how.replay) start({ resume: kPlayerFiles + '/' + game.saveName });
  });
  $('continue').addEventListener('click', () => { if (game.resumable) continueSave(game.resumable); });

  // A save names its world: the default one is played as such, any other
  // with the world now open (the game warns when its files differ).
  function continueSave(path) {
    const FS = game && game.module.FS;
    const fields = FS && FS.analyzePath(path).exists ? readSave(FS.readFile(path)) : null;
    if (fields && fields.world === 'default' && userWorld) chooseWorld(null);
    start({ resume: path });
  }

  // ---- Worlds ----

  // A chosen folder: the world is where the data folders are, whether the
  // folder itself or one inside it was picked.
  async function readWorld(files) {
    const world = [];
    for (const file of files) {
      const parts = (file.webkitRelativePath || file.name).split('/');
      const at = parts.findIndex((p) => kDataFolders.includes(p));
      if (at < 0) continue;
      world.push({ path: parts.slice(at).join('/'), data: new Uint8Array(await file.arrayBuffer()) });
    }
    return world;
  }

  function chooseWorld(world) {
    userWorld = world;
    $('world-name').textContent = world ? 'Playing the world in ' + world.name + '.' : 'Playing the default world.';
    $('default-world').hidden = !world;
  }

  $('open-world').addEventListener('click', () => $('world-input').click());
  $('world-input').addEventListener('change', async (event) => {
    const files = Array.from(event.target.files);
    event.target.value = '';
    if (files.length === 0) return;
    const world = await readWorld(files);
    const folder = (files[0].webkitRelativePath || '').split('/')[0] || 'the chosen folder';
    if (world.length === 0) {
      showStatus(folder + ' holds none of the data folders (' + kDataFolders.join(', ') +
        '); the game goes on with the world it has.');
      term.focus();
      return;
    }
    // Its name as a path: what a file name cannot hold becomes '_'.
    const safe = folder.replace(/[^A-Za-z0-9._-]/g, '_').replace(/^\.+/, '_') || 'world';
    chooseWorld({ name: folder, path: kWorlds + '/' + safe, files: world });
    start();
  });
  $('default-world').addEventListener('click', () => {
    chooseWorld(null);
    start();
  });

  // ---- Your games: the saves and recordings kept in this browser ----

  function download(name, data) {
    const url = URL.createObjectURL(new Blob([data], { type: 'application/octet-stream' }));
    const a = document.createElement('a');
    a.href = url;
    a.download = name;
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 1000);
  }

  function button(label, action, name) {
    const b = document.createElement('button');
    b.type = 'button';
    b.textContent = label;
    if (name) b.setAttribute('aria-label', name);
    b.addEventListener('click', action);
    return b;
  }

  // game-X.save, and its recordings game-X.rec, game-X.2.rec ...
  const stemOf = (name) => name.replace(/(\.\d+)?\.rec$/, '').replace(/\.save$/, '');

  async function refreshGames() {
    let files;
    try { files = await storedFiles(); } catch (error) { return; }
    const games = new Map();
    for (const file of files) {
      if (!/\.(save|rec)$/.test(file.name)) continue;
      const stem = stemOf(file.name);
      if (!games.has(stem)) games.set(stem, { stem, save: null, recordings: [] });
      const entry = games.get(stem);
      if (file.name.endsWith('.save')) entry.save = file;
      else if (file.name.endsWith('.rec')) entry.recordings.push(file);
    }
    const list = Array.from(games.values()).map((g) => {
      g.fields = g.save ? readSave(g.save.data) : {};
      const file = g.save || g.recordings[0];
      g.time = file.time.getTime();
      // A save says when in UTC to the second; else the file's own time.
      g.when = g.fields.saved ? g.fields.saved.replace(/:\d\d UTC$/, ' UTC')
        : file.time.toISOString().slice(0, 16).replace('T', ' ') + ' UTC';
      g.recordings.sort((a, b) => a.name.localeCompare(b.name, 'en', { numeric: true }));
      return g;
    }).sort((a, b) => b.time - a.time);
    const body = document.querySelector('#games-list tbody');
    body.textContent = '';
    for (const g of list) {
      const row = body.insertRow();
      const title = g.save ? g.save.name : g.stem;
      row.insertCell().textContent = g.save ? worldLabel(g.fields.world) : '';
      row.insertCell().textContent = g.fields.level || '';
      row.insertCell().textContent = g.fields.map || '';
      row.insertCell().textContent = g.when;
      const actions = row.insertCell();
      if (g.save && game && game.saveName === g.save.name && game.ended === null) {
        actions.textContent = 'Playing now';
      } else if (g.save) {
        actions.append(
          button('Continue', () => continueSave(g.save.path), 'Continue ' + title),
          button('Download', () => download(g.save.name, g.save.data), 'Download ' + title),
          button('Delete', () => deleteGame(g), 'Delete ' + title));
      }
      const recs = row.insertCell();
      for (const rec of g.recordings) {
        const part = document.createElement('span');
        part.className = 'recording';
        // game-X.rec is the first part played, game-X.2.rec the second ...
        part.append('Part ' + (/\.(\d+)\.rec$/.exec(rec.name.slice(g.stem.length)) || [0, 1])[1] + ': ',
          button('Watch', () => start({ replay: rec.path }), 'Watch ' + rec.name),
          button('4x', () => start({ replay: rec.path, speed: '4' }), 'Watch ' + rec.name + ' four times as fast'),
          button('End', () => start({ replay: rec.path, speed: 'max' }), 'Show the end of ' + rec.name),
          button('Download', () => download(rec.name, rec.data), 'Download ' + rec.name));
        recs.append(part);
      }
    }
    $('games-list').hidden = list.length === 0;
    $('games-empty').hidden = list.length !== 0;
  }

  async function deleteGame(g) {
    if (g.save && await heldElsewhere(g.save.name) || (game && game.saveName === (g.save && g.save.name) && game.ended === null)) {
      $('games-status').textContent = g.save.name + ' is being played; it cannot be deleted now.';
      return;
    }
    await deleteFiles([...(g.save ? [g.save.name] : []), ...g.recordings.map((r) => r.name)]);
    $('games-status').textContent = 'Deleted ' + (g.save ? g.save.name : g.stem) + '.';
  }

  // A save open in another tab is refused there; a copy of it can be played.
  function offerCopy(name) {
    showStatus(name + ' is open in another tab.');
    const copy = button('Play a copy here', async () => {
      copy.remove();
      const files = await storedFiles();
      const file = files.find((f) => f.name === name);
      if (!file) return;
      const copyName = freeName(files, name.replace(/\.save$/, '') + '-copy', '.save');
      await storeFile(copyName, file.data);
      start({ resume: kPlayerFiles + '/' + copyName });
    });
    $('status').append(' ', copy);
  }

  function freeName(files, stem, extension) {
    const taken = new Set(files.map((f) => f.name));
    for (let n = 1; ; ++n) {
      const name = stem + (n === 1 ? '' : '-' + n) + extension;
      if (!taken.has(name) && !taken.has(name.replace(/\.save$/, '.rec'))) return name;
    }
  }

  $('upload').addEventListener('click', () => $('upload-input').click());
  $('upload-input').addEventListener('change', async (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    if (!file) return;
    const data = new Uint8Array(await file.arrayBuffer());
    const save = isSave(data);
    const recording = /\.rec$/.test(file.name);
    if (!save && !recording) {
      $('games-status').textContent = file.name + ' is neither a saved game nor a recording of this game.';
      return;
    }
    const base = file.name.replace(/[^A-Za-z0-9._-]/g, '_').replace(/(\.\d+)?\.(save|rec)$/, '') || 'uploaded';
    const name = freeName(await storedFiles(), base, save ? '.save' : '.rec');
    await storeFile(name, data);
    $('games-status').textContent = 'Added ' + name + '.';
  });

  // Other tabs add and remove games too.
  const channel = 'BroadcastChannel' in window ? new BroadcastChannel('ranks-files') : null;
  function filesChanged() {
    if (channel) channel.postMessage('changed');
    refreshGames();
  }
  if (channel) channel.onmessage = () => refreshGames();

  // ---- Never lose a game: save when the page may go away ----

  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') saveNow();
  });
  window.addEventListener('pagehide', saveNow);
  window.addEventListener('beforeunload', (event) => {
    if (!game || game.ended !== null || !game.saveKnown) return;
    saveNow();
    event.preventDefault();
    event.returnValue = '';
  });

  // A game on a field with enemies about never waits long: its files are
  // also written out every two seconds.
  setInterval(() => { if (game && game.ended === null) persist(game); }, 2000);

  // Clicks outside the buttons give the keyboard back to the game.
  document.addEventListener('click', (event) => {
    if (!touch && !event.target.closest('button, a, input, table#games-list')) term.focus();
  });

  // A box drawn for every Japanese glyph when no font has them.
  function japaneseFontMissing() {
    const canvas = document.createElement('canvas');
    canvas.width = canvas.height = 40;
    const g = canvas.getContext('2d');
    const draw = (text) => {
      g.clearRect(0, 0, 40, 40);
      g.font = '32px ' + kFonts;
      g.fillText(text, 0, 32);
      return g.getImageData(0, 0, 40, 40).data.join(',');
    };
    return draw('移') === draw('\u0378');
  }
  setTimeout(() => { $('font-notice').hidden = !japaneseFontMissing(); }, 1000);

  // For tests and benchmarks.
  window.ranks = {
    // The 25 rows as shown: a wide glyph once, the cell after a one-cell
    // glyph of the console's two as a blank.
    screenText: () => {
      const buffer = term.buffer.active;
      const rows = [];
      for (let y = 0; y < 25; ++y) {
        const line = buffer.getLine(buffer.viewportY + y);
        rows.push(line ? line.translateToString(false) : '');
      }
      return rows;
    },
    // Resolves once the terminal has drawn everything written so far.
    flushed: () => new Promise((resolve) => term.write('', resolve)),
    // How many games the page has started (a world opened, play again).
    starts: () => starts,
    // Resolves once the player's files are in IndexedDB.
    persisted: () => persist(game),
    // Resolves once the list of games shows what is stored.
    listed: () => refreshGames(),
    waiting: () => game !== null && game.waiting,
    waits: () => (game ? game.waits : 0),
    ended: () => (game ? game.ended : null),
    errors: () => (game ? game.errors : ''),
    // Pauses [ms, time] and key waits ['wait', time] so far (with ?timeline).
    timeline: () => (game ? game.timeline : []),
    terminal: term,
  };

  // The game's code is fetched from the start, alongside the rest.
  loadOnce().catch(() => {});
  fit();
  start();
  refreshGames();
})();
