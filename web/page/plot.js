// The plot (uPlot, inlined as the global uPlot): the current curve and the pinned ones, each to its
// own peak or, for the physics model, per mAs on one scale; linear or logarithmic value axis, zoom
// by dragging, the cursor by mouse or arrow keys; the picture as PNG and SVG.

/* global uPlot */
import { t } from './texts.js';

const COLORS = ['#d62728', '#1f77b4', '#2ca02c', '#9467bd', '#ff7f0e', '#8c564b', '#e377c2', '#17becf', '#7f7f7f', '#bcbd22'];
/** the smallest value shown on a logarithmic axis, relative to the curve's peak */
const LOG_RANGE = 1e-6;
/** photon energies of bins 1..count [keV]: 600 bins to 300 keV, up to 1000 for a beam above 300 kV */
export function energiesTo(count) { return Float64Array.from({ length: count }, (_, k) => (k + 1) / 2); }
export const ENERGIES = energiesTo(600);

export function colorOf(index) { return COLORS[index % COLORS.length]; }

/** a tick or cursor value: at most four significant digits, powers of ten in exponent form */
export function tickText(value) {
  if (value === null || value === undefined || !Number.isFinite(value)) return '';
  if (value !== 0 && (Math.abs(value) >= 1e5 || Math.abs(value) < 1e-3)) return value.toExponential(2).replace(/\.?0+e/, 'e');
  return String(Number(value.toPrecision(4)));
}

export class Plot {
  constructor(element) {
    this.element = element;
    this.view = { log: false, perMas: false };
    this.curves = [];  // {label, color, spectrum, perMas, shown}
    this.chart = null;
    this.energies = ENERGIES;  // the energy axis: as long as the longest curve
    this.shape = '';
    this.drawListeners = [];  // called once after the next drawing (the benchmark waits for it)
    element.tabIndex = 0;
    element.addEventListener('keydown', (event) => this.key(event));
    new ResizeObserver(() => this.fit()).observe(element);
  }

  /** the y values of curve in the current view; on a logarithmic axis, values below a millionth
   * of the curve's peak (zeros, and the nearly absorbed ends) are gaps */
  values(curve) {
    const count = this.energies.length;
    const source = this.view.perMas ? curve.perMas : curve.spectrum;
    if (!source) return Array(count).fill(null);
    // a curve that ends below the axis's end has no photons there
    const padded = Array.from({ length: count }, (_, k) => (k < source.length ? source[k] : 0));
    if (!this.view.log) return padded;
    const least = Math.max(...source) * LOG_RANGE;
    return padded.map((v) => (v >= least && v > 0 ? v : null));
  }

  /** draws curves; the chart is made anew only when the series or the view change */
  draw(curves, view) {
    this.curves = curves;
    this.view = { ...view };
    const lengths = curves.map((c) => (this.view.perMas ? c.perMas : c.spectrum)?.length || 0);
    const count = Math.max(ENERGIES.length, ...lengths);
    if (count !== this.energies.length) this.energies = energiesTo(count);
    const data = [this.energies, ...curves.map((c) => this.values(c))];
    // the current curve's label changes with every input: it is written into the legend, not a new chart
    const shape = JSON.stringify([this.view, count, curves.map((c) => [c.current ? '' : c.label, c.color, c.shown]), document.documentElement.lang]);
    if (this.chart && shape === this.shape) {
      curves.forEach((c, k) => {
        if (this.chart.series[k + 1].label === c.label) return;
        this.chart.series[k + 1].label = c.label;
        const cell = this.chart.root.querySelectorAll('.u-legend .u-series .u-label')[k + 1];
        if (cell) cell.textContent = c.label;
      });
      // new data rescale both axes; a zoomed energy range stays as it was
      const { min, max } = this.chart.scales.x;
      this.chart.setData(data);
      if (min > this.energies[0] || max < this.energies[this.energies.length - 1]) this.chart.setScale('x', { min, max });
      return;
    }
    this.shape = shape;
    const zoom = this.chart ? { min: this.chart.scales.x.min, max: this.chart.scales.x.max } : null;
    this.chart?.destroy();
    const { width, height } = this.size();
    this.chart = new uPlot({
      width, height,
      scales: { x: { time: false }, y: { distr: this.view.log ? 3 : 1 } },
      axes: [
        { label: t('energyAxis'), values: (u, splits) => splits.map(tickText) },
        { label: t(this.view.perMas ? 'perMasAxis' : 'relativeAxis'), values: (u, splits) => splits.map(tickText), size: 70 },
      ],
      series: [
        { label: 'keV', value: (u, v) => tickText(v) },
        ...curves.map((c) => ({ label: c.label, stroke: c.color, width: 1.5, show: c.shown, points: { show: false },
          value: (u, v) => tickText(v) })),
      ],
      cursor: { drag: { x: true, y: false }, points: { size: 6 } },
      legend: { live: true },
      hooks: { draw: [() => this.drawn()] },
    }, data, this.element);
    if (zoom && zoom.min !== null) this.chart.setScale('x', zoom);
  }

  drawn() {
    const listeners = this.drawListeners;
    this.drawListeners = [];
    for (const listener of listeners) listener();
  }

  size() {
    const width = Math.max(320, this.element.clientWidth || 640);
    return { width, height: Math.max(240, Math.round(width * 0.55)) };
  }

