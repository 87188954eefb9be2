'use strict';
// Which functions of the game's WebAssembly Asyncify instruments: only
// those that can be on the stack when the game pauses. Asyncify finds the
// direct callers of a pausing import itself, but takes every indirect call
// for one that may pause, which instruments nearly everything (a third of
// the code). The game's indirect calls that may pause are few (the
// platform's backends call one another through their tables), so the
// list is worked out here from the code, by the signature an indirect call
// can reach, and the linked result is checked against it.
//
//   node asyncify-only.cjs probe ADVICE -- LINK...    runs a link that prints
//       Asyncify's advice, keeping the advice in ADVICE
//   node asyncify-only.cjs list WASM ADVICE LIST      the list for WASM (linked
//       with names, indirect calls ignored)
//   node asyncify-only.cjs check WASM ADVICE OUT     checks WASM (linked with
//       the list and names; ADVICE its link's) and writes it to OUT without
//       its names
const fs = require('node:fs');
const { execFileSync, spawnSync } = require('node:child_process');

const [mode, ...args] = process.argv.slice(2);

function fail(message) {
  console.error('asyncify-only: ' + message);
  process.exit(1);
}

// The functions of WASM as wasm-dis prints them: each one's signature,
// direct callees and the signatures it calls indirectly; imports; the table.
function readModule(wasm) {
  const text = execFileSync(process.env.WASM_DIS || 'wasm-dis', [wasm], { maxBuffer: 1 << 30, encoding: 'utf8' });
  const signature = (decl) => {
    const params = [...decl.matchAll(/\(param((?: \$\S+)? [^()]+)\)/g)]
      .flatMap(([, p]) => p.trim().split(/\s+/).filter((t) => !t.startsWith('$')));
    const results = [...decl.matchAll(/\(result ([^()]+)\)/g)].flatMap(([, r]) => r.trim().split(/\s+/));
    return params.join(',') + '->' + results.join(',');
  };
  const types = new Map();
  const funcs = new Map();
  const imports = new Set();
  let table = [];
  let current = null;
  for (const line of text.split('\n')) {
    let m;
    if ((m = /^ \(type \$(\S+) \(func(.*)\)\)$/.exec(line))) types.set(m[1], signature(m[2]));
    else if ((m = /^ \(import "[^"]*" "[^"]*" \(func \$([^\s)]+)(.*)\)\)$/.exec(line))) {
      imports.add(m[1]);
      funcs.set(m[1], { signature: signature(m[2]), calls: new Set(), indirect: new Set() });
    } else if ((m = /^ \(func \$([^\s)]+)(.*)$/.exec(line))) {
      current = { signature: signature(m[2]), calls: new Set(), indirect: new Set() };
      funcs.set(m[1], current);
    } else if ((m = /^ \(elem .*?\)(?: func)? (.*)\)$/.exec(line))) {
      table = table.concat(m[1].split(' ').map((name) => name.slice(1)));
      current = null;
    } else if (current && (m = /\(call \$([^\s)]+)/.exec(line))) current.calls.add(m[1]);
    else if (current && (m = /\(call_indirect (?:\$\S+ )?\(type \$(\S+)\)/.exec(line))) {
      if (!types.has(m[1])) fail(`${wasm}: call_indirect of an unknown type ${m[1]}`);
      current.indirect.add(types.get(m[1]));
    } else if (current && /\b(return_call|call_ref)\b/.test(line)) fail(`${wasm}: a call this list cannot follow: ${line.trim()}`);
  }
  if (funcs.size === 0) fail(`${wasm}: no functions read`);
  for (const name of table) if (!funcs.has(name)) fail(`${wasm}: the table names an unknown function ${name}`);
  for (const [name, f] of funcs) {
    for (const callee of f.calls) if (!funcs.has(callee)) fail(`${wasm}: ${name} calls an unknown function ${callee}`);
  }
  return { funcs, imports, table };
}

