// The binding under node: the run's figures, refusals and fits come through as JavaScript values,
// and a C++ exception arrives as an Error carrying its message. KESTRIX_WASM: kestrix_wasm.js.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { execFileSync } from 'node:child_process';

const KestrixEngine = createRequire(import.meta.url)(process.env.KESTRIX_WASM);
const wasm = await KestrixEngine();
const TABLE = '/data/MUs_202202.data';
const SETTINGS = { model: 'tucker', kv: '100', angle: '20', be: '3', alEq: '5', al: '2', cu: '0', waveform: 'constant', quantity: 'photon', distance: 1000 };

test('a run gives the spectrum on 600 bins and every figure with its JSON key and digits', () => {
  const batch = new wasm.Batch(TABLE, []);
  const outcome = batch.run(SETTINGS);
  assert.equal(outcome.spectrum.length, 600);
  assert.equal(Math.max(...outcome.spectrum), 1);
  assert.ok(outcome.spectrum.slice(200).every((v) => v === 0), 'nothing above 100 keV');
  const figures = Object.fromEntries(outcome.figures.map((f) => [f.key, f]));
  assert.equal(figures.hvl_al_mm.text, String(figures.hvl_al_mm.value));
  assert.ok(figures.hvl_al_mm.value > 2 && figures.hvl_al_mm.value < 6);
  assert.equal(figures.air_kerma_uGy_per_mAs.text, null, 'no output for a relative model');
  assert.match(figures.air_kerma_uGy_per_mAs.missing, /relative/);
  assert.equal(outcome.perMas, null);
  assert.equal(outcome.resultFileText.length, 49);
  batch.delete();
});

test('the physics model gives the output per mAs, falling with the square of the distance', () => {
  const batch = new wasm.Batch(TABLE, [{ path: '/data/Water.mix', thickness: 10 }]);
  const near = batch.run({ ...SETTINGS, model: 'physics', distance: 500 });
  const far = batch.run({ ...SETTINGS, model: 'physics', distance: 1000 });
  const kerma = (o) => o.figures.find((f) => f.key === 'air_kerma_uGy_per_mAs').value;
  assert.ok(Math.abs(kerma(near) / kerma(far) - 4) < 1e-6);
  assert.equal(near.perMas.length, 600);
  assert.match(batch.filters()[0].description, /Water/i);
  batch.delete();
});

test('C++ exceptions arrive as Errors with their text', () => {
  assert.throws(() => new wasm.Batch(TABLE, [{ path: '/data/none.ele', thickness: 1 }]), (error) => error instanceof Error && /none\.ele/.test(error.message));
  const batch = new wasm.Batch(TABLE, []);
  assert.throws(() => batch.run({ ...SETTINGS, model: 'other' }), /unknown model "other"/);
  assert.throws(() => batch.run({ ...SETTINGS, angle: '180' }), /Target angle 180/);
  assert.throws(() => batch.fit(SETTINGS, { entry: 'al', material: 'al', target: 500 }), Error);
  assert.throws(() => wasm.realiseQuality(TABLE, 'XYZ', SETTINGS, []), /"XYZ" is not a standard quality/);
  // the module works on after an exception
  assert.equal(batch.run(SETTINGS).spectrum.length, 600);
  batch.delete();
});

test('strict numbers and refusals are the libraries\' rules', () => {
  assert.equal(wasm.wholeNumber('1e3'), 1000);
  assert.equal(wasm.wholeNumber('-2.5'), -2.5);
  for (const text of ['', '12abc', 'inf', 'nan', '0x10', '1,5', ' 1']) assert.equal(wasm.wholeNumber(text), null, text);
  assert.deepEqual(wasm.voltageRange('tucker', 'W'), { min: 30, max: 300 });
  assert.equal(wasm.voltageRange('physics', 'W').min, 20);
  assert.equal(wasm.voltageRange('physics', 'W').max, 500);
  assert.throws(() => wasm.voltageRange('physics', 'Xe'), /unknown target "Xe"/);
  assert.equal(wasm.refusal(SETTINGS, []), null);
  assert.equal(wasm.refusal({ ...SETTINGS, cu: '-1' }, []).input, 'cu');
  assert.equal(wasm.refusal({ ...SETTINGS, kv: '301' }, []).input, 'kv');
  const filter = wasm.refusal(SETTINGS, [{ path: '/data/Sn.ele', thickness: 1 }, { path: '/data/Pb.ele', thickness: -1 }]);
  assert.deepEqual([filter.input, filter.filter], ['filter', 1]);
});

