// The page: every valid change of an input recomputes and redraws at once; an invalid one is marked
// in place and the last valid curve stays, marked as such.

import { t, setLanguage, currentLanguage, browserLanguage, applyTexts } from './texts.js';
import * as engine from './engine.js';
import { readInputs, markErrors, writeEntries, describe, field, FILTER_SLOTS, PHYSICS_ONLY } from './inputs.js';
import { renderFigures, renderDeviations, figuresText } from './figures.js';
import { Plot, colorOf } from './plot.js';
import { encodeState, decodeState, sessionText, readSession } from './state.js';

const FORM_FIELDS = ['model', 'kv', 'angle', 'target', 'no-lines', 'off-axis', 'off-axis-across', 'waveform', 'be', 'al-eq',
  'al', 'cu', 'quantity', 'distance', 'filter1', 'filter1-mm', 'filter2', 'filter2-mm', 'filter3', 'filter3-mm',
  'target-kind', 'target-layer', 'target-window', 'target-window-mm'];

const form = document.getElementById('inputs');
const plot = new Plot(document.getElementById('plot'));
const page = {
  materials: new Map(),  // option value -> {path, name, description}
  userFiles: [],         // {key, name, bytes}
  current: null,         // {settings, filters, outcome, label}: the last valid inputs and their run
  quality: null,         // the quality last set: {name, inputs (the form's values it wrote), note, comparison}
  valid: false,
  pins: [],              // {settings, filters, label, color, spectrum, perMas, shown, outcome}
  currentShown: true,
  view: { log: false, perMas: false },
  colors: 0,
};

/** a field's value as the state keeps it: its text, or for a checkbox "1" when checked and "" when not */
function formValues() {
  const values = {};
  for (const name of FORM_FIELDS) {
    const element = field(form, name);
    values[name] = element.type === 'checkbox' ? (element.checked ? '1' : '') : element.value;
  }
  return values;
}

/** writes a state's values into the form; a field the state lacks (one saved before it existed) gets its default */
function setFormValues(values) {
  for (const name of FORM_FIELDS) {
    const element = field(form, name);
    const value = values[name];
    if (element.type === 'checkbox') {
      element.checked = value === undefined ? element.defaultChecked : value === '1';
    } else if (value !== undefined) {
      element.value = value;
    } else if (element.tagName === 'SELECT') {
      if (PHYSICS_ONLY.includes(name)) element.value = [...element.options].find((o) => o.defaultSelected)?.value ?? element.options[0].value;
    } else if (['off-axis', 'off-axis-across', 'target-layer', 'target-window-mm'].includes(name)) {
      element.value = element.defaultValue;
    }
  }
  syncSliders();
}

/** the form's values that make a beam (all but the plotted quantity), as one text to compare */
function qualityInputs() {
  const { quantity, ...beam } = formValues();
  return JSON.stringify(beam);
}

function syncSliders() {
  for (const name of ['kv', 'angle']) {
    const value = engine.wholeNumber(field(form, name).value.trim());
    if (value !== null) field(form, `${name}-slider`).value = value;
  }
}

function status(text, stale) {
  const element = document.getElementById('status');
  element.textContent = text;
  element.classList.toggle('stale', !!stale);
  document.getElementById('figures').classList.toggle('stale', !!stale);
}

/** reads, checks and computes the inputs; returns true when they gave a new curve */
function recompute() {
  const { settings, filters, errors } = readInputs(form, page.materials);
  document.body.classList.toggle('physics', settings.model === 'physics');
  for (const name of PHYSICS_ONLY) field(form, name).disabled = settings.model !== 'physics';
  // a transmission target has no target angle: the angle and its slider are greyed
  const transmission = !!settings.targetLayer;
  document.body.classList.toggle('transmission', settings.model === 'physics' && field(form, 'target-kind').value === 'transmission');
  field(form, 'angle').disabled = transmission;
  field(form, 'angle-slider').disabled = transmission;
  // the slider spans the voltages of the model with its target
  const range = (transmission && engine.transmissionRange(settings.model)) || engine.voltageRange(settings.model, settings.target);
  const slider = field(form, 'kv-slider');
  if (slider.min !== String(range.min) || slider.max !== String(range.max)) {
    [slider.min, slider.max] = [range.min, range.max];
    syncSliders();
  }
  if (!errors.length) {
    const refused = engine.refusal(settings, filters);
    if (refused) errors.push({ name: refused.input === 'filter' ? `filter${refused.filter + 1}-mm` : refused.input === 'alEq' ? 'al-eq' : refused.input, message: refused.reason });
  }
  markErrors(form, errors);
  page.valid = false;
  if (!errors.length) {
    try {
      const outcome = engine.compute(settings, filters);
      page.current = { settings, filters, outcome, label: describe(settings, filters) };
      page.valid = true;
    } catch (error) {
      status(t('runError', error.message), true);
    }
  } else {
    status(t('stale'), true);
  }
  field(document.body, 'pin').disabled = !page.valid;
  if (page.valid) {
    status('', false);
    history.replaceState(null, '', encodeState(currentState()));
  }
  render();
  return page.valid;
}

