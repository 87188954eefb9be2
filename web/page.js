// The page around the game: the terminal widget, the keyboard queue the
// game reads, one game instance at a time (a new one for every start), and
// the world folder picker.
(function () {
  'use strict';

  const kDataFolders = ['Hero_Info', 'Enemy_Info', 'Abilities', 'map_form', 'map_info', 'mini_map'];
  const kUserWorld = '/user-world';
  // The game's data folder for the player (saved games), kept in IndexedDB.
  const kPlayerFiles = '/home/web_user/.local/share/ranks-and-files';
  const kDefaultWorld = '/game/world';
  const params = new URLSearchParams(location.search);
  // For reproducible battles in tests: the clock stands still at this second.
  const fixedClock = params.has('clock') ? Number(params.get('clock')) : null;
  // For the benchmark: every pause and every wait for a key, with its time.
  const timeline = params.has('timeline');
  // ?look=console: highlights in the console's own bright white, not reversed.
  const consoleLook = params.get('look') === 'console';

  const $ = (id) => document.getElementById(id);

  // Japanese fonts whose full-width glyphs are exactly two half-width cells
  // come first; xterm.js gives every wide character two cells in any case.
  const term = new Terminal({
    cols: 80,
    rows: 25,
    fontFamily: "'Noto Sans Mono CJK JP', 'MS Gothic', 'Osaka-Mono', 'DejaVu Sans Mono', 'Menlo', 'Consolas', monospace",
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

  const encoder = new TextEncoder();
  let game = null;  // the running instance's page side
  let userWorld = null;  // [{path, data}] of the chosen folder, or null
  let starts = 0;

  // One run of the game: its keyboard queue and its end.
  function Session() {
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
    if (this.wake) this.wake();
  };

  function showErrors(text) {
    $('errors').textContent = text;
    $('errors').hidden = text === '';
  }

  // The most recently written saved game of a world, or null.
  function newestSave(FS, world) {
    let best = null;
    let bestTime = -1;
    for (const name of FS.readdir(kPlayerFiles)) {
      if (!name.endsWith('.save')) continue;
      const path = kPlayerFiles + '/' + name;
      const text = new TextDecoder('latin1').decode(FS.readFile(path));
      if (!text.split('\n').includes('world ' + world)) continue;
      const time = FS.stat(path).mtime.getTime();
      if (time > bestTime) { best = path; bestTime = time; }
    }
    return best;
  }

  // Writes the player's files to IndexedDB (one write at a time, and once
  // more if asked again meanwhile).
  function persist(session) {
    if (session.syncing) { session.syncAgain = true; return; }
    session.syncing = true;
    session.module.FS.syncfs(false, () => {
      session.syncing = false;
      if (session.syncAgain) { session.syncAgain = false; persist(session); }
    });
  }

  function start(resume) {
    if (game) {
      // The old game stops at its next pause or wait.
      game.module.ranksReplaced = true;
      if (game.wake) game.wake();
      if (game.ended === null) game.ended = 'replaced';
    }
    const session = new Session();
    game = session;
    ++starts;
    const current = () => game === session;
    term.reset();
    term.write('\x1b[?25l');
    showErrors('');
    $('continue').hidden = true;
    $('ended').hidden = true;
    $('status').hidden = true;
    term.focus();

    const module = {
      arguments: (userWorld ? ['--world', kUserWorld] : []).concat(resume ? ['--continue', resume] : [])
        .concat(consoleLook ? ['--look', 'console'] : []),
      preRun: [function () {
        const FS = module.FS;
        FS.mkdirTree(kPlayerFiles);
        FS.mount(FS.filesystems.IDBFS, {}, kPlayerFiles);
        module.addRunDependency('player-files');
        FS.syncfs(true, (error) => {
          if (error) console.warn('saved games could not be read:', error);
          // The game this one would continue: the most recent save of this
          // world made before it started (a new game saves at once, and
          // would otherwise be the most recent itself).
          session.resumable = newestSave(FS, userWorld ? kUserWorld : kDefaultWorld);
          $('continue').hidden = session.resumable === null;
          module.removeRunDependency('player-files');
        });
        if (!userWorld) return;
        for (const file of userWorld) {
          const path = kUserWorld + '/' + file.path;
          module.FS.mkdirTree(path.substring(0, path.lastIndexOf('/')));
          module.FS.writeFile(path, file.data);
        }
      }],
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
      ranksWrite: (bytes) => { if (current()) term.write(bytes); },
      ranksTakeInput: (into) => {
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
        if (session.input.length > 0) { resolve(); return; }
        session.waiting = true;
        session.waits++;
        if (timeline) session.timeline.push(['wait', performance.now()]);
        // A game that waits for a key may just have saved.
        persist(session);
        session.wake = done;
        if (timeoutMs >= 0) timer = setTimeout(done, timeoutMs);
      }),
      ranksPausing: timeline ? (ms) => session.timeline.push([ms, performance.now()]) : null,
      ranksClockSeconds: () => fixedClock !== null ? fixedClock : Math.floor(Date.now() / 1000),
      ranksPrinted: (error, text) => {
        if (!error) { console.log(text); return; }
        if (!current()) return;
        session.errors += text;
        showErrors(session.errors);
      },
      ranksEnded: (status) => { if (current()) ended(session, status); },
      ranksReplaced: false,
    };
    session.module = module;
    RanksGame(module);
  }

  function ended(session, status) {
    session.ended = status;
    persist(session);
    session.waiting = false;
    let text = 'The game has ended.';
    if (session.errors !== '') text += ' It reported what is shown above.';
    $('ended-text').textContent = text;
    $('ended').hidden = false;
    $('again').focus();
  }

  term.onData((data) => { if (game && game.ended === null) game.push(encoder.encode(data)); });
  term.onBinary((data) => {
    if (!game || game.ended !== null) return;
    const bytes = new Uint8Array(data.length);
    for (let i = 0; i < data.length; ++i) bytes[i] = data.charCodeAt(i) & 0xFF;
    game.push(bytes);
  });

  $('again').addEventListener('click', () => start());
  $('continue').addEventListener('click', () => { if (game.resumable) start(game.resumable); });

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

  $('open-world').addEventListener('click', () => $('world-input').click());
  $('world-input').addEventListener('change', async (event) => {
    const files = Array.from(event.target.files);
    event.target.value = '';
    if (files.length === 0) return;
    const world = await readWorld(files);
    const folder = (files[0].webkitRelativePath || '').split('/')[0] || 'the chosen folder';
    if (world.length === 0) {
      $('status').textContent = folder + ' holds none of the data folders (' + kDataFolders.join(', ') +
        '); the game goes on with the world it has.';
      $('status').hidden = false;
      term.focus();
      return;
    }
    userWorld = world;
    $('world-name').textContent = 'Playing the world in ' + folder + '.';
    $('default-world').hidden = false;
    start();
  });
  $('default-world').addEventListener('click', () => {
    userWorld = null;
    $('world-name').textContent = 'Playing the default world.';
    $('default-world').hidden = true;
    start();
  });

  // Clicks outside the buttons give the keyboard back to the game.
  document.addEventListener('click', (event) => {
    if (!(event.target instanceof HTMLButtonElement)) term.focus();
  });

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
    persisted: () => new Promise((resolve) => {
      const check = () => (game.syncing || game.syncAgain ? setTimeout(check, 20) : resolve());
      persist(game);
      check();
    }),
    waiting: () => game !== null && game.waiting,
    waits: () => (game ? game.waits : 0),
    ended: () => (game ? game.ended : null),
    errors: () => (game ? game.errors : ''),
    // Pauses [ms, time] and key waits ['wait', time] so far (with ?timeline).
    timeline: () => (game ? game.timeline : []),
    terminal: term,
  };

  start();
})();
