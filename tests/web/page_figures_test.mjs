// For 20 random inputs per model, every figure the page shows equals kestrix-cli --json for the same
// inputs to the last printed digit (the physics model with its target, lines and off-axis points,
// every model off the central ray); inputs that kestrix-cli cannot compute leave the page without a
// new curve.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { launchBrowser, openPage, setInputs, shownFigures } from './browser.mjs';

const CASES_PER_MODEL = 20;
const FILTERS = [['Sn.ele', ['0.05', '0.2']], ['Pb.ele', ['0.01', '0.05']], ['Water.mix', ['5', '20']], ['PMMA.mix', ['2', '10']], ['Cu.ele', ['0.1']]];
// the filters of a mammography tube (Mo, Rh)
const SOFT_FILTERS = [['Mo.ele', ['0.03', '0.032']], ['Ag.ele', ['0.025']], ['PMMA.mix', ['10', '45']], ['Al.ele', ['0.5']]];

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
  // a point off the central ray for every model; a few behind the target surface, which both refuse
  inputs['off-axis'] = '0';
  inputs['off-axis-across'] = '0';
  if (random() < 0.35) {
    inputs['off-axis'] = decimal(-30, 30, pick([0, 1]));
    inputs['off-axis-across'] = pick(['0', decimal(-40, 40, 1)]);
  }
  // the physics model's tube: its target (Mo and Rh from 20 to 50 kV, a few above) and its lines
  inputs.target = 'W';
  inputs['no-lines'] = false;
  if (model === 'physics') {
    inputs.target = pick(['W', 'Mo', 'Rh', 'Mo', 'Rh']);
    inputs['no-lines'] = random() < 0.3;
    if (inputs.target !== 'W') {
      Object.assign(inputs, { kv: decimal(20, 56, pick([0, 1])), be: decimal(0, 1, 1), 'al-eq': pick(['0', decimal(0, 0.5, 2)]),
        al: pick(['0', decimal(0, 0.5, 2)]), cu: '0' });
    }
  }
  if (random() < 0.35) {
    const [name, thicknesses] = pick(inputs.target === 'W' ? FILTERS : SOFT_FILTERS);
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
  args.push(`--off-axis=${inputs['off-axis']},${inputs['off-axis-across']}`);
  if (inputs.model === 'physics') args.push('--target', inputs.target);
  if (inputs['no-lines']) args.push('--no-lines');
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
  browser = await launchBrowser();
  page = await openPage(browser);
});
after(async () => browser?.close());

for (const model of ['tucker', 'birch', 'physics']) {
  test(`${model}: ${CASES_PER_MODEL} random inputs show kestrix-cli's digits`, async () => {
    let compared = 0;
    const seen = new Set();  // what the computed inputs covered
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
      // the curve's name says what kestrix-cli computed
      const parsed = JSON.parse(json).inputs;
      const label = await page.$eval('#curves li[data-curve="current"] .label', (e) => e.textContent);
      assert.equal(label.includes(`${parsed.target} target`), parsed.target !== 'W' || !parsed.characteristic_lines, label);
      assert.equal(label.includes('no lines'), !parsed.characteristic_lines, label);
      assert.equal(label.includes('off axis'), parsed.off_axis_deg.some((a) => a !== 0), label);
      seen.add(parsed.target);
      if (!parsed.characteristic_lines) seen.add('no lines');
      if (parsed.off_axis_deg.some((a) => a !== 0)) seen.add('off axis');
      ++compared;
    }
    assert.ok(compared >= CASES_PER_MODEL * 0.75, `only ${compared} inputs computed`);
    const covered = model === 'physics' ? ['W', 'Mo', 'Rh', 'no lines', 'off axis'] : ['W', 'off axis'];
    assert.deepEqual(covered.filter((c) => !seen.has(c)), [], `the computed inputs cover ${covered.join(', ')}`);
    assert.deepEqual(page.errors, []);
  });
}