function currentState() {
  return {
    inputs: formValues(), language: currentLanguage(), log: page.view.log, perMas: page.view.perMas,
    pins: page.pins.map((p) => ({ settings: p.settings, filters: p.filters.map(({ path, thickness, name }) => ({ path, thickness, name })), shown: p.shown })),
  };
}

function curves() {
  const list = page.pins.map((p) => p);
  if (page.current) {
    const o = page.current.outcome;
    list.push({ label: `${t('current')}: ${page.current.label}`, color: '#000', spectrum: o.spectrum, perMas: o.perMas, shown: page.currentShown, current: true });
  }
  return list;
}

function render() {
  const shown = curves();
  plot.draw(shown, page.view);
  const model = page.current?.settings.model;
  renderFigures(document.getElementById('figures'), page.current?.outcome, model);
  // a quality's published figures are compared only while the inputs are those it set
  const quality = page.quality;
  const compared = quality && page.valid && quality.inputs === qualityInputs();
  renderDeviations(document.getElementById('quality-deviations'), compared ? quality.comparison : null,
    quality && !compared ? t('qualityChanged', quality.name) : '');
  document.getElementById('quality-note').textContent = quality
    ? [quality.note, ...(compared ? quality.comparison.map((d) => d.text) : [])].filter(Boolean).join(' — ') : '';
  document.getElementById('corrections').textContent = page.current?.outcome.corrections.length
    ? `${t('corrected')}: ${page.current.outcome.corrections.join(' ')}` : '';
  renderCurveList(shown);
}

function renderCurveList(shown) {
  const list = document.getElementById('curves');
  list.replaceChildren();
  const exportChoice = field(document.body, 'export-curve');
  const chosen = exportChoice.value;
  exportChoice.replaceChildren();
  shown.forEach((curve, k) => {
    const item = document.createElement('li');
    item.classList.toggle('hidden', !curve.shown);
    item.dataset.curve = curve.current ? 'current' : String(k);
    const swatch = document.createElement('span');
    swatch.className = 'swatch';
    swatch.style.background = curve.color;
    const label = document.createElement('span');
    label.className = 'label';
    label.textContent = curve.label;
    const hide = document.createElement('button');
    hide.type = 'button';
    hide.name = 'hide';
    hide.textContent = t(curve.shown ? 'hide' : 'show');
    hide.addEventListener('click', () => {
      if (curve.current) page.currentShown = !page.currentShown; else page.pins[k].shown = !page.pins[k].shown;
      afterCurveChange();
    });
    item.append(swatch, label, hide);
    if (!curve.current) {
      const remove = document.createElement('button');
      remove.type = 'button';
      remove.name = 'remove';
      remove.textContent = t('remove');
      remove.addEventListener('click', () => { page.pins.splice(k, 1); afterCurveChange(); });
      item.append(remove);
    }
    list.append(item);
    const option = document.createElement('option');
    option.value = curve.current ? 'current' : String(k);
    option.textContent = curve.label;
    exportChoice.append(option);
  });
  if ([...exportChoice.options].some((o) => o.value === chosen)) exportChoice.value = chosen;
}

function afterCurveChange() {
  if (page.valid) history.replaceState(null, '', encodeState(currentState()));
  render();
}

/** a pinned curve of settings and filters, or null when they no longer compute */
function pinned(settings, filters, shown) {
  try {
    const outcome = engine.compute(settings, filters);
    return { settings, filters, outcome, label: describe(settings, filters), color: colorOf(page.colors++),
      spectrum: outcome.spectrum, perMas: outcome.perMas, shown: shown !== false };
  } catch {
    return null;
  }
}

function pin() {
  if (!page.valid) return;
  const c = page.current;
  page.pins.push(pinned(c.settings, c.filters, true));
  afterCurveChange();
}

// ---- material filters

function fillMaterialChoices() {
  for (let k = 1; k <= FILTER_SLOTS; ++k) {
    const select = field(form, `filter${k}`);
    const chosen = select.value;
    select.replaceChildren(new Option(t('noFilter'), ''));
    for (const [value, material] of page.materials) select.append(new Option(`${material.name}: ${material.description}`, value));
    select.value = [...select.options].some((o) => o.value === chosen) ? chosen : '';
  }
}

