// The game's code and world, fetched and compiled once, and the module
// object each instance runs with: what the game calls on the page (its
// screen, its keyboard queue, its pauses, its clock, its saves).
import { placeSettings } from './choices.js';
import { narrate, speech } from './narration.js';
import { kPlayerFiles, loadInto } from './stored-games.js';
import { screen } from './screen.js';
import { focusOn, loaded, loading, showErrors } from './view.js';
import { installWorld } from './worlds.js';

const query = new URLSearchParams(location.search);
// For reproducible battles in tests: the clock stands still at this second.
const fixedClock = query.has('clock') ? Number(query.get('clock')) : null;
// For the benchmark: every pause and every wait for a key, with its time.
const timeline = query.has('timeline');

// ---- The game's code and its world, fetched and compiled once ----

// Every start (play again, another world, a replay) is a new instance of
// the same compiled module and the same world package: fetched again and
// compiled again, each left about a megabyte behind in the renderer.
let compiled = null;
let worldPackage = null;
export function loadOnce() {
  if (!compiled) {
    // The page's first line began them; a start after a failure begins again.
    const early = window.ranksEarly || {};
    window.ranksEarly = null;
    compiled = (early.code || window.ranksFetchCode()).then(({ compiling, counted, total }) => {
      // A failed fetch is reported through the compiler.
      count(counted, total, compiling).catch(() => {});
      return compiling;
    });
    worldPackage = early.world || window.ranksFetchWorld();
  }
  // Tried again at the next start after a failure.
  return Promise.all([compiled, worldPackage]).catch((error) => {
    compiled = worldPackage = null;
    throw error;
  });
}

// The loading bar counts the bytes as they arrive, beside the compiler: the
// game waits for the compiled code only, not for the count (whose reads
// queue behind the page's other work: 50-90 ms later on a first visit).
async function count(counted, total, compiling) {
  const reader = counted.getReader();
  compiling.then(() => reader.cancel(), () => reader.cancel());
  for (let got = 0; ;) {
    const { done, value } = await reader.read();
    if (done) break;
    got += value.length;
    loading(got, total);
  }
}

// The module object the game's code runs with: what it calls on the page.
export function gameModule(session, code, world, { args, isCurrent: current, knowSave, persist, ended, titled, waited }) {
  const module = {
    arguments: args,
    preRun: [() => prepareFiles(session, module)],
    instantiateWasm: (imports, receive) => {
      WebAssembly.instantiate(code, imports).then((instance) => receive(instance, code));
      return {};
    },
    getPreloadedPackage: () => world,
    print: (line) => console.log(line),
    printErr: (line) => {
      console.warn(line);
      if (current()) reportError(session, line + '\n');
    },
    onAbort: (what) => {
      if (!current()) return;
      reportError(session, 'The game stopped unexpectedly: ' + what + '\n');
      ended(session, 'crash');
    },
    ranksRow: (y, text, cells) => {
      if (!current()) return;
      screen.setRow(y, text, cells);
      loaded();
    },
    ranksCursor: (x, y) => { if (current()) screen.setCursor(x, y); },
    ranksTakeInput: (into) => {
      if (!session.saveKnown && current()) knowSave(session);
      return takeInput(session, into);
    },
    ranksWaitInput: (timeoutMs) => {
      waited();
      return waitInput(session, timeoutMs, persist);
    },
    // A game that refuses to start (a save it cannot resume, a recording
    // of a world not open) returns before it ever pauses or waits.
    postRun: [() => { if (current() && !session.suspended && session.ended === null) ended(session, 'refused'); }],
    ranksSleep: (ms) => sleep(session, ms),
    ranksPausing: timeline ? (ms) => session.timeline.push([ms, performance.now()]) : null,
    ranksClockSeconds: () => fixedClock !== null ? fixedClock : Math.floor(Date.now() / 1000),
    ranksPrinted: (error, text) => {
      if (!error) { console.log(text); return; }
      if (current()) reportError(session, text);
    },
    ranksSaveRequested: false,
    ranksSaved: () => {
      const written = persist(session);
      if (session.onSaved) session.onSaved(written);
      session.onSaved = null;
    },
    ranksNarrate: (what) => { if (current()) narrate(what); },
    ranksSpeech: speech,
    ranksFocus: (x, y) => { if (current()) focusOn(x, y); },
    ranksTitle: (title) => { if (current()) titled(session, title); },
    ranksEnded: (status) => { if (current()) ended(session, status); },
    ranksReplaced: false,
  };
  return module;
}

function reportError(session, text) {
  session.errors += text;
  showErrors(session.errors);
}

// The chosen world in the game's file system before it starts, and the
// player's files: before it starts too when it continues a save or plays
// a recording; a new game starts and draws its field while they are
// copied in, and waits for them before it writes its save
// (ranksPlayerFiles).
function prepareFiles(session, module) {
  const FS = module.FS;
  const copied = loadInto(FS).then((stamps) => {
    session.before = new Set(FS.readdir(kPlayerFiles).filter((n) => n.endsWith('.save')));
    session.stamps = stamps;
  });
  module.ranksPlayerFiles = () => {
    session.suspended = true;
    return copied;
  };
  if (session.how.resume || session.how.replay) {
    module.addRunDependency('player-files');
    copied.then(() => module.removeRunDependency('player-files'));
  }
  installWorld(FS);
  placeSettings(FS);
}

function takeInput(session, into) {
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
}

function waitInput(session, timeoutMs, persist) {
  return new Promise((resolve) => {
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
  });
}

function sleep(session, ms) {
  return new Promise((resolve) => {
    session.suspended = true;
    const done = () => {
      session.interrupt = null;
      clearTimeout(timer);
      resolve();
    };
    const timer = setTimeout(done, ms);
    session.interrupt = done;
  });
}
