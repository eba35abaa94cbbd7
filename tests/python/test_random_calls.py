"""A few hundred random calls of the whole package, seeded and bounded in time, in a child process so
that an abort or a segmentation fault is a failure: every call returns or raises TypeError or
ValueError, whatever its arguments, for built objects, objects never built, every pickle protocol
and states not made by __getstate__."""

import os
import subprocess
import sys
import textwrap

DRIVER = textwrap.dedent(r'''
    import copy, math, pickle, random, sys, time, warnings
    import numpy as np
    import kestrix

    random.seed(int(sys.argv[1]))
    calls, budget = int(sys.argv[2]), float(sys.argv[3])
    warnings.simplefilter("ignore")

    class Odd:
        def __float__(self):
            raise RuntimeError("no float")

    NUMBERS = [0, 1, -1, 0.5, 30, 80, 100, 150, 300, 301, 1e-300, 1e300, 10 ** 400, -(10 ** 400), math.nan,
               math.inf, -math.inf, True, False, np.float32(2), np.int64(90), np.bool_(True), np.float64(1e-200)]
    OTHERS = [None, "", "x" * 5000, "tucker", "physics", "birch", "per-mas", "per_mas", "total", "max", b"Sn", [],
              [1, 2], (), {}, {"kv": 1}, object(), Odd(), 1j, "\x00", [("Sn", 0.1)], [("Sn", [0.1, 0.2])],
              [("Sn", "a")], ("Sn", 1), "al_eq", ("al_eq", "angle"), np.array([80, 90]), np.array(5.0)]
    KEYS = ["model", "kv", "angle", "be", "al_eq", "al", "cu", "waveform", "filters", "table", "kvp"]

    def value():
        return random.choice(NUMBERS if random.random() < 0.6 else OTHERS)

    def keywords(n=None):
        chosen = random.sample(KEYS, random.randint(0, 4) if n is None else n)
        made = {k: value() for k in chosen}
        if random.random() < 0.5:
            made.setdefault("kv", random.choice([40, 80, 120]))
        return made

    GOOD = [kestrix.Beam(kv=80), kestrix.Beam(model="physics", kv=60, waveform="12-peak"),
            kestrix.Beam(model="birch", kv=100, filters=[("Sn", 0.1)])]
    SPECTRA = [GOOD[0].spectrum(), GOOD[1].spectrum(normalise="per_mas")]
    TUBE = kestrix.fit_tube([dict(kv=60, hvl1_al_mm=2.2), dict(kv=100, hvl1_al_mm=3.5)], vary="al_eq", be=1)

    def mutated(state):
        state = list(state)
        if state and random.random() < 0.8:
            k = random.randrange(len(state))
            state[k] = random.choice([value(), list(state[k]) if isinstance(state[k], (list, tuple)) else value(),
                                      [value()] * random.choice([0, 3, 599, 600])])
        if random.random() < 0.2:
            state = state[:random.randrange(len(state) + 1)]
        return tuple(state) if random.random() < 0.9 else state

    def unbuilt():
        cls = random.choice([kestrix.Beam, kestrix.Spectrum, kestrix.TubeFit])
        return cls.__new__(cls)

    def some_object():
        return random.choice([random.choice(GOOD), random.choice(SPECTRA), TUBE, unbuilt()])

    def call_method(thing):
        names = [n for n in dir(thing) if not n.startswith("__") or n in
                 ("__eq__", "__hash__", "__len__", "__repr__", "__reduce__", "__getstate__", "__setstate__",
                  "__copy__", "__deepcopy__", "__reduce_ex__")]
        name = random.choice(names)
        attribute = getattr(thing, name)
        if not callable(attribute):
            return
        if name == "__setstate__":
            source = random.choice([random.choice(GOOD), random.choice(SPECTRA), TUBE])
            attribute(mutated(source.__getstate__()))
            return
        arguments = [value() for _ in range(random.randint(0, 2))]
        named = {random.choice(["distance_mm", "quantity", "normalise", "kind", "path", "folder", "kv", "memo"]):
                 value() for _ in range(random.randint(0, 2))}
        attribute(*arguments, **named)

    ACTIONS = [
        lambda: kestrix.Beam(**keywords()),
        lambda: kestrix.Beam.from_quality(random.choice(["RQR5", "N-100", "H-30", value()]), **keywords(1)),
        lambda: kestrix.fit(random.choice(["al", "cu", "al_eq", value()]), target_hvl_al=value(), kv=80),
        lambda: kestrix.sweep(**dict(keywords(), **{random.choice(["kv", "al", "al_eq", "be", "cu", "angle"]):
                                                      [value() for _ in range(random.randint(0, 3))]})),
        lambda: pickle.loads(pickle.dumps(some_object(), random.randint(0, pickle.HIGHEST_PROTOCOL))),
        lambda: some_object().__reduce__(),
        lambda: random.choice([copy.copy, copy.deepcopy])(some_object()),
        lambda: call_method(some_object()),
        lambda: call_method(some_object()),
        lambda: call_method(some_object()),
        lambda: unbuilt() == some_object(),
        lambda: kestrix.TubeFit(*[value() for _ in range(random.randint(0, 2))]),
        lambda: kestrix.fit_tube([{"kv": random.choice([60, 80, value()]), "hvl1_al_mm": value()}],
                                 vary=random.choice(["al_eq", ("al", "al"), (), value()])),
    ]

    start, done, refused = time.monotonic(), 0, 0
    while done < calls and time.monotonic() - start < budget:
        done += 1
        try:
            random.choice(ACTIONS)()
        except (TypeError, ValueError):
            refused += 1
        except Exception as other:
            print("call %d raised %s: %s" % (done, type(other).__name__, str(other)[:300]))
            sys.exit(3)
    print("%d calls, %d refused" % (done, refused))
''')


def test_random_calls_only_return_or_raise_type_and_value_errors(tmp_path):
    done = subprocess.run([sys.executable, "-c", DRIVER, "20261209", "400", "40"], cwd=tmp_path, env=os.environ,
                          capture_output=True, text=True, timeout=300)
    assert done.returncode == 0, "exit %d\n%s\n%s" % (done.returncode, done.stdout, done.stderr[-3000:])
    calls = int(done.stdout.split()[0])
    assert calls >= 200, done.stdout
