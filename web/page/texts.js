// The page's words in English and Japanese (the Japanese as the desktop program words them), and
// the language in use: the browser's unless the user chose one.

const TEXTS = {
  en: {
    title: 'Kestrix: X-ray tube spectra',
    heading: 'Kestrix',
    subtitle: 'Spectra of X-ray tubes (tungsten; molybdenum, rhodium, silver and gold with the physics model), computed in this page as you type',
    language: 'Language',
    conditions: 'Conditions',
    model: 'Model', tucker: "Tucker's formula", birch: "Birch's formula", physics: 'Physics model',
    kv: 'Tube voltage [kV]', angle: 'Target angle [degrees]',
    target: 'Target material (physics model)', W: 'Tungsten (W)', Mo: 'Molybdenum (Mo)', Rh: 'Rhodium (Rh)', Ag: 'Silver (Ag)', Au: 'Gold (Au)',
    'no-lines': 'Bremsstrahlung alone (no characteristic lines; physics model)',
    'off-axis': 'Off axis, along the anode-cathode axis [degrees] (+ towards the cathode)',
    'off-axis-across': 'Off axis, across the anode-cathode axis [degrees]',
    targetOf: '{0} target', noLinesOf: 'no lines', offAxisOf: 'off axis {0}° along, {1}° across',
    'target-kind': 'Target (physics model)', reflection: 'Reflection target (at the target angle)',
    transmission: 'Transmission target (a tungsten layer on the exit window)',
    'target-layer': 'Tungsten layer [µm]', 'target-window': 'Window under the layer', 'target-window-mm': 'Window thickness [mm]',
    diamond: 'Diamond', Be: 'Beryllium (Be)', Al: 'Aluminium (Al)',
    transmissionOf: 'W transmission target, {0} µm on {1} mm {2}',
    transmissionRange: 'A transmission target is computed from {0} to {1} kV.',
    transmissionTungsten: "A transmission target's layer is tungsten (W).",
    layerRange: 'The tungsten layer must be a number of µm above 0.',
    windowRange: 'The window must be a number of mm above 0.',
    waveform: 'Waveform', constant: 'Constant potential', '12-peak': 'Three-phase 12-peak', 'single-phase': 'Single-phase full-wave',
    be: 'Inherent filtration, Be [mm]', 'al-eq': 'Inherent filtration, Al eq. [mm]', al: 'Added Al [mm]', cu: 'Added Cu [mm]',
    filters: 'Material filters (up to three)', noFilter: '(none)', openFile: 'Own file…', thickness: 'mm',
    quantity: 'Quantity', photon: 'Photon number', exposure: 'Exposure', energy: 'Energy',
    distance: 'Distance of the output per mAs [mm]',
    curves: 'Curves', pin: 'Pin this curve', current: 'current', hide: 'Hide', show: 'Show', remove: 'Remove',
    logAxis: 'Logarithmic value axis', resetZoom: 'Reset zoom', perMas: 'Physics model per mAs on one scale',
    energyAxis: 'Photon energy [keV]', relativeAxis: 'Relative value (each curve to its peak)', perMasAxis: 'Photons per keV per mm² per mAs',
    figures: 'Figures', engineFigures: 'Engine (as Quillon writes them)', extendedFigures: 'Extended figures', outputFigures: 'Output per mAs',
    quality: 'Standard quality', setQuality: 'Set', fit: 'Filtration from a measured HVL', fitEntry: 'Entry', fitMaterial: 'HVL of',
    deviations: 'Published figures of the quality beside the beam', nominal: 'nominal',
    qualityChanged: 'The inputs changed after the quality {0} was set: its published figures are not compared.',
    fitTarget: 'Measured HVL1 [mm]', fitRun: 'Fit', aluminium: 'aluminium', copper: 'copper',
    exports: 'Export', csv: 'Table', png: 'PNG', svg: 'SVG', copy: 'Copy figures', session: 'Session', saveSession: 'Save', openSession: 'Open…',
    separator: 'Separator', comma: 'comma (csv)', space: 'space (dat)', unit: 'Energy unit', normalisation: 'Normalisation',
    max: 'peak 1', total: 'total 1', notation: 'Numbers', values: 'values', plain: 'plain', exp: 'exponential', header: 'Describing header',
    stale: 'Invalid input: the plot and the figures show the last valid inputs.', corrected: 'Corrected',
    copied: 'Figures copied to the clipboard.', cursorAt: 'at {0} keV',
    none: 'none',
    notNumber: '"{0}" is not a number.',
    negative: 'A thickness cannot be negative (0 mm or more).',
    range: 'The {0} computes {1} to {2} kV.',
    rangeTarget: 'The {0} computes {1} to {2} kV with a {3} target.',
    offAxisRange: 'An off-axis angle must lie between -{0} and {0} degrees.',
    offAxisBehind: 'The point lies behind the target surface: the angle along the axis must be above -{0} degrees (minus the target angle).',
    angleRange: 'The target angle must be above 0 and at most 90 degrees.',
    distanceRange: 'The distance must be a positive number of mm.',
    targetRange: 'The measured layer must be a positive number of mm.',
    fileError: 'The file cannot be read: {0}',
    sessionError: 'The session file cannot be read: {0}',
    runError: 'No spectrum for these inputs: {0}',
    hvl_al_mm: 'HVL1 Al [mm]', effective_energy_al_keV: 'Effective energy Al [keV]', hvl_cu_mm: 'HVL1 Cu [mm]',
    effective_energy_cu_keV: 'Effective energy Cu [keV]', photons_per_mm2_per_Ckg: 'Photons per mm² per C/kg',
    hvl1_al_mm: 'HVL1 Al, transmission curve [mm]', hvl2_al_mm: 'HVL2 Al [mm]', homogeneity_al: 'Homogeneity Al (HVL1/HVL2)',
    hvl1_cu_mm: 'HVL1 Cu, transmission curve [mm]', hvl2_cu_mm: 'HVL2 Cu [mm]', homogeneity_cu: 'Homogeneity Cu (HVL1/HVL2)',
    mean_energy_keV: 'Mean energy, fluence-weighted [keV]', kerma_mean_energy_keV: 'Mean energy, air-kerma-weighted [keV]',
    distance_mm: 'Distance [mm]', air_kerma_uGy_per_mAs: 'Air kerma per mAs [µGy]', photon_fluence_per_mAs_per_mm2: 'Photon fluence per mAs [1/mm²]',
  },
  ja: {
    title: 'Kestrix: 中エネルギー Ｘ線スペクトルの計算',
    heading: 'Kestrix',
    subtitle: '産業・工業・研究用Ｘ線管から放射される中エネルギー (300 kVまで) Ｘ線スペクトルの計算',
    language: '言語',
    conditions: '照 射 条 件',
    model: 'モデル', tucker: 'Tucker 式', birch: 'Birch 式', physics: '物理モデル',
    kv: 'Ｘ線管電圧 (kV)', angle: 'ターゲット角度 (度)',
    target: 'ターゲット材質 (物理モデル)', W: 'タングステン (W)', Mo: 'モリブデン (Mo)', Rh: 'ロジウム (Rh)', Ag: '銀 (Ag)', Au: '金 (Au)',
    'no-lines': '制動放射のみ (特性Ｘ線なし、物理モデル)',
    'off-axis': '中心軸からの角度、陽極-陰極方向 (度) (陰極側が正)',
    'off-axis-across': '中心軸からの角度、陽極-陰極軸に直交する方向 (度)',
    targetOf: '{0} ターゲット', noLinesOf: '特性Ｘ線なし', offAxisOf: '中心軸外 陽極-陰極方向 {0}°、直交方向 {1}°',
    'target-kind': 'ターゲットの種類 (物理モデル)', reflection: '反射ターゲット (ターゲット角度)',
    transmission: '透過ターゲット (窓の上のタングステン層)',
    'target-layer': 'タングステン層 (µm)', 'target-window': '層を載せた窓', 'target-window-mm': '窓の厚さ (mm)',
    diamond: 'ダイヤモンド', Be: 'ベリリウム (Be)', Al: 'アルミニウム (Al)',
    transmissionOf: 'W 透過ターゲット 層 {0} µm、窓 {2} {1} mm',
    transmissionRange: '透過ターゲットは {0}～{1} kV で計算します。',
    transmissionTungsten: '透過ターゲットの層はタングステン (W) です。',
    layerRange: 'タングステン層には 0 より大きい µm の数を入力して下さい。',
    windowRange: '窓の厚さには 0 より大きい mm の数を入力して下さい。',
    waveform: '整流方式', constant: '定電圧', '12-peak': '三相12ピーク', 'single-phase': '単相全波',
    be: '固有ろ過 (ベリリウム) (mm)', 'al-eq': '固有ろ過 (アルミ当量) (mm)', al: 'アルミ付加フィルタ (mm)', cu: '銅付加フィルタ (mm)',
    filters: '任意材質フィルタ（最大３種類）', noFilter: '(なし)', openFile: 'ファイルを開く…', thickness: 'mm',
    quantity: '表示', photon: '光子数', exposure: '照射線量', energy: 'エネルギー',
    distance: '空気カーマの距離 (mm)',
    curves: 'スペクトル表示', pin: 'この曲線を残す', current: '現在', hide: '隠す', show: '表示', remove: '削除',
    logAxis: '対数目盛', resetZoom: '拡大を戻す', perMas: '物理モデルを 1 mAs あたりで同じ目盛に',
    energyAxis: '光子エネルギー (keV)', relativeAxis: '相対値 (各曲線の最大値を 1)', perMasAxis: '光子数 / (keV mm² mAs)',
    figures: '線質', engineFigures: '半価層の計算 (Quillon) と同じ値', extendedFigures: '透過曲線からの値', outputFigures: '1 mAs あたりの出力',
    quality: '標準線質', setQuality: '標準線質を入力欄に設定', fit: '測定した第1半価層からろ過を求める', fitEntry: '厚さを求める欄',
    deviations: '規格の公称値と計算値の比較', nominal: '公称',
    qualityChanged: '線質 {0} を設定した後に入力が変わったため、公称値とは比べません。',
    fitMaterial: '半価層の材質', fitTarget: '測定した第1半価層 (mm)', fitRun: '求めて設定', aluminium: 'アルミニウム', copper: '銅',
    exports: 'データ保存', csv: '表', png: 'PNG', svg: 'SVG', copy: 'クリップボードにコピー', session: 'セッション', saveSession: '保存', openSession: '開く…',
    separator: 'データ区切り', comma: 'カンマ区切り (拡張子 csv)', space: 'スペース区切り (拡張子 dat)', unit: '光子エネルギー単位',
    normalisation: '正規化', max: '最大値を 1 として正規化', total: '全光子数を 1 として正規化', notation: '数値表示形式', values: '相対値',
    plain: '実数表示', exp: '指数表示', header: '条件の見出し行',
    stale: '入力された条件では計算できません。グラフと値は前回の計算のものです。', corrected: '補正',
    copied: 'クリップボードにコピーしました。', cursorAt: '{0} keV',
    none: 'なし',
    notNumber: '「{0}」は数値ではありません。',
    negative: '負の値は入力できません。0 以上の値を入力して下さい。',
    range: '{0}は {1}～{2} kV を計算します。',
    rangeTarget: '{0}は {3} ターゲットでは {1}～{2} kV を計算します。',
    offAxisRange: '中心軸からの角度は -{0}～{0} 度の範囲で入力して下さい。',
    offAxisBehind: 'この点はターゲット面の裏側になります。陽極-陰極方向の角度には -{0} 度 (ターゲット角度の負の値) より大きい角度を入力して下さい。',
    angleRange: 'ターゲット角度は 0 度より大きく 90 度以下の角度を入力して下さい。',
    distanceRange: '空気カーマの距離 (mm) には正の数を入力して下さい',
    targetRange: '「測定した第1半価層」には正の数 (mm) を入力して下さい。',
    fileError: '材質ファイルを読み込めません。{0}',
    sessionError: 'セッションファイルを読み込めません。{0}',
    runError: 'スペクトルを計算できません。{0}',
    hvl_al_mm: '第1半価層 (Al) (mm)', effective_energy_al_keV: '実効エネルギー (Al) (keV)', hvl_cu_mm: '第1半価層 (Cu) (mm)',
    effective_energy_cu_keV: '実効エネルギー (Cu) (keV)', photons_per_mm2_per_Ckg: '光子フルエンス (照射線量 1 C/kg あたり) (光子/mm²)',
    hvl1_al_mm: '第1半価層 (Al, 透過曲線) (mm)', hvl2_al_mm: '第2半価層 (Al) (mm)', homogeneity_al: '均等度 (Al, HVL1/HVL2)',
    hvl1_cu_mm: '第1半価層 (Cu, 透過曲線) (mm)', hvl2_cu_mm: '第2半価層 (Cu) (mm)', homogeneity_cu: '均等度 (Cu, HVL1/HVL2)',
    mean_energy_keV: '平均エネルギー (フルエンス加重) (keV)', kerma_mean_energy_keV: '平均エネルギー (空気カーマ加重) (keV)',
    distance_mm: '空気カーマの距離 (mm)', air_kerma_uGy_per_mAs: '空気カーマ (1 mAs あたり) (µGy)', photon_fluence_per_mAs_per_mm2: '光子フルエンス (1 mAs あたり) (1/mm²)',
  },
};

let language = 'en';

/** "ja" when the browser prefers Japanese, else "en" */
export function browserLanguage(languages) {
  return (languages || []).some((l) => String(l).toLowerCase().startsWith('ja')) ? 'ja' : 'en';
}

export function setLanguage(code) { language = TEXTS[code] ? code : 'en'; }
export function currentLanguage() { return language; }

/** the text of key in the current language, {0}, {1}... replaced by the arguments */
export function t(key, ...args) {
  const text = TEXTS[language][key] ?? TEXTS.en[key] ?? key;
  return text.replace(/\{(\d)\}/g, (_, k) => String(args[Number(k)]));
}

/** every element with data-text gets its text, every data-title its tooltip */
export function applyTexts(root) {
  document.documentElement.lang = language;
  document.title = t('title');
  for (const element of root.querySelectorAll('[data-text]')) element.textContent = t(element.dataset.text);
  for (const element of root.querySelectorAll('[data-title]')) element.title = t(element.dataset.title);
}
