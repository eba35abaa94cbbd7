// The plot: pinned curves overlay the current one and can be hidden and removed; the logarithmic
// axis, zoom and its reset, the cursor by arrow keys; the picture downloaded as PNG and SVG.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { launchChromium, openPage, setInputs, downloadsOf } from './browser.mjs';

let browser, page, downloads;
before(async () => {
  browser = await launchChromium();
  page = await openPage(browser);
  downloads = await downloadsOf(page);
});
after(async () => { downloads?.remove(); await browser?.close(); });

const curveCount = () => page.$$eval('#curves li', (items) => items.length);
const seriesShown = () => page.evaluate(() => window.kestrix.plot.chart.series.slice(1).map((s) => s.show));

test('pinned curves overlay the current one, each hidden and removed on its own', async () => {
  await setInputs(page, { model: 'tucker', kv: '100', al: '2' });
  await page.click('button[name="pin"]');
  await setInputs(page, { kv: '200' });
  await page.click('button[name="pin"]');
  await setInputs(page, { kv: '150' });
  assert.equal(await curveCount(), 3);
  const labels = await page.$$eval('#curves li .label', (items) => items.map((i) => i.textContent));
  assert.match(labels[0], /100 kV/);
  assert.match(labels[1], /200 kV/);
  assert.match(labels[2], /150 kV/);
  assert.deepEqual(await seriesShown(), [true, true, true]);

  await page.click('#curves li[data-curve="0"] button[name="hide"]');
  assert.deepEqual(await seriesShown(), [false, true, true]);
  await page.click('#curves li[data-curve="0"] button[name="hide"]');
  assert.deepEqual(await seriesShown(), [true, true, true]);

  await page.click('#curves li[data-curve="0"] button[name="remove"]');
  assert.equal(await curveCount(), 2);
  assert.match(await page.$eval('#curves li .label', (i) => i.textContent), /200 kV/);
  await page.click('#curves li[data-curve="0"] button[name="remove"]');
  assert.equal(await curveCount(), 1);
});

test('every valid change redraws the current curve with its new values at once', async () => {
  await setInputs(page, { model: 'tucker', kv: '100', al: '2' });
  const drawn = page.evaluate(() => new Promise((done) => window.kestrix.plot.drawListeners.push(() => done(true))));
  await setInputs(page, { kv: '150' });
  assert.equal(await drawn, true);
  const current = await page.evaluate(() => Array.from(window.kestrix.plot.chart.data.at(-1)));
  assert.ok(current[250] > 0, 'the 150 kV curve reaches 125.5 keV');
  assert.ok(current.slice(300).every((v) => v === 0), 'and ends at 150 keV');
  assert.equal(Math.max(...current), 1);
});

test('the logarithmic axis leaves out zeros and keeps numbers on the axis', async () => {
  await setInputs(page, { model: 'birch', kv: '80', al: '1' });
  await page.click('input[name="log"]');
  const view = await page.evaluate(() => {
    const chart = window.kestrix.plot.chart;
    return { distr: chart.scales.y.distr, data: chart.data[1], min: chart.scales.y.min, ticks: chart.axes[1]._values };
  });
  assert.equal(view.distr, 3);
  assert.ok(view.data.every((v) => v === null || v > 0));
  assert.ok(view.data.slice(170).every((v) => v === null), 'no values above 80 keV');
  assert.ok(view.min > 0);
  assert.ok(view.ticks.some((text) => text !== ''), 'the axis has numbers');
  await page.click('input[name="log"]');
  assert.equal(await page.evaluate(() => window.kestrix.plot.chart.scales.y.distr), 1);
});

test('per mAs the physics curves share one scale that follows the distance; relative curves leave it', async () => {
  await page.evaluate(() => { for (const b of document.querySelectorAll('#curves button[name="remove"]')) b.click(); });
  await setInputs(page, { model: 'tucker', kv: '100', al: '2', distance: '1000' });
  await page.click('button[name="pin"]');
  await setInputs(page, { model: 'physics' });
  await page.click('input[name="permas"]');
  const view = () => page.evaluate(() => ({
    data: window.kestrix.plot.chart.data.slice(1).map((s) => Array.from(s)),
    perMas: Array.from(window.kestrix.page.current.outcome.perMas),
  }));
  const far = await view();
  assert.ok(far.data[0].every((v) => v === null), 'the Tucker curve has no output per mAs');
  assert.deepEqual(far.data[1], far.perMas);
  assert.ok(Math.max(...far.perMas) > 1000, 'photons per keV per mm2 per mAs');
  await setInputs(page, { distance: '500' });
  const near = await view();
  near.perMas.forEach((v, k) => assert.ok(Math.abs(v - 4 * far.perMas[k]) <= 1e-8 * v + 1e-300));
  await page.click('input[name="permas"]');
  await page.click('#curves li[data-curve="0"] button[name="remove"]');
});

test('zoom shows an energy range and reset shows the whole grid again', async () => {
  await page.evaluate(() => window.kestrix.plot.chart.setScale('x', { min: 20, max: 40 }));
  assert.deepEqual(await page.evaluate(() => window.kestrix.plot.xRange()), [20, 40]);
  await setInputs(page, { kv: '81' });
  assert.deepEqual(await page.evaluate(() => window.kestrix.plot.xRange()), [20, 40], 'a recomputation keeps the zoom');
  await page.click('button[name="reset-zoom"]');
  assert.deepEqual(await page.evaluate(() => window.kestrix.plot.xRange()), [0.5, 300]);
});

test('the arrow keys move the cursor one bin and it reads every curve', async () => {
  await page.click('button[name="pin"]');
  await page.evaluate(() => window.kestrix.plot.cursorTo(99));
  await page.focus('#plot');
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('ArrowLeft');
  const reading = await page.evaluate(() => window.kestrix.plot.cursorValues());
  assert.equal(reading.energy, 50.5);
  assert.equal(reading.values.length, 2);
  assert.ok(reading.values.every((v) => v > 0 && v <= 1));
  const legend = await page.$$eval('.u-legend .u-value', (cells) => cells.map((c) => c.textContent));
  assert.equal(legend[0], '50.5');
});

test('the picture downloads as a PNG of the plot and as an SVG with every shown curve', async () => {
  await page.click('button[name="export-png"]');
  const png = await downloads.next();
  assert.equal(png.name, 'kestrix.png');
  assert.deepEqual([...png.bytes.subarray(0, 8)], [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);
  const width = png.bytes.readUInt32BE(16), height = png.bytes.readUInt32BE(20);
  assert.ok(width >= 320 && height >= 240, `${width} x ${height}`);

  await page.click('button[name="export-svg"]');
  const svg = await downloads.next();
  const text = svg.bytes.toString('utf8');
  assert.match(text, /^<svg xmlns="http:\/\/www.w3.org\/2000\/svg"/);
  assert.equal((text.match(/<polyline/g) || []).length, 2);
  assert.match(text, /81 kV/);
  assert.deepEqual(page.errors, []);
});
