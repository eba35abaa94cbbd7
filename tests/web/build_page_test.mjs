// The page's modules bundled into one script: each in its own scope, imports bound to the exports.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { bundleModule, compressEngine } from '../../web/build_page.mjs';

test('exports are returned and imports read from the modules before', () => {
  const a = bundleModule('a', "export const one = 1;\nexport function two() { return 2; }\nconst hidden = 3;\nexport class Three {}\n");
  const b = bundleModule('b', "import { one, two as second } from './a.js';\nimport * as all from './a.js';\nexport const sum = one + second() + (all.Three ? 1 : 0);\n");
  const result = new Function(`${a}${b}return module_b;`)();
  assert.equal(result.sum, 4);
  assert.deepEqual(Object.keys(new Function(`${a}return module_a;`)()), ['one', 'two', 'Three']);
});

test('an import of anything but a page module is refused', () => {
  assert.throws(() => bundleModule('c', "import x from 'left-pad';\n"), /not of a page module/);
});

test("the engine's WebAssembly leaves its script gzip-compressed and comes back byte for byte", async () => {
  const wasm = Buffer.concat([Buffer.from([0, 0x61, 0x73, 0x6d, 1, 0, 0, 0]), Buffer.alloc(4000, 7), Buffer.from('tables')]);
  const script = `var a=1;wasmBinaryFile="data:application/octet-stream;base64,${wasm.toString('base64')}";var b=2;`;
  const packed = compressEngine(script);
  assert.equal(packed.script, 'var a=1;wasmBinaryFile="data:application/octet-stream;base64,";var b=2;');
  assert.ok(packed.gzip.length < wasm.toString('base64').length / 10);
  // as the page unpacks it
  const bytes = Uint8Array.from(atob(packed.gzip), (c) => c.charCodeAt(0));
  const unpacked = Buffer.from(await new Response(new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'))).arrayBuffer());
  assert.ok(unpacked.equals(wasm));
  assert.throws(() => compressEngine('var none;'), /0 embedded WebAssembly modules/);
});
