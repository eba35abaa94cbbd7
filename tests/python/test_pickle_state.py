"""Pickling with every protocol, the checked __setstate__ of each class, and objects __new__ made but
nothing built: each refused with TypeError or ValueError, never a crash."""

import copy
import pickle

import numpy as np
import pytest

import kestrix

MEASURED = [dict(kv=60, hvl1_al_mm=2.2, hvl2_al_mm=3.0), dict(kv=80, hvl1_al_mm=2.85),
            dict(kv=100, hvl1_al_mm=3.5, hvl2_al_mm=5.3)]


@pytest.fixture(scope="module")
def objects():
    beams = [kestrix.Beam(model="physics", kv=90, waveform="single-phase", filters=[("Sn", 0.1)]),
             kestrix.fit("al", target_hvl_al=5.0, kv=80), kestrix.Beam.from_quality("RQA5", be=1, al_eq=2.5)]
    return dict(beams=beams, spectra=[beams[0].spectrum(normalise="per_mas", distance_mm=500),
                                      beams[1].spectrum("energy").normalised("total")],
                tube=kestrix.fit_tube(MEASURED, vary="al_eq", be=1))


@pytest.mark.parametrize("protocol", range(pickle.HIGHEST_PROTOCOL + 1))
def test_every_protocol_gives_the_same_values_back(objects, protocol):
    for beam in objects["beams"]:
        back = pickle.loads(pickle.dumps(beam, protocol))
        assert back == beam and back.figures() == beam.figures() and back.quality() == beam.quality()
        assert back.fit == beam.fit and back.radiation_quality == beam.radiation_quality
    for spectrum in objects["spectra"]:
        back = pickle.loads(pickle.dumps(spectrum, protocol))
        np.testing.assert_array_equal(back.values, spectrum.values)
        np.testing.assert_array_equal(back.energy_keV, spectrum.energy_keV)
        assert (back.quantity, back.normalisation) == (spectrum.quantity, spectrum.normalisation)
    tube = objects["tube"]
    back = pickle.loads(pickle.dumps(tube, protocol))
    assert (back.params, back.residuals, back.inputs, repr(back)) == (tube.params, tube.residuals, tube.inputs,
                                                                      repr(tube))


def test_reduce_and_the_copy_helpers_work(objects):
    beam, spectrum, tube = objects["beams"][0], objects["spectra"][0], objects["tube"]
    for thing in (beam, spectrum, tube):
        function, arguments, state = thing.__reduce__()
        assert function(*arguments).__class__ is type(thing) and thing.__reduce_ex__(0)[2] == state
        assert copy.copy(thing) is thing and copy.deepcopy(thing) is thing
    assert copy.deepcopy([beam, beam])[1] is beam


def unbuilt(cls):
    return cls.__new__(cls)


@pytest.mark.parametrize("use", [
    lambda: unbuilt(kestrix.Beam) == kestrix.Beam(kv=100),
    lambda: kestrix.Beam(kv=100) == unbuilt(kestrix.Beam),
    lambda: unbuilt(kestrix.Beam).figures(),
    lambda: unbuilt(kestrix.Beam).spectrum(),
    lambda: unbuilt(kestrix.Beam).kv,
    lambda: hash(unbuilt(kestrix.Beam)),
    lambda: repr(unbuilt(kestrix.Beam)),
    lambda: unbuilt(kestrix.Beam).replace(kv=80),
    lambda: pickle.dumps(unbuilt(kestrix.Beam), 0),
    lambda: copy.copy(unbuilt(kestrix.Beam)),
    lambda: len(unbuilt(kestrix.Spectrum)),
    lambda: unbuilt(kestrix.Spectrum).values,
    lambda: unbuilt(kestrix.Spectrum).normalised(),
    lambda: copy.deepcopy(unbuilt(kestrix.Spectrum)),
    lambda: unbuilt(kestrix.Spectrum).__reduce__(),
    lambda: repr(unbuilt(kestrix.TubeFit)),
    lambda: unbuilt(kestrix.TubeFit).beam(100),
    lambda: unbuilt(kestrix.TubeFit).params,
])
def test_an_object_never_built_cannot_be_used(use):
    with pytest.raises(TypeError, match="was made by [A-Za-z]+.__new__ and never built"):
        use()


def test_the_classes_own_base_cannot_make_an_instance():
    base = kestrix.Beam.__base__
    with pytest.raises(TypeError):
        base.__new__(base)
    assert isinstance(kestrix.Beam.__new__(kestrix.Beam), kestrix.Beam)


def test_a_tube_fit_comes_only_from_fit_tube():
    with pytest.raises(TypeError, match=r"^TubeFit\(\) cannot be called: a TubeFit comes from kestrix.fit_tube"):
        kestrix.TubeFit()


def spectrum_state(objects, **changes):
    state = list(objects["spectra"][1].__getstate__())
    for index, value in changes.items():
        state[int(index[1:])] = value
    return tuple(state)


def description(objects, **changes):
    return spectrum_state(objects, s4=tuple(changes.get("d%d" % k, item)
                                            for k, item in enumerate(spectrum_state(objects)[4])))


