// Files anyone can replace (theme frames, wallpapers, the song) and the chime's kind
// of data, made hostile: every reader gives nothing or what it could read, promptly
// and within bounds. Also replays every input the fuzzers ever saved.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "platform/mp3.h"
#include "platform/picture.h"
#include "platform/wav.h"
#include "tools/fuzz/targets.h"
#include "units/unit.h"

namespace {

std::string u32le(std::uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}
std::string u32be(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

// A PNG whose header claims the given size (the CRC is right, the data is not there).
std::string pngClaiming(std::uint32_t w, std::uint32_t h) {
    std::string ihdr = "IHDR" + u32be(w) + u32be(h) + std::string("\x08\x06\x00\x00\x00", 5);
    // CRC-32 of the chunk type and data, as the PNG format asks.
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : ihdr) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    crc ^= 0xFFFFFFFFu;
    return std::string("\x89PNG\r\n\x1a\n", 8) + u32be(13) + ihdr + u32be(crc);
}

std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 g(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(g());
    return s;
}

int run(int (*target)(const std::uint8_t*, std::size_t), const std::string& bytes) {
    return target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(HostileFiles, PicturesAsThemeFramesAndWallpapers) {
    const Bytes frame = resource("icon_base.png");
    const Bytes wallpaper = resource("lock_wallpaper.jpg");
    ASSERT_FALSE(frame.empty());
    ASSERT_FALSE(wallpaper.empty());
    struct Case {
        const char* what;
        std::string bytes;
        bool someImage;  // may give a (partial) picture; otherwise must give nothing
    } cases[] = {
        {"PNG claiming 100000 x 100000", pngClaiming(100000, 100000), false},
        {"PNG claiming 8193 x 2", pngClaiming(8193, 2), false},
        {"truncated PNG", frame.substr(0, frame.size() / 2), false},
        {"PNG header only", frame.substr(0, 33), false},
        {"JPEG cut in half", wallpaper.substr(0, wallpaper.size() / 2), true},
        {"JPEG header only", wallpaper.substr(0, 300), false},
        {"zero bytes", "", false},
        {"random bytes", randomBytes(4096, 7), false},
    };
    for (const auto& c : cases) {
        auto asWallpaper = decodePicture(c.bytes, 8192, 8192);
        auto asFrame = decodePicture(c.bytes, 512, 512);
        if (!c.someImage) {
            EXPECT_FALSE(asWallpaper) << c.what;
        } else if (asWallpaper) {
            EXPECT_EQ(asWallpaper->width, 1920) << c.what;
            EXPECT_EQ(asWallpaper->argb.size(), std::size_t(1920) * 1080) << c.what;
        }
        EXPECT_FALSE(asFrame && asFrame->width > 512) << c.what;
        EXPECT_EQ(run(fuzz::picture, c.bytes), 0) << c.what;  // the shape path too
    }
}

TEST(HostileFiles, WavDataLongerThanTheFileIsBounded) {
    const Bytes chime = resource("emptied_chime.wav");
    ASSERT_GE(chime.size(), 44u);
    std::string lying = chime;
    lying.replace(40, 4, u32le(0x7FFFFFF0));  // the data chunk claims 2 GB
    auto info = parseWav(lying);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->dataLength, chime.size() - 44);
    std::string cut = chime.substr(0, 1000);
    info = parseWav(cut);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->dataLength, 956u);
    std::string fmtLies = chime;
    fmtLies.replace(16, 4, u32le(0xFFFFFFF0));  // "fmt " runs past the end
    EXPECT_EQ(run(fuzz::wav, fmtLies), 0);
    EXPECT_FALSE(parseWav(randomBytes(2000, 3)));
}

TEST(HostileFiles, SongsThatAreNotMusicPlayNothingPromptly) {
    for (const std::string& bytes : {std::string(), randomBytes(64 * 1024, 11),
                                     std::string(100000, '\xFF'), std::string("ID3\x04", 4)}) {
        Mp3Decoder d;
        if (d.openBytes(bytes)) {
            std::vector<std::int16_t> pcm;
            int pieces = 0;
            while (d.next(pcm) && pieces < 100000) ++pieces;
            EXPECT_LT(pieces, 100000);
        }
        EXPECT_EQ(run(fuzz::mp3, bytes), 0);
    }
}

TEST(HostileFiles, SavedFuzzFindingsStayFixed) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(WIDGET_SOURCE_DIR) / "tests" / "fuzz_regressions";
    int replayed = 0;
    for (const auto& target : fuzz::kTargets) {
        fs::path dir = root / target.name;
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::directory_iterator(dir)) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_EQ(run(target.run, bytes), 0) << entry.path();
            ++replayed;
        }
    }
    // The folder holds at least the hostile files of each kind we know of.
    EXPECT_GE(replayed, 6);
}

}  // namespace
