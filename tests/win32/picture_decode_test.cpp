// Picture decoding inside the Windows build (run under Wine): libjpeg's error exit
// jumps back over C frames there too, and the assets decode as they do natively.
#include <gtest/gtest.h>

#include "platform/picture.h"
#include "platform/win32/system.h"
#include "platform/win32/wide.h"

namespace {

std::string asset(const char* name) {
    std::string path = std::string("Z:") + WIDGET_SOURCE_DIR + "/units/assets/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return readFileGbk(path);
}

TEST(DecodePictureOnWindows, DamagedJpegsEndTheDecodeNotTheProgram) {
    std::string jpeg = asset("lock_wallpaper.jpg");
    ASSERT_GT(jpeg.size(), 1000u);
    auto whole = decodePicture(jpeg);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->width, 1920);
    EXPECT_EQ(whole->height, 1080);

    // Cut short: the decoded part comes back at full size.
    auto part = decodePicture(std::string_view(jpeg).substr(0, jpeg.size() / 2));
    ASSERT_TRUE(part);
    EXPECT_EQ(part->width, 1920);
    EXPECT_EQ(part->argb[0], whole->argb[0]);

    // Headers destroyed: libjpeg's fatal error must come back as "nothing".
    std::string broken = jpeg;
    for (std::size_t i = 2; i < 600 && i < broken.size(); i += 7) broken[i] = '\x01';
    EXPECT_FALSE(decodePicture(broken));
    EXPECT_FALSE(decodePicture(std::string_view(jpeg).substr(0, 100)));
}

TEST(DecodePictureOnWindows, PngAssetsKeepTheirAlpha) {
    auto icon = decodePicture(asset("bin_full.png"));
    ASSERT_TRUE(icon);
    EXPECT_TRUE(icon->hasAlpha);
    EXPECT_EQ(icon->width, 128);
    EXPECT_EQ(icon->argb[0] >> 24, 0u) << "the corner is transparent";
    Picture small = scalePicture(*icon, 50, 50);
    EXPECT_EQ(small.argb.size(), 2500u);
}

}  // namespace
