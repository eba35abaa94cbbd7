// CP932 decoding with the Windows code page conversions.
#include <windows.h>

#include "text_encoding.h"

namespace kestrix {

std::string Cp932ToUtf8(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  // Without MB_ERR_INVALID_CHARS a byte that starts no CP932 character becomes a replacement character.
  const int wideLength = MultiByteToWideChar(932, 0, bytes.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(932, 0, bytes.data(), size, wide.data(), wideLength);
  const int utf8Length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(utf8Length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), utf8Length, nullptr, nullptr);
  return utf8;
}

}  // namespace kestrix
