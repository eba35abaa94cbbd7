"""Type stubs of the compiled module kestrix._kestrix: signatures and units for editors."""

import os
from typing import Any, Dict, Iterable, List, Optional, Sequence, Tuple, Union

import numpy as np
import numpy.typing as npt

_Path = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]
_Number = Union[int, float, np.floating, np.integer]
_Filters = Sequence[Tuple[_Path, _Number]]

class CorrectionWarning(UserWarning): ...
class FitWarning(UserWarning): ...

class Spectrum:
    """A spectrum on the 0.5 keV grid: 600 bins from 0.5 to 300 keV, relative or per mAs."""
    @property
    def energy_keV(self) -> npt.NDArray[np.float64]:
        """photon energy of each bin [keV]"""
    @property
    def values(self) -> npt.NDArray[np.float64]:
        """value of each bin relative to the peak, to the total, or per mAs (see normalisation)"""
    @property
    def quantity(self) -> str:
        """'photon', 'exposure' or 'energy'"""
    @property
    def normalisation(self) -> str:
        """'max' (peak 1), 'total' (sum 1) or 'per_mas' (photons per keV per mm2 per mAs)"""
    def normalised(self, kind: str = "total") -> "Spectrum": ...
    def to_csv(self, path: _Path) -> None:
        """'#' lines describing the beam, then energy_keV,value rows."""
    def to_source(self, path: _Path, format: str) -> None:
        """a Monte Carlo source: 'egsnrc', 'geant4', 'gate', 'mcnp', 'penelope', 'topas' or 'phits'"""
    @staticmethod
    def from_csv(path: _Path) -> "Spectrum":
        """a measured photon spectrum: rows energy_keV,value (photons per keV, any scale)"""
    def figures(self) -> Dict[str, Any]: ...
    def quality(self) -> Dict[str, Any]: ...
    def compare(self, beam: "Beam") -> Dict[str, Any]:
        """figures: {key: {'spectrum', 'beam', 'deviation_percent'}}, energy_keV [keV], ratio"""
    def __len__(self) -> int: ...

class Beam:
    def __init__(self, *, model: str = "tucker", kv: _Number = 200, angle: Optional[_Number] = 20, be: _Number = 3,
                 al_eq: _Number = 5, al: _Number = 0, cu: _Number = 0, waveform: str = "constant",
                 filters: _Filters = (), table: Optional[_Path] = None, target: str = "W", lines: bool = True,
                 off_axis: Tuple[_Number, _Number] = (0, 0), target_thickness_um: Optional[_Number] = None,
                 target_window: Optional[Tuple[str, _Number]] = None) -> None:
        """kv [kV], angle [degrees], be, al_eq, al, cu and filter thicknesses [mm]; target "W", "Mo"
        or "Rh" and lines=False (bremsstrahlung alone) with the physics model; off_axis (along the
        anode-cathode axis towards the cathode, across it) [degrees]; target_thickness_um [um] with
        target_window ("diamond", "Be" or "Al", thickness [mm]): a transmission target (physics model,
        tungsten, 20 to 300 kV; no angle)."""
    @staticmethod
    def from_quality(name: str, *, model: str = "tucker", angle: _Number = 20, be: _Number = 3, al_eq: _Number = 5,
                     waveform: str = "constant", filters: _Filters = (), table: Optional[_Path] = None) -> "Beam": ...
    def replace(self, *, model: str = ..., kv: _Number = ..., angle: _Number = ..., be: _Number = ...,
                al_eq: _Number = ..., al: _Number = ..., cu: _Number = ..., waveform: str = ...,
                filters: _Filters = ..., table: Optional[_Path] = ..., target: str = ..., lines: bool = ...,
                off_axis: Tuple[_Number, _Number] = ..., target_thickness_um: Optional[_Number] = ...,
                target_window: Optional[Tuple[str, _Number]] = ...) -> "Beam": ...
    @property
    def inputs(self) -> Dict[str, Any]: ...
    def spectrum(self, quantity: str = "photon", normalise: str = "max", distance_mm: _Number = 1000) -> Spectrum:
        """normalise: 'max', 'total' or 'per_mas' = 'per-mas' (photons per keV per mm2 per mAs at distance_mm [mm])"""
    def output(self, distance_mm: _Number = 1000) -> Dict[str, Any]:
        """air kerma [uGy/mAs] and photon fluence [1/(mm2 mAs)] at distance_mm [mm]"""
    def figures(self) -> Dict[str, Any]: ...
    def quality(self) -> Dict[str, Any]: ...
    def save_exchange(self, folder: _Path) -> None: ...
    @property
    def fit(self) -> Optional[Dict[str, Any]]: ...
    @property
    def radiation_quality(self) -> Optional[Dict[str, Any]]: ...
    @property
    def model(self) -> str: ...
    @property
    def kv(self) -> float:
        """tube voltage [kV]"""
    @property
    def angle(self) -> Optional[float]:
        """target angle [degrees]; None for a transmission target"""
    @property
    def target_thickness_um(self) -> Optional[float]:
        """a transmission target's tungsten layer [um]; None for the reflection target"""
    @property
    def target_window(self) -> Optional[Tuple[str, float]]:
        """a transmission target's window (material, thickness [mm]); None for the reflection target"""
    @property
    def be(self) -> float:
        """beryllium window [mm]"""
    @property
    def al_eq(self) -> float:
        """inherent aluminium equivalent [mm]"""
    @property
    def al(self) -> float:
        """added aluminium [mm]"""
    @property
    def cu(self) -> float:
        """added copper [mm]"""
    @property
    def waveform(self) -> str: ...
    @property
    def filters(self) -> List[Tuple[str, float]]: ...
    @property
    def corrections(self) -> List[str]: ...
    def detector(self, material: _Path, thickness_mm: _Number, threshold_keV: Optional[_Number] = None,
                 distance_mm: _Number = 1000) -> Dict[str, Any]:
        """quantum_detection_efficiency, absorbed_energy_fraction [1]; per mAs and mm2 (physics model)"""
    def uncertainty(self, *, kv: _Number = 0, al_eq: _Number = 0, angle: _Number = 0, samples: int = 1000,
                    seed: int = 1) -> Dict[str, Any]:
        """each figure's mean, std, p2_5, p97_5; samples, seed, model_spread"""
    def __eq__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...

