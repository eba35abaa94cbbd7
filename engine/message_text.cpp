#include "message_text.h"

namespace kestrix {
namespace {

std::string Escape(unsigned int code) {
  static const char* const kHex = "0123456789abcdef";
  switch (code) {
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    default:
      return code < 0x100 ? std::string("\\x") + kHex[code >> 4] + kHex[code & 15]
                          : std::string("\\u00") + kHex[(code >> 4) & 15] + kHex[code & 15];
  }
}

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xc0) == 0x80; }

}  // namespace

std::string EscapedText(std::string_view text) {
  std::string printable;
  printable.reserve(text.size());
  for (std::size_t k = 0; k < text.size(); ++k) {
    const unsigned char byte = static_cast<unsigned char>(text[k]);
    const unsigned char next = k + 1 < text.size() ? static_cast<unsigned char>(text[k + 1]) : 0;
    if (byte < 0x20 || byte == 0x7f) {
      printable += Escape(byte);
    } else if (byte == 0xc2 && next >= 0x80 && next <= 0x9f) {  // U+0080 to U+009F
      printable += Escape(0x100 + next);
      ++k;
    } else {
      printable += static_cast<char>(byte);
    }
  }
  return printable;
}

std::string ExcerptText(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return EscapedText(text);
  std::size_t cut = maxBytes;
  // a character is never split; at most three continuation bytes are given up
  while (cut > 0 && maxBytes - cut < 3 && IsContinuationByte(text[cut])) --cut;
  return EscapedText(text.substr(0, cut)) + "... (" + std::to_string(text.size()) + " bytes)";
}

std::string QuotedExcerpt(std::string_view text, std::size_t maxBytes) {
  return "\"" + ExcerptText(text, maxBytes) + "\"";
}

}  // namespace kestrix