function addUserFile(name, bytes) {
  const { path, description } = engine.addUserFile(name, bytes);
  const key = `user:${page.userFiles.length + 1}:${name}`;
  page.userFiles.push({ key, name, bytes });
  page.materials.set(key, { path, name, description });
  fillMaterialChoices();
  return key;
}

async function openMaterialFile(input) {
  const file = input.files[0];
  if (!file) return;
  const note = form.querySelector('.reason[data-for="material-file"]');
  note.textContent = '';
  input.classList.remove('invalid');
  try {
    const key = addUserFile(file.name, new Uint8Array(await file.arrayBuffer()));
    const free = [1, 2, 3].find((k) => !field(form, `filter${k}`).value);
    if (free) field(form, `filter${free}`).value = key;
    recompute();
  } catch (error) {
    input.classList.add('invalid');
    note.textContent = t('fileError', error.message);
  }
  input.value = '';
}

// ---- quality and fit

function setQuality() {
  const note = document.querySelector('.reason[data-for="quality"]');
  note.textContent = '';
  const { settings, filters, errors } = readInputs(form, page.materials);
  if (errors.length) { note.textContent = t('stale'); return; }
  try {
    // a quality names its tube's target (RQR-M1 to RQR-M4: Mo), which it sets
    const realised = engine.realiseQuality(field(document.body, 'quality').value, { ...settings, target: 'W' }, filters);
    writeEntries(form, realised.entries);
    const keyOf = (path) => [...page.materials].find(([, m]) => m.path === path)?.[0] ?? '';
    for (let k = 1; k <= FILTER_SLOTS; ++k) {
      const f = realised.filters[k - 1];
      field(form, `filter${k}`).value = f ? keyOf(f.path) : '';
      field(form, `filter${k}-mm`).value = f ? String(f.thickness) : '0';
    }
    syncSliders();
    page.quality = { name: field(document.body, 'quality').value, inputs: qualityInputs(),
      note: [realised.quality.description, realised.fit].filter(Boolean).join(' — '), comparison: realised.comparison };
    recompute();
  } catch (error) {
    note.textContent = error.message;
  }
}

function runFit() {
  const note = document.querySelector('.reason[data-for="fit-target"]');
  const target = field(document.body, 'fit-target');
  note.textContent = '';
  target.classList.remove('invalid');
  const value = engine.wholeNumber(target.value.trim());
  if (value === null || !(value > 0)) {
    target.classList.add('invalid');
    note.textContent = value === null ? t('notNumber', target.value) : t('targetRange');
    return;
  }
  const { settings, filters, errors } = readInputs(form, page.materials);
  if (errors.length) { note.textContent = t('stale'); return; }
  try {
    const fitted = engine.fit(settings, filters, { entry: field(document.body, 'fit-entry').value, material: field(document.body, 'fit-material').value, target: value });
    writeEntries(form, fitted.entries);
    document.getElementById('fit-note').textContent = fitted.description;
    recompute();
  } catch (error) {
    note.textContent = error.message;
  }
}

// ---- exports

function download(name, blob) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}

function exportedCurve() {
  const choice = field(document.body, 'export-curve').value;
  return choice === 'current' || choice === '' ? page.current : page.pins[Number(choice)];
}

function exportTable() {
  const curve = exportedCurve();
  if (!curve) return;
  const value = (name) => field(document.body, name).value;
  const options = { separator: value('export-separator'), unit: value('export-unit'), normalisation: value('export-normalisation'),
    energyNotation: value('export-energy-notation'), valueNotation: value('export-value-notation'), header: field(document.body, 'export-header').checked };
  const text = engine.table(curve.settings, curve.filters, options);
  const s = curve.settings;
  const tube = s.target && s.target !== 'W' ? `_${s.target}` : '';
  download(`kestrix_${s.model}${tube}_${s.kv}kV.${options.separator === 'space' ? 'dat' : 'csv'}`, new Blob([text], { type: 'text/csv' }));
}

async function copyFigures() {
  if (!page.current) return;
  const text = figuresText(page.current.label, page.current.outcome, page.current.settings.model);
  try {
    await navigator.clipboard.writeText(text);
  } catch {
    const area = document.createElement('textarea');
    area.value = text;
    document.body.append(area);
    area.select();
    document.execCommand('copy');
    area.remove();
  }
  status(t('copied'), false);
}

function saveSession() {
  const state = currentState();
  download('kestrix-session.json', new Blob([sessionText(state, page.userFiles)], { type: 'application/json' }));
}