test('the fit and a quality fill the entries they set', () => {
  const batch = new wasm.Batch(TABLE, []);
  const fitted = batch.fit(SETTINGS, { entry: 'al', material: 'al', target: 6 });
  assert.ok(Math.abs(Number(fitted.hvl1) - 6) < 0.002);
  assert.equal(fitted.entries.al, fitted.thickness);
  const tube = { ...SETTINGS, be: '1', alEq: '2.5' };
  const rqr = wasm.realiseQuality(TABLE, 'RQR5', tube, []);
  assert.equal(rqr.entries.kv, '70');
  assert.match(rqr.fit, /added aluminium/);
  assert.throws(() => wasm.realiseQuality(TABLE, 'RQR5', SETTINGS, []), /cannot be realised with the inherent filtration/);
  const n = wasm.realiseQuality(TABLE, 'N-100', SETTINGS, [{ path: '/data/Sn.ele', thickness: 0.1 }]);
  assert.deepEqual([n.entries.kv, n.entries.be, n.entries.alEq, n.entries.cu], ['100', '1', '4', '5']);
  assert.deepEqual(n.filters.map((f) => [f.path, f.thickness]), [['/data/Sn.ele', 0.1]]);
  const rqa = wasm.realiseQuality(TABLE, 'RQA5', tube, []);
  // its 21 mm of aluminium come on top of the added aluminium fitted for RQR5
  assert.equal(Number(rqa.entries.al), Number(rqr.entries.al) + 21);
  assert.ok(wasm.qualities('/data/RadiationQualities.tsv').some((q) => q.name === 'RQA5' && q.basedOn === 'RQR5'));
  batch.delete();
});

test('the table is the data export with the --header lines before it', () => {
  const batch = new wasm.Batch(TABLE, []);
  const text = batch.table(SETTINGS, { separator: 'comma', unit: 'keV', normalisation: 'max', energyNotation: 'plain', valueNotation: 'plain', header: true });
  const lines = text.split('\r\n');
  assert.equal(lines[0], '# spectrum of kestrix (web)');
  assert.ok(lines.includes('# tube voltage [kV]: 100'));
  assert.equal(lines.filter((l) => /^\s*[0-9]/.test(l)).length, 600);
  const plain = batch.table(SETTINGS, { separator: 'space', unit: 'MeV', normalisation: 'total', header: false });
  assert.ok(!plain.includes('#'));
  batch.delete();
});

test("every model's voltage range for each of its targets is kestrix-cli's", { skip: !process.env.KESTRIX_CLI }, () => {
  const listed = JSON.parse(execFileSync(process.env.KESTRIX_CLI, ['--list-models', '--json'], { encoding: 'utf8' })).models;
  let targets = 0;
  for (const { model, targets: tubes } of listed) {
    for (const { target, lowest_kV: min, highest_kV: max } of tubes) {
      assert.deepEqual(wasm.voltageRange(model, target), { min, max }, `${model} ${target}`);
      ++targets;
    }
  }
  assert.ok(targets >= 7, 'tucker, birch and physics with W, Mo, Rh, Ag and Au');
});

const PHYSICS = { ...SETTINGS, model: 'physics', kv: '30', be: '1', alEq: '0', al: '0' };
const kermaOf = (o) => o.figures.find((f) => f.key === 'air_kerma_uGy_per_mAs').value;

test('the physics model computes Ag and Au targets from 20 to 50 kV, their lines only adding photons', () => {
  const batch = new wasm.Batch(TABLE, []);
  for (const target of ['Ag', 'Au']) {
    const lines = batch.run({ ...PHYSICS, target });
    const alone = batch.run({ ...PHYSICS, target, noLines: true });
    assert.equal(lines.used.target, target);
    assert.ok(alone.perMas.every((v, k) => v <= lines.perMas[k] * (1 + 1e-12)), target);
    assert.ok(kermaOf(alone) < kermaOf(lines), target);
    assert.ok(lines.spectrum.slice(60).every((v) => v === 0), `${target}: nothing above 30 kV`);
    const refused = wasm.refusal({ ...PHYSICS, target, kv: '50.5' }, []);
    assert.equal(refused.input, 'kv');
    assert.match(refused.reason, new RegExp(`20 to 50 kV for ${target}`));
  }
  batch.delete();
});

