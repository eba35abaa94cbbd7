// The page's address and its session file bring back the inputs, the pinned curves and the view;
// the table downloads as kestrix-cli --header --save writes it.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launchChromium, openPage, setInputs, shownFigures, downloadsOf } from './browser.mjs';

let browser, page, downloads;
before(async () => {
  browser = await launchChromium();
  page = await openPage(browser);
  downloads = await downloadsOf(page);
});
after(async () => { downloads?.remove(); await browser?.close(); });

const INPUTS = { model: 'physics', kv: '90', angle: '16', target: 'W', 'no-lines': true, 'off-axis': '4', 'off-axis-across': '-2',
  waveform: '12-peak', be: '0.8', 'al-eq': '1.5', al: '2', cu: '0.1', quantity: 'exposure', distance: '750', filter1: 'Water.mix', 'filter1-mm': '20' };
// the pinned curve: a molybdenum tube with its lines on the central ray
const PINNED = { ...INPUTS, kv: '30', target: 'Mo', 'no-lines': false, 'off-axis': '0', 'off-axis-across': '0', be: '1', 'al-eq': '0', al: '0', cu: '0',
  filter1: 'Mo.ele', 'filter1-mm': '0.03' };

const snapshot = (p) => p.evaluate(() => ({
  inputs: Object.fromEntries([...document.querySelectorAll('#inputs input:not([type=file]):not([type=range]), #inputs select')]
    .map((e) => [e.name, e.type === 'checkbox' ? e.checked : e.value])),
  curves: [...document.querySelectorAll('#curves li .label')].map((e) => e.textContent),
  shown: window.kestrix.plot.chart.series.slice(1).map((s) => s.show),
  log: document.querySelector('input[name="log"]').checked,
  language: document.querySelector('select[name="lang"]').value,
}));

async function prepare() {
  await setInputs(page, PINNED);
  await page.click('button[name="pin"]');
  await setInputs(page, INPUTS);
  await page.click('#curves li[data-curve="0"] button[name="hide"]');
  await page.click('input[name="log"]');
  await page.select('select[name="lang"]', 'ja');
}

test('the address holds the inputs, the pinned curves and the view, and a reload restores them', async () => {
  await prepare();
  const before = await snapshot(page);
  const figures = await shownFigures(page);
  const address = page.url();
  assert.match(address, /#.*kv=90/);
  assert.match(address, /target=W.*no-lines=1.*off-axis=4&off-axis-across=-2/);
  assert.match(before.curves[0], /30 kV, 16°, Mo ターゲット/);
  assert.match(before.curves[1], /W ターゲット, 特性Ｘ線なし, 中心軸外 陽極-陰極方向 4°、直交方向 -2°/);
  const again = await openPage(browser, { hash: new URL(address).hash });
  assert.deepEqual(await snapshot(again), before);
  assert.deepEqual(await shownFigures(again), figures);
  await again.close();
});

test('the session file saved brings back the same page in a fresh tab', async () => {
  await page.click('button[name="save-session"]');
  const session = await downloads.next();
  assert.equal(session.name, 'kestrix-session.json');
  const saved = JSON.parse(session.bytes.toString('utf8'));
  assert.equal(saved.format, 'kestrix-web-session');
  assert.equal(saved.inputs.kv, '90');
  assert.deepEqual([saved.inputs.target, saved.inputs['no-lines'], saved.inputs['off-axis'], saved.inputs['off-axis-across']], ['W', '1', '4', '-2']);
  assert.equal(saved.pins.length, 1);
  assert.equal(saved.pins[0].settings.target, 'Mo');
  const before = await snapshot(page);
  const fresh = await openPage(browser);
  await fresh.evaluate((text) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([text], 'kestrix-session.json'));
    const input = document.querySelector('input[name="session-file"]');
    input.files = transfer.files;
    input.dispatchEvent(new Event('change', { bubbles: true }));
  }, session.bytes.toString('utf8'));
  await fresh.waitForFunction(() => document.querySelectorAll('#curves li').length === 2);
  assert.deepEqual(await snapshot(fresh), before);
  await fresh.evaluate(() => {
    const transfer = new DataTransfer();
    transfer.items.add(new File(['{"format": "other"}'], 'x.json'));
    const input = document.querySelector('input[name="session-file"]');
    input.files = transfer.files;
    input.dispatchEvent(new Event('change', { bubbles: true }));
  });
  await fresh.waitForFunction(() => document.querySelector('.reason[data-for="session-file"]').textContent !== '');
  assert.deepEqual(await snapshot(fresh), before, 'a file that is no session changes nothing');
  await fresh.close();
});