test('tungsten at 450 kV: kestrix-cli\'s figures, no engine figures, the curve to 450 keV', async () => {
  const inputs = {
    model: 'physics', target: 'W', 'no-lines': false, kv: '450', angle: '20', waveform: 'constant', be: '0', 'al-eq': '0',
    al: '0', cu: '0', quantity: 'photon', distance: '1000', filter1: 'Sn.ele', 'filter1-mm': '3', 'off-axis': '0', 'off-axis-across': '0',
  };
  const json = cliJson(inputs);
  assert.ok(json, 'kestrix-cli computes 450 kV');
  await setInputs(page, inputs);
  assert.equal(await page.$eval('#status', (e) => e.classList.contains('stale')), false);
  const shown = await shownFigures(page);
  for (const key of Object.keys(shown)) assert.equal(shown[key], printed(json, key) ?? 'none', key);
  assert.equal(shown.hvl_al_mm, 'none', 'the engine figures need the exchange files, which end at 300 keV');
  assert.notEqual(shown.hvl1_al_mm, 'none');
  const energies = await page.evaluate(() => Array.from(window.kestrix.plot.chart.data[0]));
  assert.equal(energies.at(-1), 450);
  assert.deepEqual(page.errors, []);
});

test('a Mo/Mo quality sets the target and its figures equal kestrix-cli --quality', async () => {
  await setInputs(page, { model: 'physics', target: 'W', 'no-lines': false, 'off-axis': '0', 'off-axis-across': '0', kv: '30',
    angle: '20', waveform: 'constant', be: '1', 'al-eq': '0', al: '0', cu: '0', quantity: 'photon', distance: '1000', filter1: '' });
  await page.select('select[name="quality"]', 'RQR-M2');
  assert.equal(await page.$eval('select[name="quality"]', (e) => e.selectedOptions[0].textContent), 'RQR-M2 (IEC 61267, 28 kV, Mo)');
  await page.click('button[name="set-quality"]');
  assert.equal(await page.$eval('select[name="target"]', (e) => e.value), 'Mo');
  assert.equal(await page.$eval('input[name="kv"]', (e) => e.value), '28');
  assert.equal(await page.$eval('select[name="filter1"]', (e) => e.value), 'Mo.ele');
  const json = execFileSync(process.env.KESTRIX_CLI, ['--model', 'physics', '--quality', 'RQR-M2', '--be', '1', '--al-eq', '0', '--json', '--no-table'],
    { encoding: 'utf8' });
  assert.equal(JSON.parse(json).inputs.target, 'Mo');
  const shown = await shownFigures(page);
  // (the figures after the fit's own target and reached layer)
  const results = json.slice(json.indexOf('"results"'));
  for (const key of Object.keys(shown)) assert.equal(shown[key], printed(results, key) ?? 'none', key);
  assert.match(await page.$eval('#curves li[data-curve="current"] .label', (e) => e.textContent), /28 kV, 20°, Mo target/);
  // a formula model has no Mo tube: the quality is refused with the library's reason and nothing changes
  await setInputs(page, { model: 'tucker', target: 'W', kv: '100', filter1: '' });
  const before = await shownFigures(page);
  await page.click('button[name="set-quality"]');
  assert.match(await page.$eval('.reason[data-for="quality"]', (e) => e.textContent), /tungsten target only/);
  assert.equal(await page.$eval('input[name="kv"]', (e) => e.value), '100');
  assert.deepEqual(await shownFigures(page), before);
  // a tungsten quality after it sets the target back
  await setInputs(page, { model: 'physics', target: 'Mo', kv: '28' });
  await page.select('select[name="quality"]', 'N-100');
  await page.click('button[name="set-quality"]');
  assert.equal(await page.$eval('select[name="target"]', (e) => e.value), 'W');
  assert.equal(await page.$eval('input[name="kv"]', (e) => e.value), '100');
  assert.deepEqual(page.errors, []);
});

