// Picture decoding from memory (PNG, JPEG, BMP) with hostile inputs, compositing
// over a colour and resampling.
#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <jpeglib.h>

#include "platform/picture.h"

namespace {

std::uint32_t argb(unsigned a, unsigned r, unsigned g, unsigned b) {
    return (std::uint32_t(a) << 24) | (r << 16) | (g << 8) | b;
}
unsigned chan(std::uint32_t px, int shift) { return (px >> shift) & 0xFF; }

// Encodes 8-bit pixel bytes in the given simplified-API format as a PNG file.
std::string encodePng(int w, int h, std::uint32_t format, const std::vector<unsigned char>& px) {
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    img.width = w;
    img.height = h;
    img.format = format;
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&img, nullptr, &size, 0, px.data(), 0, nullptr));
    std::string out(size, '\0');
    EXPECT_TRUE(png_image_write_to_memory(&img, out.data(), &size, 0, px.data(), 0, nullptr));
    out.resize(size);
    return out;
}

std::string encodeJpeg(int w, int h, int components, const std::vector<unsigned char>& px,
                       int quality = 95) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = components;
    c.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(&px[std::size_t(c.next_scanline) * w * components]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    std::string out(reinterpret_cast<char*>(buffer), size);
    jpeg_destroy_compress(&c);
    std::free(buffer);
    return out;
}

// A picture in plain RGB bytes: red rises to the right, green downwards, blue fixed.
std::vector<unsigned char> gradient(int w, int h) {
    std::vector<unsigned char> px;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            px.push_back(static_cast<unsigned char>(x * 255 / (w - 1)));
            px.push_back(static_cast<unsigned char>(y * 255 / (h - 1)));
            px.push_back(90);
        }
    return px;
}

void putBe32(std::string& s, std::uint32_t v) {
    for (int i = 3; i >= 0; --i) s.push_back(static_cast<char>((v >> (i * 8)) & 0xFF));
}

// A PNG with a valid signature and IHDR (correct CRC) claiming the given size,
// followed by a tiny IDAT that cannot fill it.
std::string pngClaiming(std::uint32_t w, std::uint32_t h) {
    std::string s("\x89PNG\r\n\x1a\n", 8);
    std::string ihdr = "IHDR";
    putBe32(ihdr, w);
    putBe32(ihdr, h);
    ihdr += std::string("\x08\x06\x00\x00\x00", 5);  // 8-bit RGBA, no interlace
    putBe32(s, 13);
    s += ihdr;
    putBe32(s, crc32(0, reinterpret_cast<const Bytef*>(ihdr.data()), ihdr.size()));
    std::string idat = "IDAT";
    idat += std::string("\x78\x9c\x03\x00\x00\x00\x00\x01", 8);
    putBe32(s, 8);
    s += idat;
    putBe32(s, crc32(0, reinterpret_cast<const Bytef*>(idat.data()), idat.size()));
    return s;
}

// ---------------------------------------------------------------- PNG --------------

TEST(DecodePng, ReadsEveryPixelFormatAsStraightArgb) {
    struct Case {
        const char* name;
        std::uint32_t format;
        std::vector<unsigned char> bytes;  // 2 x 1 pixels in that format
        std::uint32_t first, second;
        bool hasAlpha;
    } cases[] = {
        {"rgba", PNG_FORMAT_RGBA, {255, 0, 0, 128, 10, 20, 30, 0}, argb(128, 255, 0, 0),
         argb(0, 10, 20, 30), true},
        {"rgb", PNG_FORMAT_RGB, {1, 2, 3, 250, 251, 252}, argb(255, 1, 2, 3),
         argb(255, 250, 251, 252), false},
        {"gray", PNG_FORMAT_GRAY, {0, 200}, argb(255, 0, 0, 0), argb(255, 200, 200, 200), false},
        {"gray+alpha", PNG_FORMAT_GA, {77, 255, 77, 64}, argb(255, 77, 77, 77),
         argb(64, 77, 77, 77), true},
    };
    for (const auto& c : cases) {
        auto pic = decodePicture(encodePng(2, 1, c.format, c.bytes));
        ASSERT_TRUE(pic) << c.name;
        EXPECT_EQ(pic->width, 2) << c.name;
        EXPECT_EQ(pic->height, 1) << c.name;
        EXPECT_EQ(pic->hasAlpha, c.hasAlpha) << c.name;
        EXPECT_EQ(pic->at(0, 0), c.first) << c.name;
        EXPECT_EQ(pic->at(1, 0), c.second) << c.name;
    }
}

