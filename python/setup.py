# Installs the package built by CMake in this folder: pip install --no-build-isolation <build>/python
from setuptools import setup
from setuptools.dist import Distribution


class CompiledDistribution(Distribution):
    """The package carries a compiled extension module, so the wheel is tied to this platform."""

    def has_ext_modules(self):
        return True


setup(
    name="kestrix",
    version="@PROJECT_VERSION@",
    description="X-ray tube spectra (Tucker, Birch and physics models, output per mAs) and beam-quality figures",
    packages=["kestrix"],
    package_data={"kestrix": ["_kestrix*.so", "_kestrix*.pyd", "_kestrix.pyi", "py.typed", "data/*"]},
    install_requires=["numpy"],
    python_requires=">=3.8",
    distclass=CompiledDistribution,
    zip_safe=False,
)
