# kestrix_embed_numbers(<data file> <generated .cpp> <symbol>)
# Compiles the numbers of a delivered data file into the library: '#' lines are comments, every
# other item separated by blanks or line ends is a number. The generated file defines
#   extern const double <symbol>[];  extern const std::size_t <symbol>Count;
# in namespace kestrix::embedded. The data file stays the source of truth: editing it reconfigures.
# kestrix_embed_numbers(<data file> <generated .cpp> <symbol> float) holds the numbers as float
# instead (half the size in the web page; for tables whose own uncertainty is far above 1e-7).
# kestrix_embed_numbers(<data file> <generated .cpp> <symbol> uint16) holds whole numbers 0..65535 as
# std::uint16_t (the 16-bit codes of a compact table, which its reading code expands).
function(kestrix_embed_numbers data_file out_file symbol)
  set(type double)
  set(pattern "^[-+]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][-+]?[0-9]+)?$")
  if(ARGC GREATER 3)
    if(ARGV3 STREQUAL "float")
      set(type float)
    elseif(ARGV3 STREQUAL "uint16")
      set(type std::uint16_t)
      # (a code above 65535 is a narrowing error of the generated array)
      set(pattern "^[0-9]+$")
    else()
      message(FATAL_ERROR "kestrix_embed_numbers: the fourth argument can only be float or uint16, not '${ARGV3}'")
    endif()
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${data_file})
  file(READ ${data_file} text)
  string(REGEX REPLACE "#[^\n]*" "" text "${text}")
  string(STRIP "${text}" text)
  string(REGEX REPLACE "[ \t\r\n]+" ";" items "${text}")
  set(bad ${items})
  list(FILTER bad EXCLUDE REGEX "${pattern}")
  if(bad)
    list(GET bad 0 first)
    message(FATAL_ERROR "${data_file}: '${first}' is not a number")
  endif()
  list(LENGTH items count)
  list(JOIN items ",\n    " values)
  file(RELATIVE_PATH source ${PROJECT_SOURCE_DIR} ${data_file})
  file(CONFIGURE OUTPUT ${out_file} CONTENT "// Generated at configure time from ${source}; do not edit.
#include <cstddef>
#include <cstdint>

namespace kestrix::embedded {
extern const ${type} ${symbol}[];
extern const std::size_t ${symbol}Count;
const ${type} ${symbol}[] = {
    ${values}};
const std::size_t ${symbol}Count = ${count};
}  // namespace kestrix::embedded
" @ONLY)
endfunction()
