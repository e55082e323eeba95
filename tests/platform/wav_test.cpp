// WAV parsing for the sound players: the PCM they get never reaches past the bytes
// that are really there.
#include <gtest/gtest.h>

#include <string>

#include "platform/wav.h"

namespace {

std::string le32(std::uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return s;
}
std::string le16(std::uint16_t v) { return le32(v).substr(0, 2); }

std::string wav(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                std::uint32_t declaredData, const std::string& data) {
    std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
    std::string fmt = le16(1) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) +
                      le16(bits);
    std::string body = "WAVEfmt " + le32(16) + fmt + "data" + le32(declaredData) + data;
    return "RIFF" + le32(static_cast<std::uint32_t>(body.size())) + body;
}

TEST(ParseWav, BoundsTheDataByTheBytesPresent) {
    struct Case {
        const char* name;
        std::uint16_t channels, bits;
        std::uint32_t declared;
        std::size_t present;
        std::size_t expected;
    } cases[] = {
        {"exact", 2, 16, 4000, 4000, 4000},
        {"data chunk longer than the file", 2, 16, 0xFFFFFFF0u, 1000, 1000},
        {"short by a partial frame", 2, 16, 4000, 1002, 1000},
        {"8-bit mono, odd length", 1, 8, 9, 9, 9},
        {"declared shorter than present", 1, 16, 100, 500, 100},
    };
    for (const auto& c : cases) {
        auto info = parseWav(wav(c.channels, 22050, c.bits, c.declared, std::string(c.present, 'x')));
        ASSERT_TRUE(info) << c.name;
        EXPECT_EQ(info->dataLength, c.expected) << c.name;
        EXPECT_EQ(info->dataOffset, 44u) << c.name;
        EXPECT_EQ(info->channels, c.channels) << c.name;
        EXPECT_EQ(info->declaredDataLength, c.declared) << c.name;
    }
}

TEST(ParseWav, RefusesWhatIsNotPlayablePcm) {
    std::string good = wav(1, 8000, 16, 40, std::string(40, 'x'));
    ASSERT_TRUE(parseWav(good));
    std::string adpcm = good;
    adpcm[20] = 2;
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"too short", good.substr(0, 30)},
        {"no data chunk", good.substr(0, 36)},
        {"not RIFF", "RIFX" + good.substr(4)},
        {"compressed format", adpcm},
        {"24-bit", wav(1, 8000, 24, 6, std::string(6, 'x'))},
        {"six channels", wav(6, 8000, 16, 12, std::string(12, 'x'))},
        {"absurd rate", wav(1, 5, 16, 2, "xx")},
    };
    for (const auto& c : cases) EXPECT_FALSE(parseWav(c.bytes)) << c.name;
}

}  // namespace
