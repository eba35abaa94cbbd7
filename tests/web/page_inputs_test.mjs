// Bad input is marked in place with the reason in the chosen language and never loses the plot;
// the user's own material files (UTF-8 or Shift_JIS description), a standard quality and a
// filtration fitted to a measured layer fill the inputs.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { launchBrowser, openPage, setInputs, shownFigures } from './browser.mjs';

const TEST_DATA = join(import.meta.dirname ?? new URL('.', import.meta.url).pathname, '..', 'data');

let browser, page;
before(async () => {
  browser = await launchBrowser();
  page = await openPage(browser);
});
after(async () => browser?.close());

const marks = () => page.evaluate(() => ({
  invalid: [...document.querySelectorAll('#inputs .invalid')].map((e) => e.name),
  reasons: Object.fromEntries([...document.querySelectorAll('#inputs .reason')].filter((e) => e.textContent).map((e) => [e.dataset.for, e.textContent])),
  stale: document.getElementById('status').classList.contains('stale'),
  pinDisabled: document.querySelector('button[name="pin"]').disabled,
  curve: Array.from(window.kestrix.plot.chart.data.at(-1).slice(0, 400)),
}));

test('each bad input is marked with its reason; the last valid curve and figures stay, marked as such', async () => {
  await setInputs(page, { model: 'tucker', kv: '120', angle: '20', be: '1', 'al-eq': '2', al: '1', cu: '0', distance: '1000' });
  const good = await marks();
  const figures = await shownFigures(page);
  assert.deepEqual(good.invalid, []);
  assert.equal(good.stale, false);
  const cases = [
    [{ kv: '12abc' }, 'kv', /"12abc" is not a number/],
    [{ kv: '' }, 'kv', /"" is not a number/],
    [{ kv: '1e999' }, 'kv', /not a number/],
    [{ kv: '301' }, 'kv', /30 to 300 kV/],
    [{ kv: '29.9' }, 'kv', /30 to 300 kV/],
    [{ angle: '0' }, 'angle', /above 0 and at most 90/],
    [{ angle: '95' }, 'angle', /above 0 and at most 90/],
    [{ angle: 'nan' }, 'angle', /not a number/],
    [{ be: '-0.5' }, 'be', /negative/],
    [{ 'al-eq': '-1' }, 'al-eq', /negative/],
    [{ al: '1,5' }, 'al', /not a number/],
    [{ cu: '-0.1' }, 'cu', /negative/],
    [{ filter1: 'Sn.ele', 'filter1-mm': '-0.2' }, 'filter1-mm', /negative/],
    [{ model: 'physics', distance: '0' }, 'distance', /positive/],
    [{ model: 'physics', distance: '1 m' }, 'distance', /not a number/],
    // the range of the model with its target, as kestrix-cli refuses it
    [{ model: 'physics', target: 'Mo', kv: '60' }, 'kv', /The Physics model computes 20 to 50 kV with a Mo target/],
    [{ model: 'physics', target: 'Rh', kv: '19.5' }, 'kv', /20 to 50 kV with a Rh target/],
    [{ 'off-axis': '61' }, 'off-axis', /between -60 and 60 degrees/],
    [{ 'off-axis-across': '-60.5' }, 'off-axis-across', /between -60 and 60 degrees/],
    [{ 'off-axis': '-20' }, 'off-axis', /behind the target surface.*above -20 degrees/],
    [{ angle: '10', 'off-axis': '-12' }, 'off-axis', /behind the target surface.*above -10 degrees/],
    [{ 'off-axis': '5°' }, 'off-axis', /"5°" is not a number/],
    [{ 'off-axis-across': '' }, 'off-axis-across', /"" is not a number/],
  ];
  for (const [values, name, reason] of cases) {
    await setInputs(page, values);
    const bad = await marks();
    assert.deepEqual(bad.invalid, [name], JSON.stringify(values));
    assert.match(bad.reasons[name], reason);
    assert.ok(bad.stale && bad.pinDisabled, 'marked as the last valid inputs, nothing to pin');
    assert.deepEqual(bad.curve, good.curve, 'the last valid curve stays');
    assert.deepEqual(await shownFigures(page), figures, 'the last valid figures stay');
    await setInputs(page, { model: 'tucker', kv: '120', angle: '20', be: '1', 'al-eq': '2', al: '1', cu: '0', distance: '1000', filter1: '', 'filter1-mm': '0',
      target: 'W', 'off-axis': '0', 'off-axis-across': '0' });
    assert.deepEqual((await marks()).invalid, []);
  }
  // the distance is the physics model's alone: hidden and not checked for the others
  await setInputs(page, { model: 'tucker', distance: '0' });
  assert.deepEqual((await marks()).invalid, []);
  await setInputs(page, { distance: '1000' });
  assert.deepEqual(page.errors, []);
});

