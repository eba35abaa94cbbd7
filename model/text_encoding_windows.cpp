// CP932 decoding with the Windows code page conversions.
#include <windows.h>

#include "text_encoding.h"

namespace kestrix {
namespace {

// Single bytes that Windows maps to control or private-use characters although CP932 defines no
// character for them; the C library's decoder refuses them, so they are refused here too and
// every build shows one text for one file.
bool UndefinedSingleByte(unsigned char byte) { return byte == 0x80 || byte == 0xA0 || byte >= 0xFD; }

}  // namespace

std::string Cp932ToUtf8(std::string_view bytes) {
  std::wstring wide;
  std::size_t at = 0;
  // One character at a time, so that a byte that starts no character becomes U+FFFD and the
  // decoding goes on with the next byte.
  while (at < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const std::size_t length = IsDBCSLeadByteEx(932, lead) ? 2 : 1;
    wchar_t character[2];
    int decoded = 0;
    if (at + length <= bytes.size() && !(length == 1 && UndefinedSingleByte(lead))) {
      decoded = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data() + at, static_cast<int>(length), character, 2);
    }
    if (decoded > 0) {
      wide.append(character, static_cast<std::size_t>(decoded));
      at += length;
    } else {
      wide.push_back(L'\xFFFD');
      ++at;
    }
  }
  if (wide.empty()) return {};
  const int wideLength = static_cast<int>(wide.size());
  const int utf8Length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(utf8Length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), utf8Length, nullptr, nullptr);
  return utf8;
}

}  // namespace kestrix
