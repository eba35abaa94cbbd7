// The binding under node: the run's figures, refusals and fits come through as JavaScript values,
// and a C++ exception arrives as an Error carrying its message. KESTRIX_WASM: kestrix_wasm.js.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';

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
  assert.deepEqual(wasm.voltageRange('tucker'), { min: 30, max: 300 });
  assert.deepEqual(wasm.voltageRange('physics'), { min: 20, max: 300 });
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