class TubeFit:
    @property
    def params(self) -> Dict[str, float]:
        """al_eq, al, cu [mm], angle [degrees], kv_offset [kV]: those varied"""
    @property
    def uncertainties(self) -> Dict[str, Optional[float]]:
        """each varied input's standard uncertainty in its unit"""
    @property
    def params_at_bound(self) -> Dict[str, bool]: ...
    @property
    def converged(self) -> bool: ...
    @property
    def evaluations(self) -> int: ...
    @property
    def warnings(self) -> List[str]: ...
    @property
    def residuals(self) -> List[Dict[str, Any]]:
        """kv [kV], figure, measured_mm, computed_mm [mm], deviation_percent [%]"""
    @property
    def rms_deviation_percent(self) -> float: ...
    @property
    def at_bound(self) -> bool: ...
    @property
    def iterations(self) -> int: ...
    @property
    def inputs(self) -> Dict[str, Any]: ...
    def beam(self, kv: _Number) -> Beam: ...

def fit(entry: str, target_hvl_al: Optional[_Number] = None, target_hvl_cu: Optional[_Number] = None, *,
        model: str = "tucker", kv: _Number = 200, angle: _Number = 20, be: _Number = 3, al_eq: _Number = 5,
        al: _Number = 0, cu: _Number = 0, waveform: str = "constant", filters: _Filters = (),
        table: Optional[_Path] = None) -> Beam: ...
def fit_tube(measurements: Iterable[Dict[str, Optional[_Number]]], vary: Union[str, Sequence[str]] = ("al_eq",),
             uncertainty_percent: Optional[_Number] = None, *, model: str = "tucker", angle: _Number = 20, be: _Number = 3, al_eq: _Number = 5, al: _Number = 0,
             cu: _Number = 0, waveform: str = "constant", filters: _Filters = (),
             table: Optional[_Path] = None) -> TubeFit: ...
def sweep(kv: Union[_Number, Iterable[_Number]] = 200, *, distance_mm: _Number = 1000, model: str = "tucker",
          angle: Union[_Number, Iterable[_Number]] = 20, be: Union[_Number, Iterable[_Number]] = 3,
          al_eq: Union[_Number, Iterable[_Number]] = 5, al: Union[_Number, Iterable[_Number]] = 0,
          cu: Union[_Number, Iterable[_Number]] = 0, waveform: str = "constant", filters: Sequence[Any] = (),
          table: Optional[_Path] = None, target_thickness_um: Optional[_Number] = None,
          target_window: Optional[Tuple[str, _Number]] = None) -> Dict[str, npt.NDArray[np.float64]]: ...
def materials() -> Dict[str, str]: ...
def qualities() -> List[Dict[str, Any]]: ...
def _set_data_folder(folder: str) -> None: ...
