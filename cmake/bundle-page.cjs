// Writes the page as one file: its style sheet, the game's JavaScript and
// page.js with every module it imports, inline in index.html. A first
// visit then asks the server for three files (the page, the game's code,
// its world) instead of seventeen, and the code and world are asked for
// first. The page names its release: a hash of itself and of the other
// files of the release (RELEASE_FILES), which the service worker tells an
// open page of an older release. The game's WebAssembly (CODE) and world
// (WORLD) go beside it named after their contents (ranks-HASH.wasm), and
// the page asks for those names: a page of one release never gets
// another's, whatever copy of the page a browser or server keeps. The
// files fetched only when asked for (LATER: the painter's code and
// JavaScript, joined with ';') go beside them the same way
// (painter-HASH.js), named so where the page's modules ask for them. Older
// copies of them all in the folder (any name) are removed.
//   node bundle-page.cjs INDEX_HTML PAGE_FOLDERS RANKS_JS OUTPUT CODE WORLD LATER [RELEASE_FILES...]
// PAGE_FOLDERS: the page's own, then any the build writes modules into
// (the languages from po/), joined as PATH is.
// The modules are joined, without their comments, in the order they would run, in one scope: an
// import names what another module declares, as it is. What that needs is
// checked, and the build stops otherwise: imports by their own name only,
// and no top-level name declared in two modules.
'use strict';
const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');
const acorn = require('acorn');

const [indexFile, folderList, ranksJs, output, code, world, later, ...releaseFiles] = process.argv.slice(2);
const [folder, ...madeFolders] = folderList.split(path.delimiter);
function fail(message) {
  console.error('bundle-page: ' + message);
  process.exit(1);
}

// The module's text with its imports and export keywords taken out, and
// the names it declares at its top level.
function strip(name, text) {
  let ast;
  const comments = [];
  try {
    ast = acorn.parse(text, { ecmaVersion: 'latest', sourceType: 'module', onComment: comments });
  } catch (error) {
    fail(`${name}: ${error.message}`);
  }
  const cuts = [];
  const imports = [];
  const declared = [];
  const declare = (pattern) => {
    if (pattern.type === 'Identifier') declared.push(pattern.name);
    else if (pattern.type === 'ObjectPattern') pattern.properties.forEach((p) => declare(p.value || p.argument));
    else if (pattern.type === 'ArrayPattern') pattern.elements.filter(Boolean).forEach(declare);
    else if (pattern.type === 'AssignmentPattern') declare(pattern.left);
    else if (pattern.type === 'RestElement') declare(pattern.argument);
  };
  for (const node of ast.body) {
    const declaration = node.type === 'ExportNamedDeclaration' ? node.declaration : node;
    if (node.type === 'ImportDeclaration') {
      if (!node.source.value.startsWith('./')) fail(`${name}: imports ${node.source.value}, not one of the page's modules`);
      for (const s of node.specifiers) {
        if (s.type !== 'ImportSpecifier' || s.imported.name !== s.local.name) {
          fail(`${name}: imports from ${node.source.value} other than by the name it exports`);
        }
      }
      imports.push(node.source.value.slice(2));
      cuts.push([node.start, node.end]);
    } else if (node.type === 'ExportNamedDeclaration' && !node.declaration) {
      // export { name }: the name is already in the one scope.
      if (node.source || node.specifiers.some((s) => s.exported.name !== s.local.name)) fail(`${name}: re-exports other than by name`);
      cuts.push([node.start, node.end]);
    } else if (node.type === 'ExportDefaultDeclaration' || node.type === 'ExportAllDeclaration') {
      fail(`${name}: ${node.type} cannot be joined`);
    } else if (node.type === 'ExportNamedDeclaration') {
      cuts.push([node.start, node.declaration.start]);
    }
    if (declaration && declaration.type === 'VariableDeclaration') declaration.declarations.forEach((d) => declare(d.id));
    if (declaration && (declaration.type === 'FunctionDeclaration' || declaration.type === 'ClassDeclaration')) {
      declared.push(declaration.id.name);
    }
  }
  // Comments are for the source, not sent: each goes as the blank that
  // keeps its tokens apart and its line ends where they were.
  for (const c of comments) cuts.push([c.start, c.end, c.type === 'Block' && /\n/.test(c.value) ? '\n' : ' ']);
  cuts.sort((a, b) => a[0] - b[0]);
  let kept = '';
  let at = 0;
  for (const [start, end, by = ''] of cuts) {
    if (start < at) continue;
    kept += text.slice(at, start) + by;
    at = end;
  }
  kept += text.slice(at);
  return { text: kept, imports, declared };
}

