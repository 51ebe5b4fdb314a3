// The conversions of Word's answers into cell text.
#include "stats/word_session.h"

#include <gtest/gtest.h>

#include <optional>

namespace brivanta {
namespace {

Variant Ref(Variant& target) { return Variant::RefTo(target); }

TEST(PageTextTest, AnswersBecomeTextOrNothing) {
  Variant twelve = Variant::Long(12);
  struct Case {
    const char* name;
    Variant value;
    std::optional<std::string> text;
  };
  Case cases[] = {
      {"I4", Variant::Long(12), "12"},
      {"negative I4", Variant::Long(-3), "-3"},
      {"no grouping", Variant::Long(12345), "12345"},
      {"I2", Variant::Short(7), "7"},
      {"BSTR kept as is", Variant::String(L" 7 页"), " 7 页"},
      {"reference resolved", Ref(twelve), "12"},
      {"empty", Variant(), std::nullopt},
      {"empty string", Variant::String(L""), std::nullopt},
      {"missing", Variant::Missing(), std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(PageTextFromVariant(c.value), c.text) << c.name;
}

TEST(WordCountTest, AnswersBecomeANumberOrNothing) {
  Variant inner = Variant::Double(3.5);
  struct Case {
    const char* name;
    Variant value;
    std::optional<double> count;
  };
  Case cases[] = {
      {"I4", Variant::Long(345), 345.0},
      {"R8 fraction", Variant::Double(1234.9), 1234.9},
      {"I2", Variant::Short(8), 8.0},
      {"BSTR number", Variant::String(L"42"), 42.0},
      {"reference resolved", Ref(inner), 3.5},
      {"BSTR not a number", Variant::String(L"many"), std::nullopt},
      {"empty", Variant(), std::nullopt},
      {"missing", Variant::Missing(), std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(WordCountFromVariant(c.value), c.count) << c.name;
}

}  // namespace
}  // namespace brivanta
