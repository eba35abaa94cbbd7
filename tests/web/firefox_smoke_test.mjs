// Firefox (Debian's firefox-esr, headless, WebDriver BiDi) opens the page copied alone into an
// empty folder and computes.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { copyFileSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
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
  } finally {
    await browser.close();
    rmSync(folder, { recursive: true, force: true });
    rmSync(profile, { recursive: true, force: true });
  }
});
