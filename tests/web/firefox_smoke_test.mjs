// Firefox (Debian's firefox-esr, headless, WebDriver BiDi) opens the page copied alone into an
// empty folder and computes: a tungsten beam, and a molybdenum tube off the central ray whose
// figures are kestrix-cli's; a voltage outside the Mo tube's range is marked in place.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { copyFileSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { execFileSync } from 'node:child_process';
import { puppeteer, PAGE } from './browser.mjs';

test('Firefox opens kestrix.html from disk and computes a spectrum with its figures', async () => {
  const folder = mkdtempSync(join(tmpdir(), 'kestrix-firefox-'));
  const profile = mkdtempSync(join(tmpdir(), 'kestrix-firefox-profile-'));
  copyFileSync(PAGE, join(folder, 'kestrix.html'));
  const browser = await puppeteer.launch({
    browser: 'firefox', executablePath: process.env.KESTRIX_FIREFOX || '/usr/bin/firefox-esr', headless: true,
    userDataDir: profile, extraPrefsFirefox: { 'browser.shell.checkDefaultBrowser': false, 'app.update.enabled': false },
  });
  try {
    const page = await browser.newPage();
    await page.goto(pathToFileURL(join(folder, 'kestrix.html')).href);
    await page.waitForSelector('body[data-ready="true"]', { timeout: 60000 });
    await page.evaluate(() => {
      const form = document.getElementById('inputs');
      form.elements.namedItem('model').value = 'physics';
      form.elements.namedItem('kv').value = '100';
      form.dispatchEvent(new Event('input', { bubbles: true }));
    });
    const kerma = await page.$eval('[data-key="air_kerma_uGy_per_mAs"]', (e) => e.textContent);
    assert.ok(Number(kerma) > 0, `air kerma ${kerma}`);
    const hvl = await page.$eval('[data-key="hvl_al_mm"]', (e) => e.textContent);
    assert.ok(Number(hvl) > 0, `HVL ${hvl}`);

    const set = (values) => page.evaluate((v) => {
      const form = document.getElementById('inputs');
      for (const [name, value] of Object.entries(v)) {
        const element = form.elements.namedItem(name);
        if (element.type === 'checkbox') element.checked = value === '1'; else element.value = value;
      }
      form.dispatchEvent(new Event('input', { bubbles: true }));
    }, values);
    await set({ target: 'Mo', 'no-lines': '1', kv: '32', 'off-axis': '6', 'off-axis-across': '-4', be: '1', 'al-eq': '0' });
    const figures = await page.$$eval('#figures [data-key]', (list) => Object.fromEntries(list.map((e) => [e.dataset.key, e.textContent])));
    if (process.env.KESTRIX_CLI) {
      const json = execFileSync(process.env.KESTRIX_CLI, ['--model', 'physics', '--target', 'Mo', '--no-lines', '--kv', '32',
        '--off-axis', '6,-4', '--be', '1', '--al-eq', '0', '--json', '--no-table'], { encoding: 'utf8' });
      for (const key of ['hvl_al_mm', 'hvl2_al_mm', 'mean_energy_keV', 'air_kerma_uGy_per_mAs']) {
        assert.equal(figures[key], json.match(new RegExp(`"${key}": ([-+0-9.eE]+)`))[1], key);
      }
    }
    assert.match(await page.$eval('#curves li[data-curve="current"] .label', (e) => e.textContent), /Mo target, no lines, off axis 6° along, -4° across/);
    await set({ kv: '60' });
    assert.match(await page.$eval('.reason[data-for="kv"]', (e) => e.textContent), /20 to 50 kV with a Mo target/);
    assert.equal(await page.$eval('#status', (e) => e.classList.contains('stale')), true);
    assert.deepEqual(await page.$$eval('#figures [data-key]', (list) => Object.fromEntries(list.map((e) => [e.dataset.key, e.textContent]))), figures);
  } finally {
    await browser.close();
    rmSync(folder, { recursive: true, force: true });
    rmSync(profile, { recursive: true, force: true });
  }
});