TEST(DecodePng, KeepsRowOrderTopDown) {
    auto rgb = gradient(5, 4);
    auto pic = decodePicture(encodePng(5, 4, PNG_FORMAT_RGB, rgb));
    ASSERT_TRUE(pic);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const unsigned char* s = &rgb[(y * 5 + x) * 3];
            EXPECT_EQ(pic->at(x, y), argb(255, s[0], s[1], s[2])) << x << "," << y;
        }
}

TEST(DecodePng, RefusesSizesBeyondTheLimitsFromTheHeader) {
    // 100000 x 100000 RGBA would be 40 GB; the header alone must turn it away.
    EXPECT_FALSE(decodePicture(pngClaiming(100000, 100000)));
    EXPECT_FALSE(decodePicture(pngClaiming(9000, 1)));  // over the default 8192 width
    std::string png = encodePng(40, 30, PNG_FORMAT_RGB, gradient(40, 30));
    EXPECT_FALSE(decodePicture(png, 39, 30));
    EXPECT_FALSE(decodePicture(png, 40, 29));
    EXPECT_TRUE(decodePicture(png, 40, 30));
}

TEST(DecodePng, TruncatedOrDamagedDataGivesNothing) {
    std::string png = encodePng(40, 30, PNG_FORMAT_RGB, gradient(40, 30));
    for (std::size_t cut : {std::size_t(0), std::size_t(7), std::size_t(8), std::size_t(20),
                            std::size_t(33), std::size_t(45), png.size() / 2, png.size() - 13}) {
        EXPECT_FALSE(decodePicture(png.substr(0, cut))) << "cut at " << cut;
    }
    // A claimed size inside the limits with almost no pixel data behind it.
    EXPECT_FALSE(decodePicture(pngClaiming(300, 200)));
    std::string damaged = png;
    damaged[damaged.size() / 2] ^= 0x5A;  // breaks the IDAT CRC / inflate stream
    EXPECT_FALSE(decodePicture(damaged));
}

// ---------------------------------------------------------------- JPEG -------------

TEST(DecodeJpeg, DecodesColourAndGreyPicturesClosely) {
    const int w = 64, h = 48;
    auto rgb = gradient(w, h);
    auto pic = decodePicture(encodeJpeg(w, h, 3, rgb));
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->width, w);
    EXPECT_EQ(pic->height, h);
    EXPECT_FALSE(pic->hasAlpha);
    int worst = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint32_t px = pic->at(x, y);
            EXPECT_EQ(px >> 24, 255u);
            const unsigned char* s = &rgb[(y * w + x) * 3];
            worst = std::max({worst, std::abs(int(chan(px, 16)) - s[0]),
                              std::abs(int(chan(px, 8)) - s[1]), std::abs(int(chan(px, 0)) - s[2])});
        }
    EXPECT_LE(worst, 16);

    std::vector<unsigned char> grey(w * h, 0);
    for (int i = 0; i < w * h; ++i) grey[i] = static_cast<unsigned char>(i % w * 4);
    auto g = decodePicture(encodeJpeg(w, h, 1, grey));
    ASSERT_TRUE(g);
    std::uint32_t px = g->at(40, 10);
    EXPECT_EQ(chan(px, 16), chan(px, 8));
    EXPECT_EQ(chan(px, 8), chan(px, 0));
    EXPECT_NEAR(int(chan(px, 0)), 160, 8);
}

TEST(DecodeJpeg, TruncatedDataGivesTheDecodedPartWithoutCrashing) {
    const int w = 64, h = 64;
    std::vector<unsigned char> px;  // top half bright red, bottom half bright green
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            px.push_back(y < h / 2 ? 230 : 0);
            px.push_back(y < h / 2 ? 0 : 230);
            px.push_back(0);
        }
    std::string jpeg = encodeJpeg(w, h, 3, px);
    // Cuts inside the entropy-coded data, after the scan header.
    std::size_t sos = jpeg.find("\xFF\xDA");
    ASSERT_NE(sos, std::string::npos);
    std::size_t scan = jpeg.size() - sos;
    for (std::size_t cut : {sos + scan / 2, sos + scan * 3 / 4, jpeg.size() - 2}) {
        auto pic = decodePicture(jpeg.substr(0, cut));
        ASSERT_TRUE(pic) << "cut at " << cut;
        EXPECT_EQ(pic->width, w);
        EXPECT_EQ(pic->height, h);
        std::uint32_t top = pic->at(5, 2);
        EXPECT_GT(int(chan(top, 16)), 200) << "cut at " << cut;
        EXPECT_LT(int(chan(top, 8)), 40) << "cut at " << cut;
    }
    // Cut inside the headers: nothing to show, and no exit() from the library.
    for (std::size_t cut : {std::size_t(3), std::size_t(20), sos / 2, sos + 4})
        EXPECT_FALSE(decodePicture(jpeg.substr(0, cut))) << "cut at " << cut;
}

