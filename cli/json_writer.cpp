#include "json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "decimal_text.h"

namespace kestrix {
namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

/// Length of the valid UTF-8 sequence that starts at text[pos] (lead byte >= 0x80), 0 when invalid.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[pos + k]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong forms
    if (lead == 0xED) high = 0x9F;  // UTF-16 surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (!IsContinuation(byte(k))) return 0;
  }
  return length;
}

}  // namespace

std::string JsonQuoted(std::string_view text) {
  std::string quoted = "\"";
  for (std::size_t pos = 0; pos < text.size();) {
    const auto c = static_cast<unsigned char>(text[pos]);
    if (c >= 0x80) {
      const std::size_t length = Utf8SequenceLength(text, pos);
      if (length == 0) {
        quoted += "\\ufffd";
        ++pos;
      } else {
        quoted.append(text.substr(pos, length));
        pos += length;
      }
      continue;
    }
    switch (c) {
      case '"': quoted += "\\\""; break;
      case '\\': quoted += "\\\\"; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      case '\b': quoted += "\\b"; break;
      case '\f': quoted += "\\f"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
          quoted += escape;
        } else {
          quoted += static_cast<char>(c);
        }
    }
    ++pos;
  }
  quoted += '"';
  return quoted;
}

JsonWriter::JsonWriter(std::ostream& out) : out_(out) {}

void JsonWriter::NewLine(int depth) {
  out_ << '\n';
  for (int k = 0; k < depth; ++k) out_ << "  ";
}

void JsonWriter::BeforeValue() {
  if (levels_.empty()) {
    if (rootWritten_) throw std::logic_error("JSON: a second value after the complete document");
    rootWritten_ = true;
    return;
  }
  Level& level = levels_.back();
  if (level.isObject) {
    if (!level.keyPending) throw std::logic_error("JSON: a value inside an object needs a key");
    level.keyPending = false;
    return;
  }
  if (level.count++ > 0) out_ << (level.compact ? ", " : ",");
  if (!level.compact) NewLine(static_cast<int>(levels_.size()));
}

void JsonWriter::Key(std::string_view name) {
  if (levels_.empty() || !levels_.back().isObject) throw std::logic_error("JSON: a key outside an object");
  Level& level = levels_.back();
  if (level.keyPending) throw std::logic_error("JSON: two keys in a row");
  if (level.count++ > 0) out_ << ',';
  NewLine(static_cast<int>(levels_.size()));
  out_ << JsonQuoted(name) << ": ";
  level.keyPending = true;
}

void JsonWriter::BeginObject() {
  BeforeValue();
  out_ << '{';
  levels_.push_back(Level{true, false});
}

void JsonWriter::BeginArray(bool compact) {
  BeforeValue();
  out_ << '[';
  levels_.push_back(Level{false, compact});
}

void JsonWriter::Close(bool isObject) {
  if (levels_.empty() || levels_.back().isObject != isObject) {
    throw std::logic_error(isObject ? "JSON: no object to close" : "JSON: no array to close");
  }
  const Level level = levels_.back();
  if (level.keyPending) throw std::logic_error("JSON: a key without a value");
  levels_.pop_back();
  if (level.count > 0 && !level.compact) NewLine(static_cast<int>(levels_.size()));
  out_ << (isObject ? '}' : ']');
  if (levels_.empty()) out_ << '\n';
}

void JsonWriter::EndObject() { Close(true); }
void JsonWriter::EndArray() { Close(false); }

void JsonWriter::String(std::string_view text) {
  BeforeValue();
  out_ << JsonQuoted(text);
}

void JsonWriter::Number(double value) {
  if (!std::isfinite(value)) throw std::domain_error("JSON: a number that is not finite cannot be written");
  BeforeValue();
  out_ << ShortestDecimal(value);
}

void JsonWriter::Number(const std::optional<double>& value) {
  if (value) {
    Number(*value);
  } else {
    Null();
  }
}

void JsonWriter::Integer(long long value) {
  BeforeValue();
  out_ << value;
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  out_ << (value ? "true" : "false");
}

void JsonWriter::Null() {
  BeforeValue();
  out_ << "null";
}

bool JsonWriter::Complete() const { return rootWritten_ && levels_.empty(); }

}  // namespace kestrix
