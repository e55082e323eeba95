// Files anyone can replace, made hostile, as they reach the widget on Windows: theme
// frames as the icon's picture and shape, wallpapers as the lock's background, data
// as the chime, files as the song. Nothing crashes, hangs or leaks.
#include <fstream>
#include <iterator>

#include "platform/win32/sound.h"
#include "tests/win32/win32_fixture.h"

using namespace win32test;

namespace {

Bytes fileBytes(const std::string& relative) {
    std::ifstream in(std::string("Z:") + WIDGET_SOURCE_DIR + "/" + relative, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes flatPng(int side) {
    return pngOf(side, side, std::vector<std::uint32_t>(std::size_t(side) * side, 0xFF3366CCu));
}

}  // namespace

TEST_F(Win32Desktop, HostileThemeFramesShowNothingAndKeepTheShape) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    const Bytes good = flatPng(42);
    ASSERT_TRUE(desk.setWindowShape(kIcon, good, kDefaultColour));
    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"PNG claiming 100000 x 100000",
         fileBytes("tests/fuzz_regressions/picture/png_claiming_100000x100000.png")},
        {"truncated PNG", fileBytes("tests/fuzz_regressions/picture/png_truncated.png")},
        {"a real picture far too large for an icon", flatPng(1500)},
        {"zero bytes", ""},
    };
    for (const auto& c : cases) {
        desk.setProperty(win(kIcon), prop::kBackPicture, c.bytes);
        EXPECT_FALSE(desk.setWindowShape(kIcon, c.bytes, kDefaultColour)) << c.what;
        desk.redrawWindow(win(kIcon));
        pumpFor(50);  // paints with no readable picture
        EXPECT_TRUE(desk.isLoaded(kIcon)) << c.what;
    }
    // The lock's wallpaper may be far larger than an icon frame.
    ASSERT_TRUE(desk.loadWindow(kLock, &kIcon));
    EXPECT_TRUE(desk.setWindowShape(kLock, flatPng(1500), kDefaultColour));
}

TEST_F(Win32Desktop, HostileWallpapersPaintWhatCanBeRead) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    ASSERT_TRUE(desk.loadWindow(kLock, &kIcon));
    for (const char* name : {"picture/jpeg_cut_in_half.jpg", "picture/png_truncated.png",
                             "picture/png_claiming_100000x100000.png", "mp3/random_bytes.mp3"}) {
        Bytes bytes = fileBytes(std::string("tests/fuzz_regressions/") + name);
        desk.setProperty(win(kLock), prop::kBackPicture, bytes);
        desk.redrawWindow(win(kLock));
        pumpFor(100);
        EXPECT_EQ(desk.getProperty(win(kLock), prop::kBackPicture).asText(), bytes) << name;
    }
}

TEST_F(Win32Desktop, HostileChimeAndSongPlayNothingPromptly) {
    Bytes lying = fileBytes("tests/fuzz_regressions/wav/data_longer_than_file.wav");
    ASSERT_FALSE(lying.empty());
    DWORD start = GetTickCount();
    desk.playSound(lying, false);  // bounded by the bytes present, whether or not a device plays it
    EXPECT_FALSE(desk.playSound(fileBytes("tests/fuzz_regressions/mp3/random_bytes.mp3"), false));
    EXPECT_FALSE(desk.playSound("", false));
    for (const char* song : {"mp3/zero_bytes.mp3", "mp3/random_bytes.mp3"}) {
        desk.playMp3(std::string("Z:") + WIDGET_SOURCE_DIR + "/tests/fuzz_regressions/" + song);
        pumpFor(200);
        EXPECT_FALSE(win32::sound::mp3Playing()) << song;
    }
    desk.stopAllSounds();
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_TRUE(pumpUntil([] { return win32::sound::activeWavPlayers() == 0; }, 10000));
}
