#include <gtest/gtest.h>

#include "common/Guid.h"
#include "common/TextUtil.h"
#include "common/Utf.h"

namespace tvk {
namespace {

const std::string S(1, kPathSeparator);

TEST(Guid, TextFormIsUpperCaseWithBracesAndMalformedTextIsRefused) {
  const Guid g{0x00112233, 0x4455, 0x6677, {0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff}};
  EXPECT_EQ(GuidToText(g), "{00112233-4455-6677-8899-AABBCCDDEEFF}");
  Guid parsed;
  EXPECT_TRUE(TextToGuid("{00112233-4455-6677-8899-aabbccddeeff}", parsed));
  EXPECT_EQ(parsed, g);
  const char* bad[] = {
      "00112233-4455-6677-8899-AABBCCDDEEFF",    // no braces
      "{00112233-4455-6677-8899-AABBCCDDEEF}",   // 37 characters
      "{00112233-4455-6677-8899-AABBCCDDEEFFF}", // 39 characters
      "{0011223G-4455-6677-8899-AABBCCDDEEFF}",  // not a digit
      "{00112233+4455-6677-8899-AABBCCDDEEFF}",  // separator
      "{00112233-4455-6677-8899- ABBCCDDEEFF}",  // blank inside a pair
  };
  for (const char* text : bad) {
    Guid out{1, 2, 3, {}};
    EXPECT_FALSE(TextToGuid(text, out)) << text;
    EXPECT_TRUE(out.IsZero()) << text;
  }
}

TEST(TextUtil, SplitAndTrimRules) {
  EXPECT_EQ(SplitText("a\t\tb", '\t'), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitText("a\t", '\t'), (std::vector<std::string>{"a"}));
  EXPECT_EQ(SplitText("", '\t'), (std::vector<std::string>{}));
  EXPECT_EQ(Trim("\t\r\n x y \x01"), "x y");
  EXPECT_EQ(FloatListToText({1.5f, 0.1f, 100000.0f, 1e7f}), "1.5;0.1;100000;1e+07");
  std::string text = "a-b-c";
  EXPECT_EQ(ReplaceChar(text, '-', '+'), 2u);
  EXPECT_EQ(text, "a+b+c");
}

TEST(TextUtil, PathRules) {
  EXPECT_EQ(CombinePath("dir", "f.vxl"), "dir" + S + "f.vxl");
  EXPECT_EQ(CombinePath("dir" + S, "f.vxl"), "dir" + S + "f.vxl");
  EXPECT_EQ(CombinePath("dir", S + "f.vxl"), "dir" + S + "f.vxl");
  EXPECT_EQ(CombinePath("", "f.vxl"), "f.vxl");
  EXPECT_EQ(CombinePath("dir", ""), "dir");
  EXPECT_EQ(TrimTrailingSeparators("dir" + S + S), "dir");
  EXPECT_EQ(GetExtension("a.b" + S + "c.vxl"), "vxl");
  EXPECT_EQ(GetExtension("name."), "");
  EXPECT_EQ(GetFileNamePart("x" + S + "y" + S + "prog.exe"), "prog.exe");
  EXPECT_EQ(GetFileNamePart("x" + S + "prog"), "");
  EXPECT_EQ(GetFolderPart("x" + S + "y" + S + "f.vxl"), "x" + S + "y");
}

TEST(Utf, CountsAndCutsUtf16Units) {
  const std::string clef = "\xF0\x9D\x84\x9E";  // U+1D11E, a surrogate pair
  EXPECT_EQ(Utf16Length("abc"), 3u);
  EXPECT_EQ(Utf16Length("\xC3\xA9" + clef), 3u);
  EXPECT_EQ(TruncateUtf16("abcdef", 4), "abcd");
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(clef)), clef);
  EXPECT_EQ(Utf8ToUtf16("\xFF"), std::u16string(1, u'\xFFFD'));
  EXPECT_TRUE(EqualsIgnoreCase("LevelMeasurementMode", "levelmeasurementmode"));
  EXPECT_FALSE(EqualsIgnoreCase("Level", "Levels"));
}

}  // namespace
}  // namespace tvk
