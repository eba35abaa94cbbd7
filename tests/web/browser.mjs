// Debian's Chromium, headless, driven by puppeteer-core (which downloads no browser), on the page
// opened from disk; downloads land in a scratch folder. Environment: KESTRIX_PAGE (kestrix.html),
// KESTRIX_CLI (the native kestrix-cli, for the comparisons), KESTRIX_WEB_MODULES (web/node_modules).
import { createRequire } from 'node:module';
import { mkdtempSync, rmSync, readdirSync, readFileSync, existsSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

const require = createRequire(join(process.env.KESTRIX_WEB_MODULES, 'x.js'));
export const puppeteer = require('puppeteer-core');
export const PAGE = process.env.KESTRIX_PAGE;

export const CHROMIUM_ARGUMENTS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--no-first-run', '--disable-dev-shm-usage'];

/** a browser with an empty profile of its own; close() also removes the profile */
export async function launchChromium() {
  const profile = mkdtempSync(join(tmpdir(), 'kestrix-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.KESTRIX_CHROMIUM || '/usr/bin/chromium', headless: true,
    args: [...CHROMIUM_ARGUMENTS, `--user-data-dir=${profile}`], userDataDir: profile,
  });
  const close = browser.close.bind(browser);
  browser.close = async () => { await close(); rmSync(profile, { recursive: true, force: true }); };
  return browser;
}

/** the browser KESTRIX_BROWSER names ("firefox": Debian's firefox-esr over WebDriver BiDi; else
 * Chromium), with an empty profile of its own that close() removes */
export async function launchBrowser() {
  if (process.env.KESTRIX_BROWSER !== 'firefox') return launchChromium();
  const profile = mkdtempSync(join(tmpdir(), 'kestrix-firefox-profile-'));
  const browser = await puppeteer.launch({
    browser: 'firefox', executablePath: process.env.KESTRIX_FIREFOX || '/usr/bin/firefox-esr', headless: true,
    userDataDir: profile, extraPrefsFirefox: { 'browser.shell.checkDefaultBrowser': false, 'app.update.enabled': false },
  });
  const close = browser.close.bind(browser);
  browser.close = async () => { await close(); rmSync(profile, { recursive: true, force: true }); };
  return browser;
}

/** a tab on the page (with hash), ready, in language; errors of the page's script fail the test */
export async function openPage(browser, { hash = '', language = 'en-US' } = {}) {
  const page = await browser.newPage();
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(error.message));
  await page.evaluateOnNewDocument((l) => {
    Object.defineProperty(navigator, 'languages', { get: () => [l] });
  }, language);
  await page.setViewport({ width: 1400, height: 900 });
  await page.goto(`${pathToFileURL(PAGE).href}${hash}`);
  await page.waitForSelector('body[data-ready="true"]', { timeout: 60000 });
  return page;
}

/** sets the form's fields {name: value} (a checkbox: true, "1" or "on" checks it) and lets the page
 * recompute, as typing would */
export async function setInputs(page, values) {
  await page.evaluate((v) => {
    const form = document.getElementById('inputs');
    for (const [name, value] of Object.entries(v)) {
      const element = form.elements.namedItem(name);
      if (element.type === 'checkbox') element.checked = value === true || value === '1' || value === 'on';
      else element.value = value;
    }
    form.dispatchEvent(new Event('input', { bubbles: true }));
  }, values);
}

/** every figure shown: data-key -> text */
export function shownFigures(page) {
  return page.evaluate(() => Object.fromEntries([...document.querySelectorAll('#figures [data-key]')].map((e) => [e.dataset.key, e.textContent])));
}

/** a scratch folder that receives the page's downloads */
export async function downloadsOf(page) {
  const folder = mkdtempSync(join(tmpdir(), 'kestrix-downloads-'));
  const session = await page.createCDPSession();
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: folder, eventsEnabled: true });
  return {
    folder,
    /** the bytes of the one file that arrives, waiting for it */
    async next(timeoutMs = 20000) {
      const started = Date.now();
      while (Date.now() - started < timeoutMs) {
        const done = readdirSync(folder).filter((n) => !n.endsWith('.crdownload'));
        if (done.length) {
          const name = done[0];
          const bytes = readFileSync(join(folder, name));
          rmSync(join(folder, name));
          return { name, bytes };
        }
        await new Promise((r) => setTimeout(r, 50));
      }
      throw new Error('no download arrived');
    },
    remove() { rmSync(folder, { recursive: true, force: true }); },
  };
}

export function havePage() { return PAGE && existsSync(PAGE); }