TEST(DecodeJpeg, CorruptOrOversizedHeadersGiveNothing) {
    std::string jpeg = encodeJpeg(16, 16, 3, gradient(16, 16));
    // Garbage straight after the start marker.
    std::string garbage = jpeg.substr(0, 3);
    std::srand(7);
    for (int i = 0; i < 400; ++i) garbage.push_back(static_cast<char>(std::rand() & 0xFF));
    EXPECT_FALSE(decodePicture(garbage));

    // The frame header rewritten to claim 60000 x 60000.
    std::size_t sof = jpeg.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    std::string huge = jpeg;
    huge[sof + 5] = huge[sof + 7] = static_cast<char>(0xEA);
    huge[sof + 6] = huge[sof + 8] = static_cast<char>(0x60);
    EXPECT_FALSE(decodePicture(huge));
    EXPECT_FALSE(decodePicture(jpeg, 15, 16));
    EXPECT_TRUE(decodePicture(jpeg, 16, 16));
}

// ---------------------------------------------------------------- BMP --------------

std::string bmp(int w, int h, int bpp, const std::vector<unsigned char>& rows) {
    auto put32 = [](std::string& s, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (i * 8)) & 0xFF));
    };
    auto put16 = [](std::string& s, std::uint16_t v) {
        s.push_back(static_cast<char>(v & 0xFF));
        s.push_back(static_cast<char>(v >> 8));
    };
    std::string s = "BM";
    put32(s, 54 + rows.size());
    put32(s, 0);
    put32(s, 54);
    put32(s, 40);
    put32(s, static_cast<std::uint32_t>(w));
    put32(s, static_cast<std::uint32_t>(h));
    put16(s, 1);
    put16(s, static_cast<std::uint16_t>(bpp));
    for (int i = 0; i < 6; ++i) put32(s, 0);
    s.append(rows.begin(), rows.end());
    return s;
}

TEST(DecodeBmp, ReadsBottomUpPaddedAndTopDownRows) {
    // 24-bit, 3 x 2, bottom-up: the first stored row is the picture's bottom row;
    // each row is padded from 9 to 12 bytes.
    std::vector<unsigned char> rows = {
        1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0,            // bottom row (BGR)
        10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 0, 0};  // top row
    auto pic = decodePicture(bmp(3, 2, 24, rows));
    ASSERT_TRUE(pic);
    EXPECT_FALSE(pic->hasAlpha);
    EXPECT_EQ(pic->at(0, 0), argb(255, 30, 20, 10));
    EXPECT_EQ(pic->at(2, 0), argb(255, 90, 80, 70));
    EXPECT_EQ(pic->at(0, 1), argb(255, 3, 2, 1));

    // 32-bit top-down (negative height) with alpha in the fourth byte.
    std::vector<unsigned char> px = {10, 20, 30, 128, 1, 2, 3, 255};
    auto topDown = decodePicture(bmp(1, -2, 32, px));
    ASSERT_TRUE(topDown);
    EXPECT_TRUE(topDown->hasAlpha);
    EXPECT_EQ(topDown->at(0, 0), argb(128, 30, 20, 10));
    EXPECT_EQ(topDown->at(0, 1), argb(255, 3, 2, 1));

    // All-zero fourth bytes mean the channel is unused: opaque.
    auto noAlpha = decodePicture(bmp(1, 1, 32, {9, 8, 7, 0}));
    ASSERT_TRUE(noAlpha);
    EXPECT_FALSE(noAlpha->hasAlpha);
    EXPECT_EQ(noAlpha->at(0, 0), argb(255, 7, 8, 9));
}

TEST(DecodeBmp, ShortOrUnsupportedDataGivesNothing) {
    std::vector<unsigned char> rows(24, 0);
    std::string good = bmp(3, 2, 24, rows);
    EXPECT_TRUE(decodePicture(good));
    EXPECT_FALSE(decodePicture(good.substr(0, good.size() - 1)));  // last row incomplete
    EXPECT_FALSE(decodePicture(bmp(3, 2, 8, rows)));               // palette pictures
    EXPECT_FALSE(decodePicture(bmp(0, 2, 24, rows)));
    EXPECT_FALSE(decodePicture(bmp(100000, 100000, 24, rows)));
}

TEST(DecodePicture, UnknownBytesGiveNothing) {
    EXPECT_FALSE(decodePicture(""));
    EXPECT_FALSE(decodePicture("GIF89a......"));
    EXPECT_FALSE(decodePicture(std::string("\x89PNG", 4)));
    EXPECT_FALSE(decodePicture("BM"));
}

