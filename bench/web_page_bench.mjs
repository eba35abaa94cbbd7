// The page in headless Chromium: the median time from an input event to the redrawn plot with all
// figures, per model and waveform, a molybdenum tube and a changed target angle (a benchmark, not a
// test: it prints and asserts nothing).
//   node bench/web_page_bench.mjs [build-web/kestrix.html] [runs per case]
// The time runs from dispatching the input event until the page has recomputed, filled the figures
// and uPlot has drawn the curve (its drawing is deferred to a microtask, which the timing waits for).
import { statSync } from 'node:fs';
import { resolve, dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '..');
process.env.KESTRIX_PAGE = resolve(process.argv[2] || join(root, 'build-web', 'kestrix.html'));
process.env.KESTRIX_WEB_MODULES ||= join(root, 'web', 'node_modules');
const runs = Number(process.argv[3] || 31);
const { launchChromium, openPage, setInputs } = await import('../tests/web/browser.mjs');

const CASES = [];
for (const model of ['tucker', 'birch', 'physics']) {
  for (const waveform of ['constant', '12-peak']) CASES.push({ model, waveform, kv: 200, target: 'W' });
}
CASES.push({ model: 'physics', waveform: 'single-phase', kv: 300, target: 'W', worst: true });
CASES.push({ model: 'physics', waveform: 'constant', kv: 30, target: 'Mo' });
// the target angle changed with every event (as its slider does): the physics model's angular factors anew
CASES.push({ model: 'physics', waveform: 'constant', kv: 200, target: 'W', varied: 'angle' });

const browser = await launchChromium();
try {
  const opened = performance.now();
  const page = await openPage(browser);
  const ready = performance.now() - opened;
  const bytes = statSync(process.env.KESTRIX_PAGE).size;
  console.log(`kestrix.html: ${bytes} bytes (${(bytes / 1e6).toFixed(2)} MB); ready ${ready.toFixed(0)} ms after opening; ${runs} input events per case`);
  console.log('model    target waveform      kV  varied   median ms   min ms   max ms   limit ms');
  for (const c of CASES) {
    await setInputs(page, { model: c.model, target: c.target, waveform: c.waveform, kv: String(c.kv), al: '2', cu: '0', filter1: '' });
    const varied = c.varied ?? 'kv';
    await setInputs(page, { angle: '20' });
    const times = await page.evaluate(async ({ varied, first, runs }) => {
      const form = document.getElementById('inputs');
      const field = form.elements.namedItem(varied);
      const plot = window.kestrix.plot;
      const result = [];
      for (let k = 0; k < runs; ++k) {
        field.value = String(first - (k % 2) * 0.5);  // a new curve each time
        const drawn = new Promise((done) => plot.drawListeners.push(done));
        const start = performance.now();
        field.dispatchEvent(new Event('input', { bubbles: true }));
        await drawn;
        result.push(performance.now() - start);
      }
      return result;
    }, { varied, first: varied === 'kv' ? c.kv : 20, runs });
    times.sort((a, b) => a - b);
    const ms = (v) => v.toFixed(2).padStart(8);
    console.log(`${c.model.padEnd(8)} ${c.target.padEnd(6)} ${c.waveform.padEnd(12)} ${String(c.kv).padStart(4)}  ${varied.padEnd(6)} ${ms(times[times.length >> 1])}    ${ms(times[0])} ${ms(times.at(-1))}   ${c.worst ? 33 : 16}`);
  }
} finally {
  await browser.close();
}
