// The libraries compiled to WebAssembly (kestrix_wasm.js, inlined as the global KestrixEngine): one
// batch per set of material files, the delivered files under /data, the user's own under /user.

/* global KestrixEngine */
export const TABLE = '/data/MUs_202202.data';
const QUALITIES = '/data/RadiationQualities.tsv';

let wasm = null;
const batches = new Map();  // the material files' paths, one per line -> Batch
let userFiles = 0;

/** the bytes of the page's WebAssembly module: base64 of its gzip (build_page.mjs), unpacked by the browser */
async function engineBytes(element) {
  if (typeof DecompressionStream !== 'function') {
    throw new Error('This browser cannot unpack the page\'s engine (no DecompressionStream): use a current Chromium, Edge, Firefox or Safari.');
  }
  const packed = Uint8Array.from(atob(element.textContent.trim()), (c) => c.charCodeAt(0));
  const stream = new Blob([packed]).stream().pipeThrough(new DecompressionStream('gzip'));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

export async function startEngine() {
  const packed = typeof document === 'undefined' ? null : document.getElementById('engine-wasm');
  wasm = await KestrixEngine(packed ? { wasmBinary: await engineBytes(packed) } : {});
  return wasm;
}

/** the batch holding these material filters (paths), with their thicknesses set */
function batchFor(filters) {
  const key = filters.map((f) => f.path).join('\n');
  let batch = batches.get(key);
  if (!batch) {
    if (batches.size >= 8) {  // the oldest set of files is rarely needed again
      const [oldest, old] = batches.entries().next().value;
      old.delete();
      batches.delete(oldest);
    }
    batch = new wasm.Batch(TABLE, filters.map((f) => ({ path: f.path, thickness: f.thickness })));
    batches.set(key, batch);
  }
  filters.forEach((f, k) => batch.setFilterThickness(k, f.thickness));
  return batch;
}

/** the run of settings with filters [{path, thickness}]; throws Error with the library's text */
export function compute(settings, filters) { return batchFor(filters).run(settings); }
export function fit(settings, filters, request) { return batchFor(filters).fit(settings, request); }
export function table(settings, filters, options) { return batchFor(filters).table(settings, options); }
export function filterDescriptions(filters) { return batchFor(filters).filters().map((f) => f.description); }

export function wholeNumber(text) { return wasm.wholeNumber(text); }
/** {min, max}: the tube voltages [kV] the model computes with the target "W", "Mo", "Rh", "Ag" or "Au" */
export function voltageRange(model, target = 'W') { return wasm.voltageRange(model, target); }
/** null, or why the point at these angles [degrees] is refused: {input: "along"|"across", kind, limit, reason} */
export function offAxisRefusal(angle, along, across) { return wasm.offAxisRefusal(angle, along, across); }
export function refusal(settings, filters) { return wasm.refusal(settings, filters); }
/** null, or the tube voltages [kV] {min, max} of the model's transmission target */
export function transmissionRange(model) { return wasm.transmissionRange(model); }
/** null, or why the settings' transmission target is refused: {input: "model"|"target"|"kv"|"target-layer"|"target-window-mm", reason} */
export function transmissionRefusal(settings) { return wasm.transmissionRefusal(settings); }
export function qualities() { return wasm.qualities(QUALITIES); }
export function realiseQuality(name, settings, filters) { return wasm.realiseQuality(TABLE, name, settings, filters); }

/** the delivered material files, by name */
export function deliveredMaterials() {
  return wasm.FS.readdir('/data').filter((name) => /\.(ele|mix)$/.test(name)).sort();
}

/** stores the bytes of the user's file and returns its path and description; throws when it cannot be read */
export function addUserFile(name, bytes) {
  const folder = `/user/${++userFiles}`;
  wasm.FS.mkdirTree(folder);
  const path = `${folder}/${name.replace(/[/\\]/g, '_')}`;
  wasm.FS.writeFile(path, bytes);
  try {
    return { path, description: wasm.materialDescription(path) };
  } catch (error) {
    wasm.FS.unlink(path);
    throw error;
  }
}

export function fileBytes(path) { return wasm.FS.readFile(path); }