test("a quality's published figures are shown only while the inputs are those it set", async () => {
  await setInputs(page, { model: 'tucker', target: 'W', kv: '100', angle: '20', waveform: 'constant', be: '1', 'al-eq': '2.5',
    al: '0', cu: '0', filter1: '' });
  await page.select('select[name="quality"]', 'RQR5');
  await page.click('button[name="set-quality"]');
  const keys = () => page.$$eval('#quality-deviations dd', (list) => list.map((e) => e.dataset.key));
  const note = () => page.$eval('#quality-deviations', (e) => e.querySelector('p.note')?.textContent ?? '');
  assert.ok((await keys()).includes('hvl1_al_mm'));
  assert.equal(await note(), '');
  const qualityNote = () => page.$eval('#quality-note', (e) => e.textContent);
  const compared = await qualityNote();
  assert.match(compared, /RQR5/);
  // another thickness: the curve is no longer the quality's beam
  const al = await page.$eval('input[name="al"]', (e) => e.value);
  await setInputs(page, { al: String(Number(al) + 1) });
  assert.deepEqual(await keys(), []);
  assert.match(await note(), /inputs changed after the quality RQR5 was set/);
  const described = await qualityNote();
  assert.ok(compared.startsWith(described) && described.length < compared.length, 'the note keeps the description only');
  // the plotted quantity changes no figure: still compared
  await setInputs(page, { al });
  await setInputs(page, { quantity: 'energy' });
  assert.ok((await keys()).includes('hvl1_al_mm'));
  await setInputs(page, { quantity: 'photon' });
  assert.deepEqual(page.errors, []);
});

/** kestrix-cli's message for inputs it refuses (exit status 2), or null when it computes them */
function cliRefusal(args) {
  try {
    execFileSync(process.env.KESTRIX_CLI, [...args, '--json', '--no-table'], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
    return null;
  } catch (error) {
    assert.equal(error.status, 2, String(error.stderr));
    return String(error.stderr).split('\n')[0];
  }
}

test("what kestrix-cli refuses the page refuses in place, the range named in either language, the last curve kept", async () => {
  const base = { model: 'physics', target: 'Mo', 'no-lines': false, kv: '30', angle: '20', 'off-axis': '0', 'off-axis-across': '0',
    waveform: 'constant', be: '1', 'al-eq': '0', al: '0', cu: '0', quantity: 'photon', distance: '1000', filter1: '' };
  const cases = [
    [{ kv: '60' }, ['--target', 'Mo', '--kv', '60'], 'kv', /20 to 50 kV/, /20 to 50 kV with a Mo target/, /Mo ターゲットでは 20～50 kV/],
    [{ target: 'Rh', kv: '19' }, ['--target', 'Rh', '--kv', '19'], 'kv', /20 to 50 kV for Rh/, /20 to 50 kV with a Rh target/, /Rh ターゲットでは 20～50 kV/],
    [{ 'off-axis': '61' }, ['--target', 'Mo', '--kv', '30', '--off-axis', '61'], 'off-axis', /between -60 and 60/, /between -60 and 60/, /-60～60 度/],
    [{ 'off-axis-across': '-65' }, ['--target', 'Mo', '--kv', '30', '--off-axis=0,-65'], 'off-axis-across', /between -60 and 60/, /between -60 and 60/, /-60～60 度/],
    [{ 'off-axis': '-21' }, ['--target', 'Mo', '--kv', '30', '--off-axis=-21'], 'off-axis', /behind the target surface/, /behind the target surface/, /裏側/],
  ];
  for (const language of ['en', 'ja']) {
    await page.select('select[name="lang"]', language);
    await setInputs(page, base);
    const figures = await shownFigures(page);
    const curve = await page.evaluate(() => Array.from(window.kestrix.page.current.outcome.spectrum));
    for (const [values, args, name, cliReason, english, japanese] of cases) {
      assert.match(cliRefusal(['--model', 'physics', ...args]) ?? 'computed', cliReason, args.join(' '));
      await setInputs(page, values);
      const shown = await page.evaluate((n) => ({
        invalid: [...document.querySelectorAll('#inputs .invalid')].map((e) => e.name),
        reason: document.querySelector(`.reason[data-for="${n}"]`).textContent,
        stale: document.getElementById('status').classList.contains('stale'),
        curve: Array.from(window.kestrix.page.current.outcome.spectrum),
      }), name);
      assert.deepEqual(shown.invalid, [name], JSON.stringify(values));
      assert.match(shown.reason, language === 'en' ? english : japanese);
      assert.ok(shown.stale);
      assert.deepEqual(shown.curve, curve, 'the last valid curve stays');
      assert.deepEqual(await shownFigures(page), figures);
      await setInputs(page, base);
    }
  }
  await page.select('select[name="lang"]', 'en');
  assert.deepEqual(page.errors, []);
});