test("the target and the lines are the physics model's: enabled and counted for it alone", async () => {
  const state = () => page.evaluate(() => ({
    disabled: ['target', 'no-lines'].map((n) => document.querySelector(`[name="${n}"]`).disabled),
    label: document.querySelector('#curves li[data-curve="current"] .label').textContent,
    top: window.kestrix.page.current.outcome.spectrum.findLastIndex((v) => v > 0),
    slider: [document.querySelector('[name="kv-slider"]').min, document.querySelector('[name="kv-slider"]').max],
  }));
  await setInputs(page, { model: 'physics', target: 'Mo', 'no-lines': true, kv: '35', be: '1', 'al-eq': '0', al: '0' });
  const mo = await state();
  assert.deepEqual(mo.disabled, [false, false]);
  assert.match(mo.label, /35 kV, 20°, Mo target, no lines/);
  assert.equal(mo.top, 68, 'the last bin below 35 keV (bin k from 0 is centred on 0.5 (k + 1) keV)');
  assert.deepEqual(mo.slider, ['20', '50'], 'the slider spans the Mo tube\'s voltages');
  // a formula model: both fields disabled and kept, the beam a tungsten one with its lines
  await setInputs(page, { model: 'birch' });
  const birch = await state();
  assert.deepEqual(birch.disabled, [true, true]);
  assert.doesNotMatch(birch.label, /target|lines/);
  assert.deepEqual((await marks()).invalid, []);
  assert.equal(await page.$eval('select[name="target"]', (e) => e.value), 'Mo');
  assert.equal(birch.slider[0], '30');
  await setInputs(page, { model: 'physics', 'off-axis': '6', 'off-axis-across': '-3' });
  assert.match((await state()).label, /Mo target, no lines, off axis 6° along, -3° across/);
  await setInputs(page, { model: 'tucker', target: 'W', 'no-lines': false, kv: '120', be: '1', 'al-eq': '2', al: '1', 'off-axis': '0', 'off-axis-across': '0' });
  assert.deepEqual(page.errors, []);
});

