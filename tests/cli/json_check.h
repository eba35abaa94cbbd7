#pragma once
// A strict little JSON reader for the tests: it rejects anything RFC 8259 does not allow
// (NaN, trailing commas, bare words, control characters in strings) and keeps the tree.

#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrix::test {

struct JsonValue {
  enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> members;
  std::vector<std::string> memberOrder;

  const JsonValue& operator[](const std::string& key) const {
    const auto found = members.find(key);
    if (found == members.end()) throw std::out_of_range("no member " + key);
    return found->second;
  }
  bool Has(const std::string& key) const { return members.count(key) != 0; }
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& text) : text_(text) {}

  /// the one value of the whole text; throws std::runtime_error at the first fault
  JsonValue Document() {
    JsonValue value = Value();
    Blanks();
    if (pos_ != text_.size()) Fail("text after the value");
    return value;
  }

 private:
  [[noreturn]] void Fail(const std::string& why) {
    throw std::runtime_error("JSON fault at " + std::to_string(pos_) + ": " + why);
  }
  void Blanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\n' || text_[pos_] == '\r' || text_[pos_] == '\t')) ++pos_;
  }
  bool Take(char c) {
    Blanks();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  void Expect(char c) {
    if (!Take(c)) Fail(std::string("expected '") + c + "'");
  }
  bool Word(const char* word) {
    const std::string w(word);
    if (text_.compare(pos_, w.size(), w) != 0) return false;
    pos_ += w.size();
    return true;
  }
  std::string StringLiteral() {
    Expect('"');
    std::string out;
    while (true) {
      if (pos_ >= text_.size()) Fail("unterminated string");
      const char c = text_[pos_++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) Fail("control character in a string");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= text_.size()) Fail("unterminated escape");
      const char e = text_[pos_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          if (pos_ + 4 > text_.size()) Fail("short \\u escape");
          for (int k = 0; k < 4; ++k) {
            if (!std::isxdigit(static_cast<unsigned char>(text_[pos_ + k]))) Fail("bad \\u escape");
          }
          out += "\\u" + text_.substr(pos_, 4);  // kept escaped: the tests compare escapes as text
          pos_ += 4;
          break;
        }
        default: Fail("unknown escape");
      }
    }
  }
  double NumberLiteral() {
    const std::size_t start = pos_;
    if (text_[pos_] == '-') ++pos_;
    const auto digits = [&] {
      const std::size_t from = pos_;
      while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
      return pos_ - from;
    };
    const std::size_t integerStart = pos_;
    if (digits() == 0) Fail("number without digits");
    if (text_[integerStart] == '0' && pos_ - integerStart > 1) Fail("leading zero");
    if (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      if (digits() == 0) Fail("no digits after the point");
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
      if (digits() == 0) Fail("no exponent digits");
    }
    return std::strtod(text_.substr(start, pos_ - start).c_str(), nullptr);
  }
  JsonValue Value() {
    Blanks();
    if (pos_ >= text_.size()) Fail("missing value");
    JsonValue value;
    const char c = text_[pos_];
    if (c == '{') {
      ++pos_;
      value.kind = JsonValue::Kind::Object;
      if (Take('}')) return value;
      do {
        Blanks();
        const std::string key = StringLiteral();
        if (value.members.count(key) != 0) Fail("duplicate key " + key);
        Expect(':');
        value.members[key] = Value();
        value.memberOrder.push_back(key);
      } while (Take(','));
      Expect('}');
    } else if (c == '[') {
      ++pos_;
      value.kind = JsonValue::Kind::Array;
      if (Take(']')) return value;
      do {
        value.items.push_back(Value());
      } while (Take(','));
      Expect(']');
    } else if (c == '"') {
      value.kind = JsonValue::Kind::String;
      value.text = StringLiteral();
    } else if (Word("null")) {
      value.kind = JsonValue::Kind::Null;
    } else if (Word("true") || Word("false")) {
      value.kind = JsonValue::Kind::Bool;
      value.boolean = text_[pos_ - 1] == 'e' && text_[pos_ - 2] == 'u';
    } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
      value.kind = JsonValue::Kind::Number;
      value.number = NumberLiteral();
    } else {
      Fail(std::string("unexpected character '") + c + "'");
    }
    return value;
  }

  const std::string& text_;
  std::size_t pos_ = 0;
};

inline JsonValue ParseJson(const std::string& text) { return JsonReader(text).Document(); }

}  // namespace kestrix::test
