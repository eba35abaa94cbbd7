// The JSON writer: structure, escaping, numbers, and refusal of values JSON cannot hold.

#include "json_writer.h"

#include <cmath>
#include <limits>
#include <sstream>

#include <gtest/gtest.h>

#include "json_check.h"

namespace kestrix {
namespace {

using test::JsonValue;
using test::ParseJson;

TEST(JsonWriter, NestedContainersFormOneValidDocument) {
  std::ostringstream out;
  JsonWriter json(out);
  json.BeginObject();
  json.Key("name");
  json.String("kestrix");
  json.Key("empty_object");
  json.BeginObject();
  json.EndObject();
  json.Key("empty_array");
  json.BeginArray();
  json.EndArray();
  json.Key("list");
  json.BeginArray(true);
  json.Number(0.5);
  json.Integer(-3);
  json.Bool(true);
  json.Null();
  json.EndArray();
  json.Key("nested");
  json.BeginArray();
  json.BeginObject();
  json.Key("a");
  json.Bool(false);
  json.EndObject();
  json.EndArray();
  json.EndObject();
  EXPECT_TRUE(json.Complete());

  const JsonValue document = ParseJson(out.str());
  EXPECT_EQ(document.memberOrder, (std::vector<std::string>{"name", "empty_object", "empty_array", "list", "nested"}));
  EXPECT_EQ(document["name"].text, "kestrix");
  ASSERT_EQ(document["list"].items.size(), 4u);
  EXPECT_EQ(document["list"].items[0].number, 0.5);
  EXPECT_EQ(document["list"].items[1].number, -3);
  EXPECT_TRUE(document["list"].items[2].boolean);
  EXPECT_EQ(document["list"].items[3].kind, JsonValue::Kind::Null);
  EXPECT_FALSE(document["nested"].items[0]["a"].boolean);
  EXPECT_EQ(out.str().back(), '\n');
}

TEST(JsonWriter, EscapesQuotesBackslashesAndControlCharacters) {
  EXPECT_EQ(JsonQuoted("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(JsonQuoted("line\nnext\ttab\r"), "\"line\\nnext\\ttab\\r\"");
  EXPECT_EQ(JsonQuoted(std::string("\x01\x1f\x7f", 3)), "\"\\u0001\\u001f\\u007f\"");
  EXPECT_EQ(JsonQuoted(std::string("nul\0end", 7)), "\"nul\\u0000end\"");
  // a Windows path keeps its backslashes readable after parsing
  EXPECT_EQ(ParseJson(JsonQuoted("C:\\data\\Sn.ele")).text, "C:\\data\\Sn.ele");
}

TEST(JsonWriter, KeepsValidUtf8AndReplacesInvalidBytes) {
  EXPECT_EQ(JsonQuoted("\xe5\xae\x9a\xe9\x9b\xbb\xe5\x9c\xa7"), "\"\xe5\xae\x9a\xe9\x9b\xbb\xe5\x9c\xa7\"");  // 定電圧
  EXPECT_EQ(JsonQuoted("\xce\xbc"), "\"\xce\xbc\"");                                                      // mu
  EXPECT_EQ(JsonQuoted("a\xff" "b"), "\"a\\ufffdb\"");                      // never a UTF-8 byte
  EXPECT_EQ(JsonQuoted("\xc0\xaf"), "\"\\ufffd\\ufffd\"");                  // overlong
  EXPECT_EQ(JsonQuoted("\xe5\xae"), "\"\\ufffd\\ufffd\"");                  // cut short at the end
  EXPECT_EQ(JsonQuoted("\xed\xa0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");      // a UTF-16 surrogate
  EXPECT_NO_THROW(ParseJson(JsonQuoted("Sn \x93\x7a")));                    // Shift-JIS bytes become valid JSON
}

TEST(JsonWriter, NumbersAreShortestAndReadBackExactly) {
  for (const double value : {0.0, 1.0, 0.1, 0.947, 30.11, 1e-5, 2.5e-300, 1234567890123.0, -0.0005, 300.0}) {
    const std::string text = ShortestDecimal(value);
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    EXPECT_EQ(ParseJson(text).number, value) << text;
  }
  EXPECT_EQ(ShortestDecimal(0.1), "0.1");
  EXPECT_EQ(ShortestDecimal(200.0), "200");
  EXPECT_EQ(ShortestDecimal(3 / 2000.0), "0.0015");  // how the JSON spectrum forms MeV energies
}

TEST(JsonWriter, RefusesNumbersThatAreNotFinite) {
  for (const double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity()}) {
    std::ostringstream out;
    JsonWriter json(out);
    json.BeginArray();
    EXPECT_THROW(json.Number(bad), std::domain_error);
    json.EndArray();
    EXPECT_EQ(out.str(), "[]\n");  // nothing of the refused number was written
  }
}

TEST(JsonWriter, MissingValueBecomesNull) {
  std::ostringstream out;
  JsonWriter json(out);
  json.BeginArray(true);
  json.Number(std::optional<double>{});
  json.Number(std::optional<double>{2.5});
  json.EndArray();
  EXPECT_EQ(out.str(), "[null, 2.5]\n");
}

TEST(JsonWriter, MisuseIsRefused) {
  std::ostringstream out;
  JsonWriter json(out);
  json.BeginObject();
  EXPECT_THROW(json.String("value without key"), std::logic_error);
  json.Key("k");
  EXPECT_THROW(json.Key("second key"), std::logic_error);
  EXPECT_THROW(json.EndObject(), std::logic_error);  // key without value
  json.Null();
  EXPECT_THROW(json.EndArray(), std::logic_error);
  json.EndObject();
  EXPECT_THROW(json.Null(), std::logic_error);  // a second document
  EXPECT_THROW(json.Key("outside"), std::logic_error);
}

}  // namespace
}  // namespace kestrix