test('the physics model computes Mo and Rh targets, with and without their lines', () => {
  const batch = new wasm.Batch(TABLE, []);
  for (const [target, kAlphaKeV] of [['Mo', 17.4], ['Rh', 20.2]]) {
    const lines = batch.run({ ...PHYSICS, target });
    const alone = batch.run({ ...PHYSICS, target, noLines: true });
    assert.equal(lines.used.target, target);
    // the K-alpha line is the spectrum's peak; bin i (from 1) is centred on 0.5 i keV
    const peak = lines.spectrum.indexOf(1);
    assert.ok(Math.abs(0.5 * (peak + 1) - kAlphaKeV) <= 0.5, `${target}: peak at ${0.5 * (peak + 1)} keV`);
    // lines only add photons: the bremsstrahlung alone is nowhere above the whole spectrum per mAs
    assert.ok(alone.perMas.every((v, k) => v <= lines.perMas[k] * (1 + 1e-12)), target);
    assert.ok(kermaOf(alone) < kermaOf(lines));
    assert.ok(lines.spectrum.slice(60).every((v) => v === 0), 'nothing above 30 kV');
  }
  // a tungsten tube without lines is the physics model's too
  assert.ok(kermaOf(batch.run({ ...PHYSICS, kv: '100', noLines: true })) < kermaOf(batch.run({ ...PHYSICS, kv: '100' })));
  assert.throws(() => batch.run({ ...PHYSICS, target: 'Xe' }), /unknown target "Xe"/);
  assert.throws(() => batch.run({ ...SETTINGS, target: 'Mo' }), /tungsten target only/);
  const refused = wasm.refusal({ ...PHYSICS, target: 'Mo', kv: '60' }, []);
  assert.equal(refused.input, 'kv');
  assert.match(refused.reason, /20 to 50 kV for Mo/);
  batch.delete();
});

test('a point off the central ray: the central ray to the last digit at 0, less output towards the anode', () => {
  const batch = new wasm.Batch(TABLE, []);
  const central = batch.run({ ...PHYSICS, kv: '80' });
  assert.deepEqual(batch.run({ ...PHYSICS, kv: '80', offAxis: '0', offAxisAcross: '0' }).figures, central.figures);
  const anode = batch.run({ ...PHYSICS, kv: '80', offAxis: '-8' });
  const cathode = batch.run({ ...PHYSICS, kv: '80', offAxis: '8' });
  assert.ok(kermaOf(anode) < kermaOf(central) && kermaOf(central) < kermaOf(cathode), 'the heel effect');
  // across the axis the ray is symmetric
  assert.deepEqual(batch.run({ ...PHYSICS, kv: '80', offAxisAcross: '12' }).figures, batch.run({ ...PHYSICS, kv: '80', offAxisAcross: '-12' }).figures);
  assert.throws(() => batch.run({ ...PHYSICS, offAxis: '5x' }), /"5x" is not a number/);
  assert.equal(wasm.offAxisRefusal(20, 5, -5), null);
  assert.deepEqual((({ input, kind, limit }) => [input, kind, limit])(wasm.offAxisRefusal(20, 61, 0)), ['along', 'range', 60]);
  assert.deepEqual((({ input, kind }) => [input, kind])(wasm.offAxisRefusal(20, 0, -60.5)), ['across', 'range']);
  assert.deepEqual((({ input, kind }) => [input, kind])(wasm.offAxisRefusal(20, -20, 0)), ['along', 'behind']);
  assert.match(wasm.offAxisRefusal(20, -25, 0).reason, /behind the target surface/);
  assert.equal(wasm.offAxisRefusal(20, NaN, 0).kind, 'range');
  batch.delete();
});

test("the table's header names the tube and the point as kestrix-cli's --header does", () => {
  const batch = new wasm.Batch(TABLE, []);
  const options = { separator: 'comma', unit: 'keV', normalisation: 'max', energyNotation: 'plain', valueNotation: 'plain', header: true };
  const model = (settings) => batch.table(settings, options).split('\r\n').find((l) => l.startsWith('# model: '));
  assert.equal(model({ ...PHYSICS, target: 'Mo', noLines: true, offAxis: '5', offAxisAcross: '3' }),
    '# model: physics (Mo target, bremsstrahlung alone (no characteristic lines)) (off axis 5 degrees along (positive towards the cathode), 3 degrees across)');
  assert.equal(model({ ...PHYSICS, target: 'Rh' }), '# model: physics (Rh target)');
  assert.equal(model({ ...PHYSICS, offAxis: '0', offAxisAcross: '-2.5' }), '# model: physics (off axis 0 degrees along (positive towards the cathode), -2.5 degrees across)');
  assert.equal(model(PHYSICS), '# model: physics');
  batch.delete();
});

