// CP932 decoding with the C library's iconv.
#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

#include "text_encoding.h"

namespace kestrix {

std::string Cp932ToUtf8(std::string_view bytes) {
  iconv_t converter = iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("the C library cannot decode CP932");
  std::string utf8;
  std::vector<char> buffer(4 * bytes.size() + 16);  // a CP932 character is at most 2 bytes, 3 in UTF-8
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  while (inLeft > 0) {
    char* out = buffer.data();
    std::size_t outLeft = buffer.size();
    const std::size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
    utf8.append(buffer.data(), out);
    if (done != static_cast<std::size_t>(-1)) break;
    if (errno != EILSEQ && errno != EINVAL) continue;  // E2BIG: the buffer was full, go on
    utf8 += "\xEF\xBF\xBD";  // U+FFFD for a byte that starts no CP932 character
    ++in;
    --inLeft;
  }
  iconv_close(converter);
  return utf8;
}

}  // namespace kestrix