test("the table downloads with kestrix-cli's --header lines and numbers", async () => {
  await page.select('select[name="lang"]', 'en');
  await page.select('select[name="export-curve"]', 'current');
  await page.click('button[name="export-table"]');
  const table = await downloads.next();
  assert.equal(table.name, 'kestrix_physics_90kV.csv');
  const folder = mkdtempSync(join(tmpdir(), 'kestrix-cli-'));
  try {
    const compare = (web, args) => {
      execFileSync(process.env.KESTRIX_CLI, [...args, '--header', '--save', join(folder, 'cli.csv'), '--no-figures'], { cwd: folder, stdio: 'ignore' });
      const cli = readFileSync(join(folder, 'cli.csv'), 'utf8').split('\r\n');
      const lines = web.bytes.toString('utf8').split('\r\n');
      assert.equal(lines.length, cli.length);
      // the same lines but for the program's name and where the material file was read from
      const common = (line) => line.replace(/kestrix-cli|kestrix \(web\)/, 'PROGRAM').replace(/ \([^()]*(Water\.mix|Mo\.ele)\)$/, '');
      assert.deepEqual(lines.map(common), cli.map(common));
      assert.equal(lines.filter((l) => /^\s*[0-9]/.test(l)).length, 600);
      return lines;
    };
    const lines = compare(table, ['--model', 'physics', '--kv', '90', '--angle', '16', '--waveform', '12-peak', '--be', '0.8',
      '--al-eq', '1.5', '--al', '2', '--cu', '0.1', '--quantity', 'exposure', '--filter', 'Water.mix:20', '--no-lines', '--off-axis', '4,-2']);
    assert.ok(lines.includes('# model: physics (W target, bremsstrahlung alone (no characteristic lines)) (off axis 4 degrees along (positive towards the cathode), -2 degrees across)'));
    // the pinned Mo curve
    await page.select('select[name="export-curve"]', '0');
    await page.click('button[name="export-table"]');
    const mo = await downloads.next();
    assert.equal(mo.name, 'kestrix_physics_Mo_30kV.csv');
    assert.ok(compare(mo, ['--model', 'physics', '--target', 'Mo', '--kv', '30', '--angle', '16', '--waveform', '12-peak', '--be', '1',
      '--al-eq', '0', '--al', '0', '--cu', '0', '--quantity', 'exposure', '--filter', 'Mo.ele:0.03']).includes('# model: physics (Mo target)'));
    await page.select('select[name="export-curve"]', 'current');
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }

  await page.select('select[name="export-separator"]', 'space');
  await page.click('input[name="export-header"]');
  await page.click('button[name="export-table"]');
  const dat = await downloads.next();
  assert.equal(dat.name, 'kestrix_physics_90kV.dat');
  assert.ok(!dat.bytes.toString('utf8').includes('#'));
  assert.deepEqual(page.errors, []);
});

test('the figures are copied to the clipboard as text', async () => {
  const context = browser.defaultBrowserContext();
  await context.overridePermissions('file://', ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']).catch(() => {});
  await page.evaluate(() => {
    window.copiedText = null;
    navigator.clipboard.writeText = async (text) => { window.copiedText = text; };
  });
  await page.click('button[name="copy-figures"]');
  const text = await page.evaluate(() => window.copiedText);
  const figures = await shownFigures(page);
  assert.match(text, /Physics model, 90 kV/);
  assert.ok(text.includes(`Air kerma per mAs [µGy]\t${figures.air_kerma_uGy_per_mAs}`));
  assert.ok(text.includes(`HVL1 Al [mm]\t${figures.hvl_al_mm}`));
});
