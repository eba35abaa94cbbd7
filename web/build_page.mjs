// Assembles the one-file page: node build_page.mjs <page folder> <kestrix_wasm.js> <uPlot dist folder> <kestrix.html>
// The page's ES modules become one module script (each module in its own scope, imports bound to
// the exports of the modules before it); uPlot and its styles are inlined as they are, the engine's
// script too but for its WebAssembly, which goes in gzip-compressed (see compressEngine).
import { readFileSync, writeFileSync, renameSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync, gunzipSync } from 'node:zlib';

const [pageFolder, engineFile, uplotFolder, outFile] = process.argv.slice(2);
const MODULES = ['texts', 'engine', 'inputs', 'figures', 'plot', 'state', 'main'];

/** module source as a scope that returns its exports; imports read from earlier scopes */
export function bundleModule(name, source) {
  const exported = [];
  const body = source.split('\n').map((line) => {
    const imported = line.match(/^import\s+(.+?)\s+from\s+'\.\/(\w+)\.js';\s*$/);
    if (imported) {
      const [, what, from] = imported;
      const star = what.match(/^\*\s+as\s+(\w+)$/);
      return star ? `const ${star[1]} = module_${from};` : `const ${what.replace(/\s+as\s+/g, ': ')} = module_${from};`;
    }
    if (/^import\s/.test(line)) throw new Error(`${name}.js: an import that is not of a page module: ${line}`);
    const declared = line.match(/^export\s+(?:async\s+)?(?:function\*?|const|let|class)\s+(\w+)/);
    if (declared) {
      exported.push(declared[1]);
      return line.replace(/^export\s+/, '');
    }
    return line;
  });
  return `const module_${name} = (() => {\n${body.join('\n')}\nreturn { ${exported.join(', ')} };\n})();\n`;
}

const WASM_URI = /data:application\/octet-stream;base64,([A-Za-z0-9+/=]+)/g;

/**
 * The engine script (emscripten's SINGLE_FILE output) with its WebAssembly taken out: {script, gzip}.
 * The module holds the libraries and the delivered data (the physics model's tables as doubles),
 * which base64 alone carries at 4/3 of their size; gzip's level 9 first makes the page about a third
 * smaller. The page unpacks it with the browser's own DecompressionStream and hands the bytes to
 * the factory as Module.wasmBinary, which emscripten takes instead of its data URI (left empty, so
 * that it never fetches). The bytes are the same, so is every number.
 */
export function compressEngine(script) {
  const found = [...script.matchAll(WASM_URI)];
  if (found.length !== 1) throw new Error(`the engine script has ${found.length} embedded WebAssembly modules, not one`);
  const wasm = Buffer.from(found[0][1], 'base64');
  const gzip = gzipSync(wasm, { level: 9 });
  if (!gunzipSync(gzip).equals(wasm)) throw new Error('the compressed engine does not give its bytes back');
  return { script: script.replace(WASM_URI, 'data:application/octet-stream;base64,'), gzip: gzip.toString('base64') };
}

/** text safe inside a <script> element */
function scriptText(text) { return text.replace(/<\/(script)/gi, '<\\/$1').replace(/<!--/g, '<\\!--'); }

function fill(template, parts) {
  let page = template;
  for (const [marker, text] of Object.entries(parts)) {
    if (!page.includes(marker)) throw new Error(`the page has no ${marker}`);
    page = page.split(marker).join(text);
  }
  return page;
}

if (outFile) {
  const read = (path) => readFileSync(path, 'utf8');
  const modules = MODULES.map((m) => bundleModule(m, read(join(pageFolder, `${m}.js`)))).join('\n');
  const engine = compressEngine(read(engineFile));
  const page = fill(read(join(pageFolder, 'kestrix.html')), {
    '/*UPLOT_CSS*/': read(join(uplotFolder, 'uPlot.min.css')),
    '/*PAGE_CSS*/': read(join(pageFolder, 'style.css')),
    '/*UPLOT_JS*/': scriptText(read(join(uplotFolder, 'uPlot.iife.min.js'))),
    '/*ENGINE_JS*/': scriptText(engine.script),
    '/*ENGINE_WASM_GZIP*/': engine.gzip,
    '/*PAGE_JS*/': scriptText(modules),
  });
  writeFileSync(`${outFile}.part`, page);
  renameSync(`${outFile}.part`, outFile);
  console.log(`${outFile}: ${(page.length / 1024 / 1024).toFixed(2)} MB`);
}
