// CP932 decoding in the browser (and node): the JavaScript TextDecoder's "shift_jis", which is
// Windows' code page 932, one character at a time as the other builds decode it.
#include <emscripten/val.h>

#include "text_encoding.h"

namespace kestrix {
namespace {

bool LeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// Single bytes that CP932 defines no character for (the decoder would pass 0x80 through).
bool UndefinedSingleByte(unsigned char byte) { return byte == 0x80 || byte == 0xA0 || byte >= 0xFD; }

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

/// true when text is one code point in UTF-8, not U+FFFD
bool OneCharacter(const std::string& text) {
  if (text.empty() || text == kReplacement) return false;
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  return text.size() == length;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view bytes) {
  using emscripten::val;
  const val decoder = val::global("TextDecoder").new_(std::string("shift_jis"));
  std::string utf8;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
      utf8 += static_cast<char>(lead);
      ++at;
      continue;
    }
    const std::size_t length = LeadByte(lead) ? 2 : 1;
    std::string character;
    if (at + length <= bytes.size() && !(length == 1 && UndefinedSingleByte(lead))) {
      const val array = val::global("Uint8Array").new_(
          emscripten::typed_memory_view(length, reinterpret_cast<const unsigned char*>(bytes.data() + at)));
      character = decoder.call<std::string>("decode", array);
    }
    if (OneCharacter(character)) {
      utf8 += character;
      at += length;
    } else {
      utf8 += kReplacement;  // a byte that starts no CP932 character; go on with the next one
      ++at;
    }
  }
  return utf8;
}

}  // namespace kestrix