@pytest.mark.parametrize("make_state, error, message", [
    (lambda o: ("a",), TypeError, r"^Spectrum state: a tuple of 5 items is needed, not \('a',\)"),
    (lambda o: [0] * 5, TypeError, "^Spectrum state: a tuple of 5 items"),
    (lambda o: spectrum_state(o, s0=[0.5, 1.0, 1.5]), ValueError, r"^Spectrum state\[0\] \(energy_keV\): 3 numbers, not 600"),
    (lambda o: spectrum_state(o, s1=[]), ValueError, r"^Spectrum state\[1\] \(values\): 0 numbers, not 600"),
    (lambda o: spectrum_state(o, s1=[1.0] * 601), ValueError, "601 numbers, not 600"),
    (lambda o: spectrum_state(o, s0=[0.5 * k for k in range(600)]), ValueError, "not the grid of 0.5 to 300 keV"),
    (lambda o: spectrum_state(o, s1=["a"] * 600), TypeError, r"^Spectrum state\[1\] \(values\) must be a number"),
    (lambda o: spectrum_state(o, s1=[True] * 600), TypeError, "must be a number"),
    (lambda o: spectrum_state(o, s1=[10 ** 400] * 600), ValueError, "is too large"),
    (lambda o: spectrum_state(o, s1=[float("nan")] * 600), ValueError, "nan is not a number"),
    (lambda o: spectrum_state(o, s1=[-1.0] * 600), ValueError, "a spectrum has no negative value"),
    (lambda o: spectrum_state(o, s1=7), TypeError, r"^Spectrum state\[1\] \(values\): a list is needed"),
    (lambda o: spectrum_state(o, s2="dose"), ValueError, r"^Spectrum state\[2\] \(quantity\): 'dose' is not one of"),
    (lambda o: spectrum_state(o, s3=3), TypeError, r"^Spectrum state\[3\] \(normalisation\) must be a text"),
    (lambda o: spectrum_state(o, s4=("a",)), TypeError, r"^Spectrum state\[4\] \(description\): a tuple of 13"),
    (lambda o: description(o, d2="80"), TypeError, r"\[4\] \(description\)\[2\] \(tube voltage\) must be a number of kV"),
    (lambda o: description(o, d9=[("Sn", 0.1)]), TypeError, r"\[9\] \(filters\)\[0\]: a tuple of 3 items"),
])
def test_a_spectrum_state_not_made_by_getstate_is_refused(objects, make_state, error, message):
    spectrum = unbuilt(kestrix.Spectrum)
    with pytest.raises(error, match=message):
        spectrum.__setstate__(make_state(objects))
    with pytest.raises(TypeError, match="never built"):
        spectrum.to_csv("never.csv")
    spectrum.__setstate__(spectrum_state(objects))  # the state as made builds it
    np.testing.assert_array_equal(spectrum.values, objects["spectra"][1].values)


@pytest.mark.parametrize("state, error, message", [
    ((), TypeError, "^Beam state: a tuple of 3 items"),
    (([("kv", 100)], None, None), TypeError, r"^Beam state\[0\] \(inputs\): a dict of Beam keywords"),
    (({"kv": 100}, "al", None), TypeError, r"^Beam state\[1\] \(fit\): a dict or None"),
    (({"kv": 100}, None, []), TypeError, r"^Beam state\[2\] \(radiation_quality\): a dict or None"),
    (({"kv": True}, None, None), TypeError, "^kv must be a number of kV, not True"),
    (({"kv": 10 ** 400}, None, None), ValueError, "^kv: 1000.* is too large for a number of kV"),
    (({"kv": 400}, None, None), ValueError, "^kv: 400 kV is outside"),
    (({"voltage": 100}, None, None), TypeError, "got an unexpected keyword argument 'voltage'"),
])
def test_a_beam_state_not_made_by_getstate_is_refused(state, error, message):
    beam = unbuilt(kestrix.Beam)
    with pytest.raises(error, match=message):
        beam.__setstate__(state)
    with pytest.raises(TypeError, match="never built"):
        beam.figures()


@pytest.mark.parametrize("state, error, message", [
    ((MEASURED,), TypeError, "^TubeFit state: a tuple of 3 items"),
    ((MEASURED, ("al_eq",), None), TypeError, r"^TubeFit state\[2\] \(keywords\): a dict"),
    ((MEASURED, ("be",), {}), ValueError, '^vary: "be" is not one of'),
    (([dict(kv=60)], ("al_eq",), {}), ValueError, r"^measurements\[0\]: no layer measured"),
    ((MEASURED, ("al_eq",), {"kv": 80}), TypeError, "got an unexpected keyword argument 'kv'"),
])
def test_a_tube_fit_state_is_fitted_again_with_the_checks_of_fit_tube(state, error, message):
    tube = unbuilt(kestrix.TubeFit)
    with pytest.raises(error, match=message):
        tube.__setstate__(state)
    with pytest.raises(TypeError, match="never built"):
        tube.params