// Asyncify's advice: the imports that pause and, for a link with a
// list, the functions it instrumented.
function readAdvice(file) {
  const imports = new Set();
  const instrumented = new Set();
  for (const line of fs.readFileSync(file, 'utf8').split('\n')) {
    let m;
    if ((m = /^\[asyncify\] (\S+) is an import that can change the state/.exec(line))) imports.add(m[1]);
    else if ((m = /^\[asyncify\] (\S+)'s state is set based on the only-list to 1/.exec(line))) instrumented.add(m[1]);
  }
  if (imports.size === 0) fail(`${file}: no pausing import in the advice`);
  return { imports, instrumented };
}

const readable = (name) => name.replace(/\\([0-9a-f]{2})/g, (_, hex) => String.fromCharCode(parseInt(hex, 16)));
// The game's own functions, where its indirect calls are. The libraries'
// (the C library's streams, allocation, std::function) call back only
// into what never pauses: the game hands them no callback that waits.
const ours = (name) => name === 'main' || readable(name).startsWith('rf::');

// What may be on the stack at a pause: the imports that pause, their
// callers, and the game's functions whose indirect calls may reach a table
// entry that may pause (one of the same signature), and so on.
function mayPause({ funcs, table }, pausingImports) {
  const pausing = new Set([...pausingImports].filter((name) => funcs.has(name)));
  const callers = new Map();
  for (const [name, f] of funcs) for (const callee of f.calls) {
    if (!callers.has(callee)) callers.set(callee, []);
    callers.get(callee).push(name);
  }
  for (let grew = true; grew;) {
    grew = false;
    const reached = new Set(table.filter((name) => pausing.has(name)).map((name) => funcs.get(name).signature));
    const work = [...pausing];
    for (const [name, f] of funcs) {
      if (!pausing.has(name) && ours(name) && [...f.indirect].some((s) => reached.has(s))) {
        pausing.add(name);
        work.push(name);
        grew = true;
      }
    }
    while (work.length > 0) {
      for (const caller of callers.get(work.pop()) || []) {
        if (!pausing.has(caller)) { pausing.add(caller); grew = true; work.push(caller); }
      }
    }
  }
  for (const name of pausingImports) pausing.delete(name);
  return pausing;
}

// A name as the list takes it: readable; one with a character the
// compiler's driver would turn into another is cut before it, and before
// any bracket left open, with a wildcard after it (Asyncify takes one only
// at the end). Names cut alike are all instrumented, which is never wrong.
function pattern(name) {
  const whole = readable(name);
  const cut = whole.search(/[.,?#]/);
  if (cut < 0) return whole;
  const open = [];
  for (let i = 0; i < cut; ++i) {
    if ('(<['.includes(whole[i])) open.push(i);
    else if (')>]'.includes(whole[i])) open.pop();
  }
  return whole.slice(0, open.length > 0 ? open[0] : cut) + '*';
}

function list(wasm, adviceFile, out) {
  const module = readModule(wasm);
  const pausing = mayPause(module, readAdvice(adviceFile).imports);
  const names = [...new Set([...pausing].map(pattern))].sort();
  fs.writeFileSync(out, names.join('\n') + '\n');
  console.log(`asyncify-only: ${pausing.size} of ${module.funcs.size} functions may be on the stack at a pause`);
}

// The same question asked of the linked code: all that may pause must
// have been instrumented.
function check(wasm, adviceFile, out) {
  const advice = readAdvice(adviceFile);
  const missed = [...mayPause(readModule(wasm), advice.imports)].filter((name) => !advice.instrumented.has(name));
  if (missed.length > 0) fail(`${wasm}: not instrumented, but may be on the stack at a pause:\n  ` + missed.map(readable).join('\n  '));
  fs.writeFileSync(out, withoutNames(fs.readFileSync(wasm)));
}

// The module without its "name" section: the same code, smaller.
function withoutNames(bytes) {
  const leb = (at) => {
    let value = 0;
    for (let shift = 0; ; shift += 7) {
      const b = bytes[at++];
      value += (b & 0x7f) * 2 ** shift;
      if (b < 0x80) return [value, at];
    }
  };
  const kept = [bytes.subarray(0, 8)];
  for (let at = 8; at < bytes.length;) {
    const start = at;
    const id = bytes[at++];
    const [size, body] = leb(at);
    at = body + size;
    if (id === 0) {
      const [length, name] = leb(body);
      if (bytes.subarray(name, name + length).toString() === 'name') continue;
    }
    kept.push(bytes.subarray(start, at));
  }
  return Buffer.concat(kept);
}

if (mode === 'probe') {
  const [adviceFile, dashes, ...command] = args;
  if (dashes !== '--' || command.length === 0) fail('probe ADVICE -- LINK...');
  const run = spawnSync(command[0], command.slice(1), { encoding: 'utf8', maxBuffer: 1 << 30 });
  if (run.error) fail(`${command[0]}: ${run.error.message}`);
  const lines = (run.stdout + run.stderr).split('\n');
  fs.writeFileSync(adviceFile, lines.filter((l) => l.startsWith('[asyncify]')).join('\n') + '\n');
  // A pattern whose names an earlier one took is reported as matching none.
  const rest = lines.filter((l) => l.trim() !== '' && !l.startsWith('[asyncify]') &&
    !l.startsWith('warning: Asyncify onlylist contained a non-matching pattern'));
  if (rest.length > 0) console.error(rest.join('\n'));
  process.exit(run.status === null ? 1 : run.status);
} else if (mode === 'list' && args.length === 3) list(...args);
else if (mode === 'check' && args.length === 3) check(...args);
else fail('probe ADVICE -- LINK... | list WASM ADVICE LIST | check WASM ADVICE OUT');