test('a Mo/Mo quality sets its target; a formula model refuses it', () => {
  const realised = wasm.realiseQuality(TABLE, 'RQR-M2', PHYSICS, []);
  assert.equal(realised.entries.target, 'Mo');
  assert.equal(realised.entries.kv, '28');
  assert.deepEqual(realised.filters.map((f) => [f.path, f.thickness]), [['/data/Mo.ele', 0.032]]);
  assert.equal(realised.outcome.used.target, 'Mo');
  assert.equal(realised.quality.target, 'Mo');
  assert.throws(() => wasm.realiseQuality(TABLE, 'RQR-M2', { ...PHYSICS, model: 'birch' }, []), /tungsten target only/);
  assert.throws(() => wasm.realiseQuality(TABLE, 'RQR-M2', { ...PHYSICS, target: 'Rh' }, []), /has a Mo target, not Rh/);
});

const TRANSMISSION = { ...PHYSICS, kv: '100', be: '0', targetLayer: '1', targetWindow: 'diamond', targetWindowMm: '0.3' };

test("a transmission target: kestrix-cli's figures, its range, its refusals and its header", { skip: !process.env.KESTRIX_CLI }, () => {
  const batch = new wasm.Batch(TABLE, []);
  const outcome = batch.run(TRANSMISSION);
  const report = JSON.parse(execFileSync(process.env.KESTRIX_CLI, ['--model', 'physics', '--kv', '100', '--be', '0', '--al-eq', '0', '--al', '0', '--target-thickness', '1', '--target-window', 'diamond:0.3',
    '--no-table', '--json'], { encoding: 'utf8' }));
  for (const f of outcome.figures.filter((f) => f.key in report.results)) assert.equal(f.text === null ? null : Number(f.text), report.results[f.key], f.key);
  // no layer: the reflection target to the last digit
  assert.deepEqual(batch.run({ ...TRANSMISSION, targetLayer: '' }).figures, batch.run({ ...PHYSICS, kv: '100', be: '0' }).figures);
  assert.notDeepEqual(outcome.figures, batch.run({ ...PHYSICS, kv: '100', be: '0' }).figures);
  assert.deepEqual(wasm.transmissionRange('physics'), { min: 20, max: 300 });
  assert.equal(wasm.transmissionRange('tucker'), null);
  assert.equal(wasm.transmissionRefusal(TRANSMISSION), null);
  const refused = (settings) => (({ input, reason }) => [input, reason])(wasm.transmissionRefusal(settings));
  assert.equal(refused({ ...TRANSMISSION, targetWindow: 'Be', targetWindowMm: '0.01' })[0], 'target-window-mm');
  assert.match(refused({ ...TRANSMISSION, targetWindow: 'Be', targetWindowMm: '0.01' })[1], /thinner than the electrons' range in it at 100 kV/);
  assert.equal(refused({ ...TRANSMISSION, targetLayer: '5000' })[0], 'target-layer');
  assert.equal(refused({ ...TRANSMISSION, kv: '350' })[0], 'kv');
  assert.equal(refused({ ...TRANSMISSION, target: 'Mo', kv: '30' })[0], 'target');
  assert.equal(refused({ ...TRANSMISSION, model: 'tucker' })[0], 'model');
  assert.throws(() => batch.run({ ...TRANSMISSION, targetWindow: 'Cu' }), /unknown window "Cu"/);
  assert.throws(() => batch.run({ ...TRANSMISSION, targetLayer: '1um' }), /"1um" is not a number/);
  // the table's header says it, without a target angle
  const options = { separator: 'comma', unit: 'keV', normalisation: 'max', energyNotation: 'plain', valueNotation: 'plain', header: true };
  const lines = batch.table(TRANSMISSION, options).split('\r\n');
  assert.ok(lines.includes('# model: physics (W transmission target, 1 um on 0.3 mm diamond)'));
  assert.ok(lines.includes('# target angle [degrees]: none (transmission target: the beam leaves through the window)'));
  batch.delete();
});
