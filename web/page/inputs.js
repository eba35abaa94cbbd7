// The inputs: read from the form, checked as kestrix-cli and Python check them, and marked in place.

import { t } from './texts.js';
import { wholeNumber, voltageRange, offAxisRefusal, transmissionRange, transmissionRefusal } from './engine.js';

export const ENTRY_NAMES = ['kv', 'angle', 'be', 'al-eq', 'al', 'cu'];
const SETTING_OF = { kv: 'kv', angle: 'angle', be: 'be', 'al-eq': 'alEq', al: 'al', cu: 'cu' };
const THICKNESSES = ['be', 'al-eq', 'al', 'cu'];
export const FILTER_SLOTS = 3;
/** the inputs of the physics model alone (kestrix-cli refuses them with the formula models) */
export const PHYSICS_ONLY = ['target', 'no-lines', 'target-kind', 'target-layer', 'target-window', 'target-window-mm'];

/** the field (input, select or button) called name in a form or anywhere under root */
export function field(root, name) {
  return root.elements ? root.elements.namedItem(name) : root.querySelector(`[name="${name}"]`);
}

/** {settings, filters, errors: [{name, message}]} of the form; filters [{path, thickness, name}] */
export function readInputs(form, materials) {
  const errors = [];
  const model = field(form, 'model').value;
  const number = (name) => {
    const text = field(form, name).value.trim();
    const value = wholeNumber(text);
    if (value === null) errors.push({ name, message: t('notNumber', text) });
    return value;
  };
  const physics = model === 'physics';
  // the target and the lines count for the physics model only; the formula models compute tungsten with its lines
  const settings = { model, waveform: field(form, 'waveform').value, quantity: field(form, 'quantity').value,
    target: physics ? field(form, 'target').value : 'W', noLines: physics && field(form, 'no-lines').checked };
  // a transmission target: a tungsten layer [um] on a window [mm]; it has no target angle
  const transmission = physics && field(form, 'target-kind').value === 'transmission';
  let layerOk = true;
  if (transmission) {
    settings.targetLayer = field(form, 'target-layer').value.trim();
    settings.targetWindow = field(form, 'target-window').value;
    settings.targetWindowMm = field(form, 'target-window-mm').value.trim();
    for (const [name, message] of [['target-layer', 'layerRange'], ['target-window-mm', 'windowRange']]) {
      const value = number(name);
      if (value !== null && !(value > 0)) errors.push({ name, message: t(message) });
      if (value === null || !(value > 0)) layerOk = false;
    }
    if (settings.target !== 'W') {
      errors.push({ name: 'target', message: t('transmissionTungsten') });
      layerOk = false;
    }
  }
  let angle = null;
  for (const name of ENTRY_NAMES) {
    if (name === 'angle' && transmission) {
      settings.angle = field(form, name).value.trim();  // kept as typed, not read
      continue;
    }
    settings[SETTING_OF[name]] = field(form, name).value.trim();
    const value = number(name);
    if (value === null) continue;
    if (THICKNESSES.includes(name) && value < 0) errors.push({ name, message: t('negative') });
    if (name === 'kv' && transmission) {
      const range = transmissionRange(model);
      if (value < range.min || value > range.max) errors.push({ name, message: t('transmissionRange', range.min, range.max) });
    } else if (name === 'kv') {
      const range = voltageRange(model, settings.target);
      if (value < range.min || value > range.max) {
        errors.push({ name, message: settings.target === 'W' ? t('range', t(model), range.min, range.max)
          : t('rangeTarget', t(model), range.min, range.max, settings.target) });
      }
    }
    if (name === 'angle' && !(value > 0 && value <= 90)) errors.push({ name, message: t('angleRange') });
    else if (name === 'angle') angle = value;
  }
  // the point off the central ray: along and across the anode-cathode axis [degrees]
  settings.offAxis = field(form, 'off-axis').value.trim();
  settings.offAxisAcross = field(form, 'off-axis-across').value.trim();
  const along = number('off-axis');
  const across = number('off-axis-across');
  // a transmission target's point lies behind no surface: only the angles' limits (as at a right target angle)
  const angleOfPoint = transmission ? 90 : angle;
  if (along !== null && across !== null && angleOfPoint !== null) {
    const refused = offAxisRefusal(angleOfPoint, along, across);
    if (refused) {
      errors.push({ name: refused.input === 'across' ? 'off-axis-across' : 'off-axis',
        message: refused.kind === 'range' ? t('offAxisRange', refused.limit) : t('offAxisBehind', angle) });
    }
  }
  // the transmission target as the model judges it at the voltage: a window thinner than the electrons' range in it
  if (transmission && layerOk && !errors.some((e) => e.name === 'kv')) {
    const refused = transmissionRefusal(settings);
    if (refused) errors.push({ name: refused.input, message: refused.reason });
  }
  // the distance counts (and is shown) for the physics model only
  const distanceText = field(form, 'distance').value.trim();
  const distance = wholeNumber(distanceText);
  if (model === 'physics' && distance === null) errors.push({ name: 'distance', message: t('notNumber', distanceText) });
  if (model === 'physics' && distance !== null && !(distance > 0)) errors.push({ name: 'distance', message: t('distanceRange') });
  settings.distance = distance > 0 ? distance : 1000;
  const filters = [];
  for (let k = 1; k <= FILTER_SLOTS; ++k) {
    const choice = field(form, `filter${k}`).value;
    if (!choice) continue;
    const thickness = number(`filter${k}-mm`);
    if (thickness !== null && thickness < 0) errors.push({ name: `filter${k}-mm`, message: t('negative') });
    const material = materials.get(choice);
    if (material) filters.push({ path: material.path, thickness: thickness ?? 0, name: material.name });
  }
  return { settings, filters, errors };
}