// ---------------------------------------------------------------- compositing ------

TEST(CompositeOver, BlendsOverTheColoursRgbBytesAndIsOpaque) {
    Picture p;
    p.width = 4;
    p.height = 1;
    p.hasAlpha = true;
    p.argb = {argb(0, 255, 255, 255), argb(255, 10, 20, 30), argb(128, 255, 0, 0),
              argb(51, 0, 0, 0)};
    // 0x00BBGGRR: blue 0x33, green 0x66, red 0x99.
    Picture out = compositeOver(p, 0x00336699);
    EXPECT_FALSE(out.hasAlpha);
    ASSERT_EQ(out.argb.size(), 4u);
    EXPECT_EQ(out.argb[0], argb(255, 0x99, 0x66, 0x33));  // transparent: the colour alone
    EXPECT_EQ(out.argb[1], argb(255, 10, 20, 30));        // opaque: unchanged
    EXPECT_EQ(out.argb[2], argb(255, (255 * 128 + 0x99 * 127 + 127) / 255, (0x66 * 127 + 127) / 255,
                                (0x33 * 127 + 127) / 255));
    EXPECT_EQ(out.argb[3], argb(255, 0x7A, 0x52, 0x29));  // 80% of the colour

    // The top byte of the colour is ignored: the default colour composites over black.
    Picture black = compositeOver(p, 0xFF000000u);
    EXPECT_EQ(black.argb[0], argb(255, 0, 0, 0));
}

// ---------------------------------------------------------------- scaling ----------

Picture solid(int w, int h, std::uint32_t c) {
    Picture p;
    p.width = w;
    p.height = h;
    p.argb.assign(std::size_t(w) * h, c);
    return p;
}

TEST(ScalePicture, KeepsFlatColoursAndTheRequestedSize) {
    struct Case {
        int sw, sh, dw, dh;
    } cases[] = {{128, 128, 50, 50}, {128, 128, 42, 42}, {3, 2, 1920, 1080},
                 {2000, 1200, 1920, 1080}, {7, 5, 7, 5}, {1, 1, 9, 3}};
    const std::uint32_t c = argb(255, 12, 200, 99);
    for (const auto& k : cases) {
        Picture out = scalePicture(solid(k.sw, k.sh, c), k.dw, k.dh);
        ASSERT_EQ(out.width, k.dw);
        ASSERT_EQ(out.height, k.dh);
        ASSERT_EQ(out.argb.size(), std::size_t(k.dw) * k.dh);
        for (std::uint32_t px : out.argb) ASSERT_EQ(px, c) << k.sw << "->" << k.dw;
    }
    EXPECT_EQ(scalePicture(solid(4, 4, c), 0, 5).argb.size(), 0u);
    EXPECT_EQ(scalePicture(Picture{}, 5, 5).width, 0);
}

TEST(ScalePicture, ShrinkingKeepsLayoutAndTransparentColourDoesNotBleed) {
    // Left half opaque red, right half fully transparent with green colour bytes.
    Picture p = solid(128, 128, argb(255, 255, 0, 0));
    p.hasAlpha = true;
    for (int y = 0; y < 128; ++y)
        for (int x = 64; x < 128; ++x) p.argb[y * 128 + x] = argb(0, 0, 255, 0);
    Picture out = scalePicture(p, 50, 50);
    EXPECT_TRUE(out.hasAlpha);
    EXPECT_EQ(out.at(5, 25), argb(255, 255, 0, 0));
    EXPECT_EQ(out.at(45, 25) >> 24, 0u);
    for (std::uint32_t px : out.argb) {
        if (px >> 24) {
            EXPECT_EQ(chan(px, 8), 0u) << "green leaked into a visible pixel";
        }
    }
    // The edge is soft but in the middle.
    EXPECT_GT(out.at(24, 25) >> 24, 128u);
    EXPECT_LT(out.at(26, 25) >> 24, 128u);
}

TEST(ScalePicture, EnlargingInterpolatesBetweenNeighbours) {
    Picture p = solid(2, 1, argb(255, 0, 0, 0));
    p.argb[1] = argb(255, 200, 200, 200);
    Picture out = scalePicture(p, 8, 1);
    EXPECT_EQ(out.at(0, 0), argb(255, 0, 0, 0));
    EXPECT_EQ(out.at(7, 0), argb(255, 200, 200, 200));
    for (int x = 1; x < 8; ++x) EXPECT_GE(chan(out.at(x, 0), 16), chan(out.at(x - 1, 0), 16));
    EXPECT_NEAR(int(chan(out.at(4, 0), 16)), 112, 15);
}

}  // namespace
