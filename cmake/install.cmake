# cmake --install <build> --prefix <dir>: the programs under <dir>/bin, the delivered data, the licence
# and the Python package (ready for pip) under <dir>/share/kestrix, as kestrix-cli expects to find them.
include(GNUInstallDirs)

# The web build installs its page alone (web/CMakeLists.txt); its programs run only under node.
if(KESTRIX_BUILD_WEB)
  return()
endif()
# The page of the web build, when it was built, under <dir>/share/kestrix/web.
set(KESTRIX_WEB_PAGE ${PROJECT_SOURCE_DIR}/build-web/kestrix.html CACHE FILEPATH "kestrix.html of the web build, installed when it exists")
install(FILES ${KESTRIX_WEB_PAGE} DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrix/web OPTIONAL)

set(KESTRIX_INSTALLED_PROGRAMS Quillon kestrix-cli)
if(KESTRIX_BUILD_UI)
  list(APPEND KESTRIX_INSTALLED_PROGRAMS Kestrix)
endif()
install(TARGETS ${KESTRIX_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${KESTRIX_DELIVERED_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrix)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/data/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrix/licences)
if(KESTRIX_BUILD_PYTHON)
  # pip install --no-build-isolation --no-index <dir>/share/kestrix/python: the package and the files
  # pip reads, not the build system's files of that folder (Makefile, CMakeFiles/ with the objects)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/python/kestrix DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrix/python
          PATTERN "__pycache__" EXCLUDE)
  install(FILES ${CMAKE_BINARY_DIR}/python/setup.py ${CMAKE_BINARY_DIR}/python/pyproject.toml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrix/python)
endif()

# The Windows programs link the MinGW-w64 runtime and GCC's libstdc++ in (-static): their licences go
# beside Kestrix's own.
if(WIN32)
  foreach(runtime "mingw-w64-x86-64-dev;mingw-w64-runtime" "gcc-mingw-w64-base;gcc-runtime")
    list(GET runtime 0 package)
    list(GET runtime 1 name)
    if(EXISTS /usr/share/doc/${package}/copyright)
      install(FILES /usr/share/doc/${package}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrix/licences
              RENAME ${name}.txt)
    endif()
  endforeach()
endif()

# cpack -G DEB in the build folder makes a Debian package of the same installation.
set(CPACK_PACKAGE_NAME kestrix)
set(CPACK_PACKAGE_VENDOR "Kestrix")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "X-ray tube spectra of tungsten targets and their beam-quality figures")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kestrix developers")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# cpack -G ZIP in the Windows build makes kestrix-<version>-windows.zip of the same installation:
# kestrix-<version>-windows/bin/kestrix-cli.exe and Quillon.exe beside share/kestrix (the delivered data
# and the licences), so the programs find their data wherever it is unpacked.
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "kestrix-${PROJECT_VERSION}-windows")
  set(CPACK_PACKAGING_INSTALL_PREFIX "/")
endif()
include(CPack)
