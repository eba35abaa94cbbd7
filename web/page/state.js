// The page's state in its address (#...) and in a session file: the inputs, the pinned curves and
// the view. A user's own material file travels in the session file, not in the address.

export const SESSION_FORMAT = 'kestrix-web-session';

/** the state as the address' fragment */
export function encodeState(state) {
  const params = new URLSearchParams();
  for (const [name, value] of Object.entries(state.inputs)) params.set(name, value);
  params.set('lang', state.language);
  if (state.log) params.set('log', '1');
  if (state.perMas) params.set('permas', '1');
  if (state.pins.length) params.set('pins', JSON.stringify(state.pins));
  return `#${params.toString()}`;
}

/** the state of a fragment, or null when it holds none */
export function decodeState(hash) {
  const text = hash.startsWith('#') ? hash.slice(1) : hash;
  if (!text) return null;
  const params = new URLSearchParams(text);
  const state = { inputs: {}, pins: [], language: params.get('lang'), log: params.get('log') === '1', perMas: params.get('permas') === '1' };
  for (const [name, value] of params) {
    if (!['lang', 'log', 'permas', 'pins'].includes(name)) state.inputs[name] = value;
  }
  try {
    const pins = JSON.parse(params.get('pins') || '[]');
    if (Array.isArray(pins)) state.pins = pins.filter((p) => p && typeof p === "object" && p.settings && typeof p.settings === "object");
  } catch {
    state.pins = [];
  }
  return state;
}

/** the session file's text: the state with the user's files (name and bytes in base64) */
export function sessionText(state, userFiles) {
  const files = userFiles.map((f) => ({ name: f.name, base64: btoa(String.fromCharCode(...f.bytes)) }));
  return `${JSON.stringify({ format: SESSION_FORMAT, version: 1, ...state, files }, null, 2)}\n`;
}

/** the state and files [{name, bytes}] of a session file; throws Error for anything else */
export function readSession(text) {
  const session = JSON.parse(text);
  if (!session || session.format !== SESSION_FORMAT || typeof session.inputs !== 'object') {
    throw new Error('this is not a Kestrix session file');
  }
  const files = (session.files || []).map((f) => ({
    name: String(f.name), bytes: Uint8Array.from(atob(f.base64), (c) => c.charCodeAt(0)),
  }));
  return { state: { inputs: session.inputs, pins: session.pins || [], language: session.language, log: !!session.log, perMas: !!session.perMas }, files };
}
