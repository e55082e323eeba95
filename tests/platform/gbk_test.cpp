// GBK to UTF-8 through the committed table, and percent-encoding of query text.
#include <gtest/gtest.h>

#include "platform/gbk.h"

namespace {

std::string utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

struct Conversion {
    const char* name;
    std::string gbk;
    std::string utf8;
};

TEST(Gbk, ConvertsToUtf8) {
    // Narrow literals are compiled to GBK, u8 literals stay UTF-8: the same text twice.
    const Conversion cases[] = {
        {"empty", "", ""},
        {"ASCII", "Explorer C:\\ a&b", "Explorer C:\\ a&b"},
        {"common hanzi", "百度搜索", utf8(u8"百度搜索")},
        {"mixed", "天气 Beijing 北京", utf8(u8"天气 Beijing 北京")},
        {"full-width and punctuation", "（１２）。，", utf8(u8"（１２）。，")},
        {"GBK extension area", "\x81\x40", utf8(u8"丂")},          // U+4E02
        {"last lead byte", "\xFE\x4F", utf8(u8"\uFA29")},           // CP936 FE4F
        {"trail above 0x7F", "\x81\x80", utf8(u8"亐")},            // U+4E90
        {"euro sign of code page 936", "\x80", utf8(u8"€")},
        {"stray lead byte at the end", "a\xB0", "a" + utf8(u8"\uFFFD")},
        {"lead byte before a space keeps the space", "\xB0 x", utf8(u8"\uFFFD") + " x"},
        {"0x7F is no trail byte", "\xB0\x7F", utf8(u8"\uFFFD") + "\x7F"},
        {"0xFF is no lead byte", "\xFF" "b", utf8(u8"\uFFFD") + "b"},
    };
    for (const Conversion& c : cases) EXPECT_EQ(gbk::toUtf8(c.gbk), c.utf8) << c.name;
}

TEST(Gbk, TableCoversTheGb2312Block) {
    // Every pair of the GB2312 hanzi rows (B0..F7 x A1..FE) is a character, and the
    // first and last hanzi sit where the standard puts them.
    for (int lead = 0xB0; lead <= 0xF7; ++lead)
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            if (lead == 0xD7 && trail >= 0xFA) continue;  // the five unassigned cells
            EXPECT_NE(gbk::decodePair(static_cast<unsigned char>(lead),
                                      static_cast<unsigned char>(trail)),
                      0)
                << std::hex << lead << trail;
        }
    EXPECT_EQ(gbk::decodePair(0xB0, 0xA1), 0x554A);  // 啊
    EXPECT_EQ(gbk::decodePair(0xF7, 0xFE), 0x9F44);  // 齄
    EXPECT_EQ(gbk::decodePair(0xB0, 0x7F), 0);
    EXPECT_EQ(gbk::decodePair(0x80, 0x40), 0);
}

struct Encoding {
    std::string in, out;
};

TEST(Gbk, PercentEncodesEverythingButUnreservedBytes) {
    const Encoding cases[] = {
        {"", ""},
        {"AZaz09-._~", "AZaz09-._~"},
        {"a&b c#d", "a%26b%20c%23d"},
        {"1+1=2?/%", "1%2B1%3D2%3F%2F%25"},
        {"\"'<>", "%22%27%3C%3E"},
        {std::string("\0\x7F", 2), "%00%7F"},
        {utf8(u8"中"), "%E4%B8%AD"},
        {"\xFF\x80", "%FF%80"},
    };
    for (const Encoding& c : cases) EXPECT_EQ(gbk::percentEncode(c.in), c.out) << c.in;
}

}  // namespace