  fit() {
    if (this.chart) this.chart.setSize(this.size());
  }

  resetZoom() {
    if (this.chart) this.chart.setScale('x', { min: this.energies[0], max: this.energies[this.energies.length - 1] });
  }

  /** the x range shown [keV] */
  xRange() { return this.chart ? [this.chart.scales.x.min, this.chart.scales.x.max] : [0, 0]; }

  /** moves the cursor to grid index (0 to the axis's last) */
  cursorTo(index) {
    if (!this.chart) return;
    const i = Math.max(0, Math.min(this.energies.length - 1, index));
    this.chart.setCursor({ left: this.chart.valToPos(this.energies[i], 'x'), top: this.chart.cursor.top > 0 ? this.chart.cursor.top : 10 });
  }

  key(event) {
    if (event.key !== 'ArrowLeft' && event.key !== 'ArrowRight') return;
    event.preventDefault();
    const index = this.chart?.cursor.idx ?? 0;
    this.cursorTo(index + (event.key === 'ArrowRight' ? 1 : -1));
  }

  /** the values of every curve at the cursor: {energy, values} */
  cursorValues() {
    const index = this.chart?.cursor.idx;
    if (index === null || index === undefined) return null;
    return { energy: this.energies[index], values: this.chart.data.slice(1).map((s) => s[index]) };
  }

  /** the plot with its legend as a PNG blob */
  png() {
    const source = this.chart.ctx.canvas;
    const scale = source.width / this.chart.width;
    const lineHeight = 18 * scale;
    const canvas = document.createElement('canvas');
    canvas.width = source.width;
    canvas.height = source.height + lineHeight * (this.curves.length + 1);
    const ctx = canvas.getContext('2d');
    ctx.fillStyle = '#fff';
    ctx.fillRect(0, 0, canvas.width, canvas.height);
    ctx.drawImage(source, 0, 0);
    ctx.font = `${12 * scale}px sans-serif`;
    this.curves.forEach((c, k) => {
      const y = source.height + lineHeight * (k + 1);
      ctx.fillStyle = c.color;
      ctx.fillRect(10 * scale, y - 9 * scale, 20 * scale, 3 * scale);
      ctx.fillStyle = c.shown ? '#000' : '#999';
      ctx.fillText(c.label, 36 * scale, y);
    });
    return new Promise((resolve) => canvas.toBlob(resolve, 'image/png'));
  }

  /** the plot as SVG text: axes with their ticks, every shown curve as a polyline, the legend */
  svg() {
    const u = this.chart;
    const width = u.width, height = u.height;
    const left = u.bbox.left / devicePixelRatio, top = u.bbox.top / devicePixelRatio;
    const w = u.bbox.width / devicePixelRatio, h = u.bbox.height / devicePixelRatio;
    const escape = (s) => String(s).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
    const parts = [`<svg xmlns="http://www.w3.org/2000/svg" width="${width}" height="${height + 18 * (this.curves.length + 1)}" font-family="sans-serif" font-size="12">`,
      `<rect width="100%" height="100%" fill="#fff"/>`,
      `<rect x="${left}" y="${top}" width="${w}" height="${h}" fill="none" stroke="#000"/>`];
    const xs = u.axes[0]._splits || [], ys = u.axes[1]._splits || [];
    for (const x of xs) {
      const px = u.valToPos(x, 'x');
      parts.push(`<line x1="${left + px}" y1="${top + h}" x2="${left + px}" y2="${top + h + 5}" stroke="#000"/>`,
        `<text x="${left + px}" y="${top + h + 18}" text-anchor="middle">${escape(tickText(x))}</text>`);
    }
    for (const y of ys) {
      const py = u.valToPos(y, 'y');
      parts.push(`<line x1="${left - 5}" y1="${top + py}" x2="${left}" y2="${top + py}" stroke="#000"/>`,
        `<text x="${left - 8}" y="${top + py + 4}" text-anchor="end">${escape(tickText(y))}</text>`);
    }
    parts.push(`<text x="${left + w / 2}" y="${top + h + 36}" text-anchor="middle">${escape(t('energyAxis'))}</text>`);
    parts.push(`<clipPath id="area"><rect x="${left}" y="${top}" width="${w}" height="${h}"/></clipPath>`);
    this.curves.forEach((c, k) => {
      if (!c.shown) return;
      const values = u.data[k + 1];
      const segments = [];
      let points = [];
      values.forEach((v, i) => {
        if (v === null || v === undefined) {
          if (points.length) segments.push(points);
          points = [];
          return;
        }
        points.push(`${(left + u.valToPos(this.energies[i], 'x')).toFixed(2)},${(top + u.valToPos(v, 'y')).toFixed(2)}`);
      });
      if (points.length) segments.push(points);
      for (const s of segments) {
        parts.push(`<polyline clip-path="url(#area)" fill="none" stroke="${c.color}" stroke-width="1.5" points="${s.join(' ')}"/>`);
      }
    });
    this.curves.forEach((c, k) => {
      const y = height + 18 * (k + 1);
      parts.push(`<line x1="10" y1="${y - 4}" x2="30" y2="${y - 4}" stroke="${c.color}" stroke-width="3"/>`,
        `<text x="36" y="${y}">${escape(c.label)}</text>`);
    });
    parts.push('</svg>');
    return `${parts.join('\n')}\n`;
  }
}
