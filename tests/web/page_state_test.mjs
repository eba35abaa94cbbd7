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

const INPUTS = { model: 'physics', kv: '90', angle: '16', waveform: '12-peak', be: '0.8', 'al-eq': '1.5', al: '2', cu: '0.1',
  quantity: 'exposure', distance: '750', filter1: 'Water.mix', 'filter1-mm': '20' };

const snapshot = (p) => p.evaluate(() => ({
  inputs: Object.fromEntries([...document.querySelectorAll('#inputs input:not([type=file]):not([type=range]), #inputs select')].map((e) => [e.name, e.value])),
  curves: [...document.querySelectorAll('#curves li .label')].map((e) => e.textContent),
  shown: window.kestrix.plot.chart.series.slice(1).map((s) => s.show),
  log: document.querySelector('input[name="log"]').checked,
  language: document.querySelector('select[name="lang"]').value,
}));

async function prepare() {
  await setInputs(page, { ...INPUTS, kv: '70' });
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
  assert.equal(saved.pins.length, 1);
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
    execFileSync(process.env.KESTRIX_CLI, ['--model', 'physics', '--kv', '90', '--angle', '16', '--waveform', '12-peak', '--be', '0.8',
      '--al-eq', '1.5', '--al', '2', '--cu', '0.1', '--quantity', 'exposure', '--filter', 'Water.mix:20', '--header',
      '--save', join(folder, 'cli.csv'), '--no-figures'], { cwd: folder, stdio: 'ignore' });
    const cli = readFileSync(join(folder, 'cli.csv'), 'utf8').split('\r\n');
    const web = table.bytes.toString('utf8').split('\r\n');
    assert.equal(web.length, cli.length);
    // the same lines but for the program's name and where the material file was read from
    const common = (line) => line.replace(/kestrix-cli|kestrix \(web\)/, 'PROGRAM').replace(/ \([^()]*Water\.mix\)$/, '');
    assert.deepEqual(web.map(common), cli.map(common));
    assert.equal(web.filter((l) => /^\s*[0-9]/.test(l)).length, 600);
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