/** marks each field with an error (class "invalid", the reason beside it and as its validity), clears the rest */
export function markErrors(form, errors) {
  for (const element of form.querySelectorAll('.invalid')) element.classList.remove('invalid');
  for (const note of form.querySelectorAll('.reason')) note.textContent = '';
  for (const element of form.querySelectorAll('input')) element.setCustomValidity('');
  for (const { name, message } of errors) {
    const element = field(form, name);
    element.classList.add('invalid');
    element.setCustomValidity(message);
    element.setAttribute('aria-invalid', 'true');
    const note = form.querySelector(`.reason[data-for="${name}"]`);
    if (note && !note.textContent) note.textContent = message;
  }
  for (const element of form.querySelectorAll('input:not(.invalid)')) element.removeAttribute('aria-invalid');
}

/** writes entries {kv, angle, be, alEq, al, cu, target} (texts) into the form */
export function writeEntries(form, entries) {
  for (const name of ENTRY_NAMES) {
    const value = entries[SETTING_OF[name]];
    if (value !== undefined) field(form, name).value = value;
  }
  if (entries.target !== undefined) field(form, 'target').value = entries.target;
}

/** a short name of the curve's inputs for the legend */
export function describe(settings, filters) {
  const transmission = !!settings.targetLayer;
  const parts = [`${t(settings.model)}`, `${settings.kv} kV`];
  if (transmission) parts.push(t('transmissionOf', settings.targetLayer, settings.targetWindowMm, settings.targetWindow));
  else parts.push(`${settings.angle}°`);
  if (!transmission && ((settings.target && settings.target !== 'W') || settings.noLines)) parts.push(t('targetOf', settings.target || 'W'));
  if (settings.noLines) parts.push(t('noLinesOf'));
  if (Number(settings.offAxis) || Number(settings.offAxisAcross)) parts.push(t('offAxisOf', settings.offAxis, settings.offAxisAcross || '0'));
  parts.push(t(settings.waveform), `Be ${settings.be}`, `Al eq. ${settings.alEq}`);
  if (Number(settings.al)) parts.push(`Al ${settings.al}`);
  if (Number(settings.cu)) parts.push(`Cu ${settings.cu}`);
  for (const f of filters) parts.push(`${f.name} ${f.thickness}`);
  return `${parts.join(', ')} mm`;
}
