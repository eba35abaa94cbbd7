# The web build (emcmake cmake -S . -B build-web): the libraries, their unit tests and the page
# kestrix.html, compiled with emscripten to WebAssembly. Included by the top-level CMakeLists.txt
# before the options, so these defaults hold unless the command line says otherwise.
set(KESTRIX_BUILD_WEB ON)
set(KESTRIX_BUILD_UI OFF)
set(KESTRIX_BUILD_TOOLS OFF)
set(KESTRIX_BUILD_BENCH OFF)
set(KESTRIX_BUILD_PYTHON OFF)

# C++ exceptions as WebAssembly exceptions (Chromium, Edge, Firefox and node 20 run them natively):
# smaller and faster than emscripten's JavaScript emulation, and the libraries throw for bad input.
add_compile_options(-fwasm-exceptions)
add_link_options(-fwasm-exceptions -sALLOW_MEMORY_GROWTH=1)

# WebAssembly SIMD (Chromium, Edge, Firefox, Safari 16.4 and node 20 run it): the physics model's
# vectorised loops work on two numbers at once. Each lane does the same IEEE operation as the scalar
# code (WebAssembly has no fused multiply-add), so the numbers stay those of the native programs.
add_compile_options(-msimd128)

# Emscripten's C++ library has no floating-point to_chars and from_chars: every file sees the web
# build's own (engine/floating_charconv_web.cpp, in kestrix_files).
add_compile_options("SHELL:-include ${PROJECT_SOURCE_DIR}/engine/floating_charconv_web.h")

# GoogleTest without threads: the test programs run single-threaded under node.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)

# The test programs run under node. Node 20's own fetch() would be taken for reading the .wasm
# beside a program and fails on a plain path, so node runs without it.
find_program(KESTRIX_NODE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${KESTRIX_NODE};--no-experimental-fetch" CACHE STRING "node, to run the test programs" FORCE)