// Each module after the ones it imports, as a browser evaluates them.
const modules = new Map();
const order = [];
function visit(name, from) {
  if (modules.has(name)) {
    if (!order.includes(name)) fail(`${name} and ${from} import each other`);
    return;
  }
  const file = [folder, ...madeFolders].map((f) => path.join(f, name)).find((f) => fs.existsSync(f));
  if (!file) fail(`${from} imports ${name}, which is not there`);
  const module = strip(name, fs.readFileSync(file, 'utf8'));
  modules.set(name, module);
  for (const imported of module.imports) visit(imported, name);
  order.push(name);
}
visit('page.js', 'index.html');

const owner = new Map();
for (const name of order) {
  for (const declared of modules.get(name).declared) {
    if (owner.has(declared)) fail(`${declared} is declared in both ${owner.get(declared)} and ${name}`);
    owner.set(declared, name);
  }
}

// Inline, "</script" would end the element: "<\/script" means the same in
// a string, a template, a regular expression or a comment.
const inline = (text, name) => {
  if (text.includes('<!--')) fail(`${name} holds "<!--", which an inline script cannot`);
  return text.replace(/<\/(script)/gi, '<\\/$1');
};
const bundle = order.map((name) => `// ==== ${name}\n${modules.get(name).text.trim()}\n`).join('');

let page = fs.readFileSync(indexFile, 'utf8');
const replace = (pattern, by, what) => {
  if (!pattern.test(page)) fail(`index.html has no ${what}`);
  page = page.replace(pattern, () => by);
};
replace(/<!-- The build puts these inline[^>]*-->\n/, '', 'note on the inline parts');
replace(/<link rel="stylesheet" href="page\.css">/, `<style>\n${fs.readFileSync(path.join(folder, 'page.css'), 'utf8')}</style>`,
  'page.css link');
replace(/<script defer src="ranks\.js"><\/script>\n/, '', 'ranks.js script');
replace(/<script type="module" src="page\.js"><\/script>\n/, '', 'page.js script');
// At the body's end: the game's code runs as the page's modules would
// have, once the page is parsed.
replace(/<\/body>/, `<script>\n${inline(fs.readFileSync(ranksJs, 'utf8'), 'ranks.js')}</script>\n` +
  `<script type="module">\n${inline(bundle, 'the modules')}</script>\n</body>`, 'body end');

// The game's files under their contents' names, as the page asks for them.
const outFolder = path.dirname(output);
// The page's stem for the game's own (ranks.wasm), the file's for the others.
const named = [code, world, ...later.split(';').filter(Boolean)].map((file, i) => {
  const bytes = fs.readFileSync(file);
  const ext = path.extname(file);
  const stem = i < 2 ? 'ranks' : path.basename(file, ext);
  const name = `${stem}-${crypto.createHash('sha256').update(bytes).digest('hex').slice(0, 16)}${ext}`;
  replace(new RegExp(`'${stem}\\${ext}'`, 'g'), `'${name}'`, `'${stem}${ext}'`);
  return { name, bytes };
});
for (const old of fs.readdirSync(outFolder)) {
  if (/^(ranks|painter)(-[0-9a-f]{16})?\.(wasm|data|js)(\.gz|\.br)?$/.test(old)) fs.rmSync(path.join(outFolder, old));
}
for (const { name, bytes } of named) fs.writeFileSync(path.join(outFolder, name), bytes);

const release = crypto.createHash('sha256').update(page);
for (const { bytes } of named) release.update(bytes);
for (const file of releaseFiles) release.update(fs.readFileSync(file));
replace(/<meta charset="utf-8">\n/, `<meta charset="utf-8">\n<meta name="release" content="${release.digest('hex').slice(0, 16)}">\n`,
  'charset');
fs.writeFileSync(output, page);
