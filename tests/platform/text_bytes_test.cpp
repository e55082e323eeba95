// Platform-neutral helpers: texts, numbers, bytes and the random generator.
#include <gtest/gtest.h>

#include "platform/desktop_services.h"

namespace {

TEST(ToNumber, ReadsTheLeadingNumberAsAtofDoes) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"２０", 20},          // full-width digits fold to ASCII
        {"１２．５", 12.5},      // full-width point
        {"－７", -7},           // full-width minus
        {"12abc", 12},
        {"  42", 42},
        {"\t-3.25e2x", -325},
        {"1e", 1},             // an exponent without digits is not part of the number
        {".5", 0.5},
        {"+8", 8},
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"0x1A", 0},           // no hexadecimal form
        {"inf", 0},            // nor infinity
        {"时间20", 0},          // a number must lead
        {"　９", 9},            // the ideographic space counts as white space
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(toNumber(c.text), c.value) << c.text;
}

TEST(ToNumber, DoesNotFoldTrailBytesOfOtherCharacters) {
    // 0xB0 0xA3 is a double-byte character whose trail byte is 0xA3; the byte after
    // it must not be read as the second half of a full-width form.
    Text t = "\xB0\xA3\xB0";
    EXPECT_DOUBLE_EQ(toNumber(t), 0);
}

TEST(Texts, JoinCompareAndConvert) {
    EXPECT_EQ(joinTexts({"C:\\Tools", "\\", "黑图标"}), "C:\\Tools\\黑图标");
    EXPECT_EQ(joinTexts({}), "");
    Text a = "abc", b = "abd", empty;
    EXPECT_EQ(compareTexts(a, b), -1);
    EXPECT_EQ(compareTexts(b, a), 1);
    EXPECT_EQ(compareTexts(a, a), 0);
    EXPECT_EQ(compareTexts(nullptr, &empty), 0);  // absent = empty
    EXPECT_EQ(compareTexts(nullptr, &a), -1);
    Text high = "\xB0", low = "a";
    EXPECT_EQ(compareTexts(high, low), 1);  // bytes compare unsigned
    Text withNul("ab\0x", 4), plain = "ab";
    EXPECT_EQ(compareTexts(withNul, plain), 0);  // up to the terminating NUL
    EXPECT_EQ(toText(-15), "-15");
    EXPECT_EQ(toText(0), "0");
    EXPECT_EQ(bytesToText(Bytes("ab\0cd", 5)), "ab");
    EXPECT_EQ(bytesToText("abc"), "abc");
}

TEST(Bytes, BlankAndLeft) {
    EXPECT_EQ(blankBytes(3), Bytes(3, '\0'));
    EXPECT_TRUE(blankBytes(0).empty());
    EXPECT_TRUE(blankBytes(-2).empty());
    EXPECT_EQ(leftBytes("abcdef", 2), "ab");
    EXPECT_EQ(leftBytes("abc", 10), "abc");
    EXPECT_EQ(leftBytes("abc", -1), "");
}

TEST(Bytes, SplitAtSeparators) {
    const Bytes nul(1, '\0');
    struct Case {
        Bytes input;
        Bytes separator;
        int maximum;
        ByteList pieces;
    } cases[] = {
        {Bytes("C:\\\0D:\\", 7), nul, -1, {"C:\\", "D:\\"}},
        {Bytes("C:\\\0D:\\\0", 8), nul, -1, {"C:\\", "D:\\"}},  // trailing NUL: no empty piece
        {Bytes("a\0\0b", 4), nul, -1, {"a", "", "b"}},           // adjacent separators
        {"", nul, -1, {}},
        {"a,b,c", ",", 2, {"a", "b"}},                           // maximum drops the rest
        {"a--b--", "--", -1, {"a", "b"}},
        {"abc", ",", -1, {"abc"}},
        {",a", ",", -1, {"", "a"}},
    };
    for (const auto& c : cases) EXPECT_EQ(splitBytes(c.input, c.separator, c.maximum), c.pieces);
}

TEST(Random, GeneratorSequenceAndRanges) {
    RandomGenerator g;
    g.state = 0;
    // state = state * 214013 + 2531011; r = (state >> 16) & 0x7FFF
    EXPECT_EQ(g.next(), 38);
    EXPECT_EQ(g.next(), 7719);
    EXPECT_EQ(g.next(), 21238);

    RandomGenerator r;
    r.seedFromTick(12345);
    bool seen1 = false, seen60 = false;
    for (int i = 0; i < 20000; ++i) {
        int n = r.inRange(1, 60);
        ASSERT_GE(n, 1);
        ASSERT_LE(n, 60);
        seen1 |= n == 1;
        seen60 |= n == 60;
    }
    EXPECT_TRUE(seen1 && seen60);

    std::uint32_t before = r.state;
    EXPECT_EQ(r.inRange(7, 7), 7);
    EXPECT_EQ(r.state, before);  // equal bounds leave the generator alone
}

TEST(Random, SeedingTwiceInOneMillisecondDiffers) {
    RandomGenerator g;
    g.seedFromTick(1000);
    std::uint32_t first = g.state;
    EXPECT_EQ(first, 1000u);  // counter starts at 0
    g.seedFromTick(1000);
    // counter became 0 + ((1000 + 0) & 0xFF) + 100 = 232 + 100
    EXPECT_EQ(g.state, 1000u + 332u);
    g.seedFromTick(1000);
    EXPECT_EQ(g.state, 1000u + 332u + ((1000u + 332u) & 0xFF) + 100u);
}

TEST(Reals, ToleranceComparisons) {
    EXPECT_TRUE(realEqual(960.0, 960.00000005));
    EXPECT_FALSE(realLess(960.0 - 5e-8, 960.0));
    EXPECT_TRUE(realLess(682.0, 682.5));
    EXPECT_TRUE(realGreater(683.0, 682.5));
}

}  // namespace
