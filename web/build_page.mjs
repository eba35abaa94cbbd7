// Assembles the one-file page: node build_page.mjs <page folder> <kestrix_wasm.js> <uPlot dist folder> <kestrix.html>
// The page's ES modules become one module script (each module in its own scope, imports bound to
// the exports of the modules before it); uPlot, its styles and the engine are inlined as they are.
import { readFileSync, writeFileSync, renameSync } from 'node:fs';
import { join } from 'node:path';

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
  const page = fill(read(join(pageFolder, 'kestrix.html')), {
    '/*UPLOT_CSS*/': read(join(uplotFolder, 'uPlot.min.css')),
    '/*PAGE_CSS*/': read(join(pageFolder, 'style.css')),
    '/*UPLOT_JS*/': scriptText(read(join(uplotFolder, 'uPlot.iife.min.js'))),
    '/*ENGINE_JS*/': scriptText(read(engineFile)),
    '/*PAGE_JS*/': scriptText(modules),
  });
  writeFileSync(`${outFile}.part`, page);
  renameSync(`${outFile}.part`, outFile);
  console.log(`${outFile}: ${(page.length / 1024 / 1024).toFixed(2)} MB`);
}
