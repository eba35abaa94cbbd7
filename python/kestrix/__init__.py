"""Kestrix: X-ray tube spectra (Tucker, Birch and physics models; output per mAs from the physics
model) and beam-quality figures.

The same C++ calculation as the desktop program and kestrix-cli, with numpy arrays in and out.
"""

import os as _os

from ._kestrix import Beam, CorrectionWarning, FitWarning, Spectrum, TubeFit, fit, fit_tube, materials, qualities, sweep
from ._kestrix import _set_data_folder

# the delivered attenuation table, material files and radiation qualities travel inside the package
_set_data_folder(_os.path.join(_os.path.dirname(_os.path.abspath(__file__)), "data"))

__version__ = "@PROJECT_VERSION@"
__all__ = ["Beam", "CorrectionWarning", "FitWarning", "Spectrum", "TubeFit", "fit", "fit_tube", "materials", "qualities", "sweep"]
