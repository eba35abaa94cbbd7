// The README's picture of the page (docs/web_page.png), made in headless Chromium:
//   node web/screenshot.mjs build-web/kestrix.html docs/web_page.png
import { resolve, dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '..');
process.env.KESTRIX_PAGE = resolve(process.argv[2] || join(root, 'build-web', 'kestrix.html'));
process.env.KESTRIX_WEB_MODULES ||= join(root, 'web', 'node_modules');
const { launchChromium, openPage, setInputs } = await import('../tests/web/browser.mjs');

const browser = await launchChromium();
try {
  const page = await openPage(browser);
  await page.setViewport({ width: 1400, height: 1000 });
  await setInputs(page, { model: 'physics', kv: '60', angle: '20', al: '2', distance: '1000' });
  await page.click('button[name="pin"]');
  // a mammography tube: molybdenum target and filter
  await setInputs(page, { target: 'Mo', kv: '30', be: '1', 'al-eq': '0', al: '0', filter1: 'Mo.ele', 'filter1-mm': '0.03' });
  await page.click('button[name="pin"]');
  await setInputs(page, { target: 'W', kv: '100', be: '3', 'al-eq': '5', al: '2', filter1: 'Water.mix', 'filter1-mm': '20', 'off-axis': '5' });
  await page.evaluate(() => window.kestrix.plot.cursorTo(119));
  await page.screenshot({ path: resolve(process.argv[3] || join(root, 'docs', 'web_page.png')) });
} finally {
  await browser.close();
}
