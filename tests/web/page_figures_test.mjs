// For 20 random inputs per model, every figure the page shows equals kestrix-cli --json for the same
// inputs to the last printed digit; inputs that kestrix-cli cannot compute leave the page without a
// new curve.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { launchChromium, openPage, setInputs, shownFigures } from './browser.mjs';

const CASES_PER_MODEL = 20;
const FILTERS = [['Sn.ele', ['0.05', '0.2']], ['Pb.ele', ['0.01', '0.05']], ['Water.mix', ['5', '20']], ['PMMA.mix', ['2', '10']], ['Cu.ele', ['0.1']]];

// a fixed sequence, so that a failure can be run again
let seed = 20261209;
function random() {
  seed = (seed * 1103515245 + 12345) % 2147483648;
  return seed / 2147483648;
}
const pick = (list) => list[Math.floor(random() * list.length)];
const decimal = (low, high, digits) => (low + random() * (high - low)).toFixed(digits);

function randomInputs(model) {
  const inputs = {
    model, kv: decimal(30, 300, pick([0, 1, 2])), angle: decimal(6, 45, pick([0, 1])),
    waveform: pick(['constant', '12-peak', 'single-phase']), be: decimal(0, 3, 1), 'al-eq': decimal(0, 5, 2),
    al: pick(['0', decimal(0, 4, 2)]), cu: pick(['0', '0', decimal(0, 0.5, 3)]), quantity: pick(['photon', 'exposure', 'energy']),
    distance: pick(['1000', decimal(200, 2000, 0)]), filter1: '', 'filter1-mm': '0',
  };
  if (random() < 0.35) {
    const [name, thicknesses] = pick(FILTERS);
    inputs.filter1 = name;
    inputs['filter1-mm'] = pick(thicknesses);
  }
  return inputs;
}

/** kestrix-cli's --json text for inputs, or null when it refuses them */
function cliJson(inputs) {
  const args = ['--model', inputs.model, '--kv', inputs.kv, '--angle', inputs.angle, '--waveform', inputs.waveform,
    '--be', inputs.be, '--al-eq', inputs['al-eq'], '--al', inputs.al, '--cu', inputs.cu, '--quantity', inputs.quantity,
    '--distance', inputs.distance, '--json', '--no-table'];
  if (inputs.filter1) args.push('--filter', `${inputs.filter1}:${inputs['filter1-mm']}`);
  try {
    return execFileSync(process.env.KESTRIX_CLI, args, { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
  } catch {
    return null;
  }
}

/** the number as --json prints it for key, or null for a JSON null */
function printed(json, key) {
  const match = json.match(new RegExp(`"${key}": (null|[-+0-9.eE]+)`));
  assert.ok(match, `kestrix-cli --json has no ${key}`);
  return match[1] === 'null' ? null : match[1];
}

let browser, page;
before(async () => {
  browser = await launchChromium();
  page = await openPage(browser);
});
after(async () => browser?.close());

for (const model of ['tucker', 'birch', 'physics']) {
  test(`${model}: ${CASES_PER_MODEL} random inputs show kestrix-cli's digits`, async () => {
    let compared = 0;
    for (let k = 0; k < CASES_PER_MODEL; ++k) {
      const inputs = randomInputs(model);
      const json = cliJson(inputs);
      await setInputs(page, inputs);
      const stale = await page.$eval('#status', (e) => e.classList.contains('stale'));
      const what = JSON.stringify(inputs);
      if (json === null) {
        // kestrix-cli refuses the run or has no figures for its spectrum: the page has no new curve or no figures
        const figures = Object.values(await shownFigures(page));
        assert.ok(stale || figures.filter((text) => text !== 'none').length <= 1, `kestrix-cli refuses ${what}, the page shows figures`);
        continue;
      }
      assert.ok(!stale, `the page refuses ${what}: ${await page.$eval('#status', (e) => e.textContent)}`);
      const shown = await shownFigures(page);
      const keys = Object.keys(shown);
      assert.ok(keys.length >= 13, `only ${keys.length} figures shown`);
      for (const key of keys) {
        const expected = printed(json, key);
        assert.equal(shown[key], expected ?? 'none', `${key} for ${what}`);
      }
      ++compared;
    }
    assert.ok(compared >= CASES_PER_MODEL * 0.75, `only ${compared} inputs computed`);
    assert.deepEqual(page.errors, []);
  });
}