async function openSession(input) {
  const file = input.files[0];
  if (!file) return;
  const note = document.querySelector('.reason[data-for="session-file"]');
  note.textContent = '';
  try {
    const { state, files } = readSession(await file.text());
    const renamed = new Map();
    for (const f of files) {
      const { path } = engine.addUserFile(f.name, f.bytes);
      const key = `user:${page.userFiles.length + 1}:${f.name}`;
      page.userFiles.push({ key, name: f.name, bytes: f.bytes });
      page.materials.set(key, { path, name: f.name, description: engine.filterDescriptions([{ path, thickness: 0 }])[0] });
      renamed.set(f.name, { key, path });
    }
    fillMaterialChoices();
    // a user's file in the session is known by its name; its path here is new
    const inputs = { ...state.inputs };
    for (let k = 1; k <= FILTER_SLOTS; ++k) {
      const value = inputs[`filter${k}`] || '';
      if (value.startsWith('user:')) inputs[`filter${k}`] = renamed.get(value.split(':').slice(2).join(':'))?.key ?? '';
    }
    for (const p of state.pins) {
      for (const f of p.filters || []) if (f.path.startsWith('/user/')) f.path = renamed.get(f.name)?.path ?? f.path;
    }
    applyState({ ...state, inputs });
  } catch (error) {
    note.textContent = t('sessionError', error.message);
  }
  input.value = '';
}

// ---- state

function applyState(state) {
  if (state.language) setLanguage(state.language);
  page.view = { log: !!state.log, perMas: !!state.perMas };
  field(document.body, 'log').checked = page.view.log;
  field(document.body, 'permas').checked = page.view.perMas;
  setFormValues(state.inputs || {});
  page.pins = (state.pins || []).map((p) => pinned(p.settings, (p.filters || []).map((f) => ({ ...f })), p.shown)).filter(Boolean);
  relabel();
}

/** the texts of the chosen language everywhere, the curves' labels included */
function relabel() {
  applyTexts(document);
  field(document.body, 'lang').value = currentLanguage();
  fillMaterialChoices();
  for (const p of page.pins) p.label = describe(p.settings, p.filters);
  plot.shape = '';
  recompute();
}

async function start() {
  await engine.startEngine();
  for (const name of engine.deliveredMaterials()) {
    const path = `/data/${name}`;
    page.materials.set(name, { path, name, description: engine.filterDescriptions([{ path, thickness: 0 }])[0] });
  }
  const qualities = field(document.body, 'quality');
  // a quality of another target than tungsten names it: "RQR-M2 (IEC 61267, 28 kV, Mo)"
  for (const q of engine.qualities()) {
    qualities.append(new Option(`${q.name} (${q.standard}, ${q.kv} kV${q.target === 'W' ? '' : `, ${q.target}`})`, q.name));
  }
  setLanguage(browserLanguage(navigator.languages));
  fillMaterialChoices();
  form.addEventListener('input', (event) => {
    const name = event.target.name;
    if (name === 'kv-slider' || name === 'angle-slider') field(form, name.replace('-slider', '')).value = event.target.value;
    else if (name === 'kv' || name === 'angle') syncSliders();
    if (name !== 'material-file') recompute();
  });
  form.addEventListener('change', (event) => {
    if (event.target.name === 'material-file') openMaterialFile(event.target);
    else if (event.target.tagName === 'SELECT') recompute();
  });
  const on = (name, type, handler) => field(document.body, name).addEventListener(type, handler);
  on('lang', 'change', (event) => { setLanguage(event.target.value); relabel(); });
  on('pin', 'click', pin);
  on('log', 'change', (event) => { page.view.log = event.target.checked; afterCurveChange(); });
  on('permas', 'change', (event) => { page.view.perMas = event.target.checked; afterCurveChange(); });
  on('reset-zoom', 'click', () => plot.resetZoom());
  on('set-quality', 'click', setQuality);
  on('fit', 'click', runFit);
  on('export-table', 'click', exportTable);
  on('export-png', 'click', async () => download('kestrix.png', await plot.png()));
  on('export-svg', 'click', () => download('kestrix.svg', new Blob([plot.svg()], { type: 'image/svg+xml' })));
  on('copy-figures', 'click', copyFigures);
  on('save-session', 'click', saveSession);
  on('session-file', 'change', (event) => openSession(event.target));
  const saved = decodeState(location.hash);
  if (saved) applyState(saved); else relabel();
  window.kestrix = { page, plot, recompute, ready: true };
  document.body.dataset.ready = 'true';
}

start().catch((error) => status(String(error?.message ?? error), true));
