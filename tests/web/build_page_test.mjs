// The page's modules bundled into one script: each in its own scope, imports bound to the exports.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { bundleModule } from '../../web/build_page.mjs';

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
