// The figures of the current curve beside the plot: each value in an element whose data-key is its
// kestrix-cli JSON key, with the digits --json prints; a missing figure shows why.

import { t } from './texts.js';

const ENGINE = ['hvl_al_mm', 'effective_energy_al_keV', 'hvl_cu_mm', 'effective_energy_cu_keV', 'photons_per_mm2_per_Ckg'];
const EXTENDED = ['hvl1_al_mm', 'hvl2_al_mm', 'homogeneity_al', 'hvl1_cu_mm', 'hvl2_cu_mm', 'homogeneity_cu',
  'mean_energy_keV', 'kerma_mean_energy_keV'];
const OUTPUT = ['distance_mm', 'air_kerma_uGy_per_mAs', 'photon_fluence_per_mAs_per_mm2'];
export const GROUPS = [['engineFigures', ENGINE], ['extendedFigures', EXTENDED], ['outputFigures', OUTPUT]];

/** the figures of outcome by key */
export function figureMap(outcome) {
  return new Map(outcome.figures.map((f) => [f.key, f]));
}

/** fills element with the figures of outcome (null: none yet) */
export function renderFigures(element, outcome, model) {
  element.replaceChildren();
  if (!outcome) return;
  const figures = figureMap(outcome);
  for (const [group, keys] of GROUPS) {
    if (group === 'outputFigures' && model !== 'physics') continue;
    const heading = document.createElement('h3');
    heading.textContent = t(group);
    const list = document.createElement('dl');
    for (const key of keys) {
      const figure = figures.get(key);
      if (!figure) continue;
      const label = document.createElement('dt');
      label.textContent = t(key);
      const value = document.createElement('dd');
      value.dataset.key = key;
      value.textContent = figure.text ?? t('none');
      if (figure.text === null) value.title = figure.missing;
      list.append(label, value);
    }
    element.append(heading, list);
  }
}

/** the inputs and every figure as tab-separated lines, for the clipboard */
export function figuresText(description, outcome, model) {
  const lines = [description];
  const figures = figureMap(outcome);
  for (const [group, keys] of GROUPS) {
    if (group === 'outputFigures' && model !== 'physics') continue;
    for (const key of keys) {
      const figure = figures.get(key);
      if (figure) lines.push(`${t(key)}\t${figure.text ?? `${t('none')} (${figure.missing})`}`);
    }
  }
  return `${lines.join('\n')}\n`;
}

/** fills element with a realised quality's published figures beside its beam's (realiseQuality's
 *  comparison; null: none set): one line per figure, its dd's data-key the figure's kestrix-cli JSON
 *  key and the spans in it the keys of its "quality_deviations" entry, with the digits --json prints;
 *  `note`, when given, first (why nothing is compared) */
export function renderDeviations(element, deviations, note) {
  element.replaceChildren();
  if (note) {
    const line = document.createElement('p');
    line.className = 'note';
    line.textContent = note;
    element.append(line);
  }
  if (!deviations?.length) return;
  const heading = document.createElement('h4');
  heading.textContent = t('deviations');
  const list = document.createElement('dl');
  const span = (key, text) => {
    const part = document.createElement('span');
    part.dataset.key = key;
    part.textContent = text;
    return part;
  };
  for (const d of deviations) {
    const label = document.createElement('dt');
    label.textContent = t(d.key);
    const value = document.createElement('dd');
    value.dataset.key = d.key;
    if (d.reached === null) {
      value.append(span('reached', t('none')), ` (${d.missing}), ${t('nominal')} `, span('nominal', d.nominal));
    } else {
      value.append(span('reached', d.reached), `, ${t('nominal')} `, span('nominal', d.nominal),
        d.deviationPercent.startsWith('-') ? ' (' : ' (+', span('deviation_percent', d.deviationPercent), ' %)');
    }
    list.append(label, value);
  }
  element.append(heading, list);
}