test('a transmission target: its fields for the physics model, no target angle, and each bad value marked', async () => {
  const state = () => page.evaluate(() => ({
    shown: ['target-layer', 'target-window-mm'].map((n) => document.querySelector(`[name="${n}"]`).offsetParent !== null),
    angleDisabled: document.querySelector('[name="angle"]').disabled,
    label: document.querySelector('#curves li[data-curve="current"] .label').textContent,
    slider: document.querySelector('[name="kv-slider"]').max,
  }));
  await setInputs(page, { model: 'physics', target: 'W', 'no-lines': false, kv: '100', be: '0', 'al-eq': '0', al: '0', 'target-kind': 'reflection' });
  assert.deepEqual((await state()).shown, [false, false], 'a reflection target shows no layer');
  assert.equal((await state()).angleDisabled, false);
  await setInputs(page, { 'target-kind': 'transmission', 'target-layer': '1', 'target-window': 'diamond', 'target-window-mm': '0.3', angle: 'abc' });
  const on = await state();
  assert.deepEqual(on.shown, [true, true]);
  assert.equal(on.angleDisabled, true, 'the target angle is greyed and not read');
  assert.deepEqual((await marks()).invalid, []);
  assert.match(on.label, /100 kV, W transmission target, 1 µm on 0.3 mm diamond/);
  assert.doesNotMatch(on.label, /°,/);
  assert.equal(on.slider, '300', "the slider spans the transmission target's voltages");
  const good = await marks();
  const cases = [
    [{ 'target-layer': '0' }, 'target-layer', /above 0/],
    [{ 'target-layer': '-1' }, 'target-layer', /above 0/],
    [{ 'target-layer': '1um' }, 'target-layer', /"1um" is not a number/],
    [{ 'target-layer': '5000' }, 'target-layer', /tungsten layer must be/],
    [{ 'target-window-mm': '' }, 'target-window-mm', /"" is not a number/],
    [{ 'target-window-mm': '0' }, 'target-window-mm', /above 0/],
    [{ 'target-window': 'Be', 'target-window-mm': '0.01' }, 'target-window-mm', /thinner than the electrons' range in it at 100 kV/],
    [{ kv: '350' }, 'kv', /transmission target is computed from 20 to 300 kV/],
    [{ target: 'Mo' }, 'target', /layer is tungsten/],
    [{ 'off-axis': '61' }, 'off-axis', /between -60 and 60 degrees/],
  ];
  for (const [values, name, reason] of cases) {
    await setInputs(page, values);
    const bad = await marks();
    assert.deepEqual(bad.invalid, [name], JSON.stringify(values));
    assert.match(bad.reasons[name], reason);
    assert.ok(bad.stale && bad.pinDisabled);
    assert.deepEqual(bad.curve, good.curve, 'the last valid curve stays');
    await setInputs(page, { 'target-layer': '1', 'target-window': 'diamond', 'target-window-mm': '0.3', kv: '100', target: 'W', 'off-axis': '0' });
    assert.deepEqual((await marks()).invalid, []);
  }
  // off the axis a transmission target lies behind no surface
  await setInputs(page, { 'off-axis': '-40' });
  assert.deepEqual((await marks()).invalid, []);
  // a formula model: the fields are the physics model's alone
  await setInputs(page, { model: 'tucker', angle: '20', 'off-axis': '0' });
  assert.deepEqual((await marks()).invalid, []);
  assert.equal((await state()).angleDisabled, false);
  assert.doesNotMatch((await state()).label, /transmission/);
  await setInputs(page, { model: 'tucker', 'target-kind': 'reflection', kv: '120', be: '1', 'al-eq': '2', al: '1' });
  assert.deepEqual(page.errors, []);
});

test('the sliders set the voltage and the angle, and typing moves them', async () => {
  for (const [slider, name, value] of [['kv-slider', 'kv', '250'], ['angle-slider', 'angle', '12']]) {
    await page.$eval(`input[name="${slider}"]`, (e, v) => {
      e.value = v;
      e.dispatchEvent(new Event('input', { bubbles: true }));
    }, value);
    assert.equal(await page.$eval(`input[name="${name}"]`, (e) => e.value), value);
  }
  assert.match(await page.$eval('#curves li .label', (e) => e.textContent), /250 kV, 12°/);
  await setInputs(page, { kv: '120', angle: '20' });
  await page.$eval('input[name="kv"]', (e) => e.dispatchEvent(new Event('input', { bubbles: true })));
  assert.equal(await page.$eval('input[name="kv-slider"]', (e) => e.value), '120');
});

test('a beam that is absorbed everywhere keeps the last curve and says why', async () => {
  await setInputs(page, { kv: '30', cu: '1000' });
  const absorbed = await marks();
  assert.ok(absorbed.stale);
  assert.match(await page.$eval('#status', (e) => e.textContent), /No spectrum/);
  await setInputs(page, { kv: '120', cu: '0' });
});

test('the reasons are in Japanese when Japanese is chosen, and the page follows the browser language', async () => {
  const japanese = await openPage(browser, { language: 'ja-JP' });
  assert.equal(await japanese.$eval('select[name="lang"]', (e) => e.value), 'ja');
  assert.equal(await japanese.$eval('select[name="waveform"] option[value="constant"]', (e) => e.textContent), '定電圧');
  await setInputs(japanese, { be: '-1' });
  assert.match(await japanese.$eval('.reason[data-for="be"]', (e) => e.textContent), /負の値は入力できません/);
  await setInputs(japanese, { be: '3', kv: 'abc' });
  assert.match(await japanese.$eval('.reason[data-for="kv"]', (e) => e.textContent), /「abc」は数値ではありません/);
  await setInputs(japanese, { model: 'physics', target: 'Mo', kv: '60' });
  assert.match(await japanese.$eval('.reason[data-for="kv"]', (e) => e.textContent), /物理モデルは Mo ターゲットでは 20～50 kV を計算します/);
  assert.equal(await japanese.$eval('select[name="target"] option[value="Mo"]', (e) => e.textContent), 'モリブデン (Mo)');
  await setInputs(japanese, { kv: '30', 'off-axis': '75' });
  assert.match(await japanese.$eval('.reason[data-for="off-axis"]', (e) => e.textContent), /-60～60 度の範囲/);
  await setInputs(japanese, { 'off-axis': '-25' });
  assert.match(await japanese.$eval('.reason[data-for="off-axis"]', (e) => e.textContent), /ターゲット面の裏側/);
  await setInputs(japanese, { 'off-axis': '5' });
  assert.match(await japanese.$eval('#curves li[data-curve="current"] .label', (e) => e.textContent), /Mo ターゲット, 中心軸外 陽極-陰極方向 5°、直交方向 0°/);
  await setInputs(japanese, { model: 'tucker', target: 'W', 'off-axis': '0', kv: 'abc' });
  await japanese.select('select[name="lang"]', 'en');
  assert.match(await japanese.$eval('.reason[data-for="kv"]', (e) => e.textContent), /"abc" is not a number/);
  assert.equal(await japanese.$eval('select[name="waveform"] option[value="constant"]', (e) => e.textContent), 'Constant potential');
  await japanese.close();
});

async function openMaterial(name, bytes) {
  const input = await page.$('input[name="material-file"]');
  await page.evaluate((n, b) => {
    const file = new File([new Uint8Array(b)], n);
    const transfer = new DataTransfer();
    transfer.items.add(file);
    const element = document.querySelector('input[name="material-file"]');
    element.files = transfer.files;
    element.dispatchEvent(new Event('change', { bubbles: true }));
  }, name, [...bytes]);
  await page.waitForFunction(() => document.querySelector('input[name="material-file"]').value === '');
  return input;
}

test("the user's Shift_JIS material file is read as the programs read it and filters the beam", async () => {
  await setInputs(page, { model: 'tucker', kv: '100', filter1: '', filter2: '', filter3: '' });
  const before = (await shownFigures(page)).hvl_al_mm;
  await openMaterial('aluminium_alloy_cp932.ele', readFileSync(join(TEST_DATA, 'aluminium_alloy_cp932.ele')));
  const chosen = await page.$eval('select[name="filter1"]', (e) => e.selectedOptions[0].textContent);
  assert.match(chosen, /アルミニウム合金 ①/);
  await setInputs(page, { 'filter1-mm': '2' });
  assert.ok(Number((await shownFigures(page)).hvl_al_mm) > Number(before));
});

test('a material file that cannot be read names the line and changes nothing', async () => {
  const choices = await page.$$eval('select[name="filter2"] option', (o) => o.length);
  await openMaterial('broken.ele', Buffer.from('Broken\n2.7\n3\n0.001 1 2 3 0 0\n0.002 x 2 3 0 0\n'));
  assert.match(await page.$eval('.reason[data-for="material-file"]', (e) => e.textContent), /line 5/);
  assert.equal(await page.$$eval('select[name="filter2"] option', (o) => o.length), choices);
});

test('a standard quality fills the inputs and the fitted added aluminium', async () => {
  await setInputs(page, { model: 'birch', kv: '150', filter1: '', be: '1', 'al-eq': '2.5', al: '0', cu: '0' });
  await page.select('select[name="quality"]', 'RQR5');
  await page.click('button[name="set-quality"]');
  assert.equal(await page.$eval('input[name="kv"]', (e) => e.value), '70');
  const al = Number(await page.$eval('input[name="al"]', (e) => e.value));
  assert.ok(al > 0 && al < 10, `added Al ${al}`);
  assert.ok(Math.abs(Number((await shownFigures(page)).hvl1_al_mm) - 2.58) < 0.01);
  assert.match(await page.$eval('#quality-note', (e) => e.textContent), /RQR5/);

  await page.select('select[name="quality"]', 'N-100');
  await page.click('button[name="set-quality"]');
  assert.equal(await page.$eval('input[name="kv"]', (e) => e.value), '100');
  assert.equal(await page.$eval('input[name="cu"]', (e) => e.value), '5');

  await setInputs(page, { be: '1', 'al-eq': '2.5' });  // N-100 set its own inherent filtration
  await page.select('select[name="quality"]', 'RQA5');
  await page.click('button[name="set-quality"]');
  assert.ok(Number(await page.$eval('input[name="al"]', (e) => e.value)) > 21, 'RQA5 adds 21 mm Al to the fitted RQR5');
  assert.match(await page.$eval('#quality-note', (e) => e.textContent), /RQA5.*nominal 6\.8 mm Al/);
});

test('the filtration fit writes the thickness that gives the measured layer', async () => {
  await setInputs(page, { model: 'tucker', kv: '100', filter1: '', al: '0', cu: '0' });
  await page.select('select[name="fit-entry"]', 'al');
  await page.$eval('input[name="fit-target"]', (e) => { e.value = '4.5'; });
  await page.click('button[name="fit"]');
  const al = Number(await page.$eval('input[name="al"]', (e) => e.value));
  assert.ok(al > 0, `added Al ${al}`);
  assert.ok(Math.abs(Number((await shownFigures(page)).hvl1_al_mm) - 4.5) < 0.005);
  await page.$eval('input[name="fit-target"]', (e) => { e.value = '-2'; });
  await page.click('button[name="fit"]');
  assert.match(await page.$eval('.reason[data-for="fit-target"]', (e) => e.textContent), /positive/);
  assert.equal(Number(await page.$eval('input[name="al"]', (e) => e.value)), al);
  assert.deepEqual(page.errors, []);
});
