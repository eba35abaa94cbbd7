// The page's state in the address and in the session file: round trips, and what is not a state.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { encodeState, decodeState, sessionText, readSession } from '../../web/page/state.js';

const STATE = {
  inputs: { model: 'physics', kv: '90', angle: '16', target: 'Rh', 'no-lines': '1', 'off-axis': '-5.5', 'off-axis-across': '',
    filter1: 'Water.mix', 'filter1-mm': '20', al: '1 & 2' },
  language: 'ja', log: true, perMas: false,
  pins: [{ settings: { model: 'tucker', kv: '70' }, filters: [{ path: '/data/Sn.ele', thickness: 0.1, name: 'Sn.ele' }], shown: false }],
};

test('the address fragment gives the state back', () => {
  const hash = encodeState(STATE);
  assert.match(hash, /^#/);
  assert.deepEqual(decodeState(hash), STATE);
  assert.equal(decodeState(''), null);
});

test('a fragment with broken pins keeps its inputs', () => {
  const state = decodeState('#kv=80&pins=%5Bnot%20json');
  assert.equal(state.inputs.kv, '80');
  assert.deepEqual(state.pins, []);
});

test("the session file carries the state and the user's files byte for byte", () => {
  const bytes = Uint8Array.from([0x83, 0x41, 0x0a, 0x00, 0xff]);
  const { state, files } = readSession(sessionText(STATE, [{ name: 'own.ele', bytes }]));
  assert.deepEqual(state, STATE);
  assert.deepEqual(files, [{ name: 'own.ele', bytes }]);
});

test('what is not a session file is refused', () => {
  assert.throws(() => readSession('{"format": "other", "inputs": {}}'), /not a Kestrix session/);
  assert.throws(() => readSession('not json'), SyntaxError);
});
