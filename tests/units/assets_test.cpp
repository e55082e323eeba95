// Checks the pictures, icon, chime and theme frames under units/ against the formats the widget and
// Windows expect: PNG size and 8-bit RGBA, ICO directory, baseline JPEG, WAV header, breathing frames.
#include <gtest/gtest.h>

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// NOTE: narrow literals are compiled to GBK; file names on disk are UTF-8, so they come from u8 literals.
fs::path u8(const char8_t* s) { return fs::path(std::u8string(s)); }
fs::path assetDir() { return fs::path(WIDGET_SOURCE_DIR) / "units" / "assets"; }
fs::path themeDir() { return fs::path(WIDGET_SOURCE_DIR) / "units" / "themes"; }

std::vector<uint8_t> readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t le32(const std::vector<uint8_t>& b, size_t at) { return le16(b, at) | (le16(b, at + 2) << 16); }
uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
  return (uint32_t(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}

struct Picture {
  uint32_t width = 0, height = 0;
  int bitDepth = 0, colourType = -1;
  std::vector<uint8_t> rgba;  // decoded pixels, 8-bit RGBA
  const uint8_t* at(uint32_t x, uint32_t y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

// Header fields straight from IHDR (the file's own colour type, not what a decoder converts to),
// then the full decode, so a truncated or corrupt file fails too.
::testing::AssertionResult loadPng(const fs::path& p, Picture& pic) {
  const std::vector<uint8_t> bytes = readAll(p);
  static const uint8_t kSig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() < 33 || std::memcmp(bytes.data(), kSig, 8) != 0 || std::memcmp(&bytes[12], "IHDR", 4) != 0)
    return ::testing::AssertionFailure() << p << " is missing or not a PNG";
  pic.width = be32(bytes, 16);
  pic.height = be32(bytes, 20);
  pic.bitDepth = bytes[24];
  pic.colourType = bytes[25];
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
    return ::testing::AssertionFailure() << p << ": " << image.message;
  image.format = PNG_FORMAT_RGBA;
  pic.rgba.assign(PNG_IMAGE_SIZE(image), 0);
  if (!png_image_finish_read(&image, nullptr, pic.rgba.data(), 0, nullptr))
    return ::testing::AssertionFailure() << p << ": " << image.message;
  return ::testing::AssertionSuccess();
}

struct PngCase {
  const char* file;
  uint32_t width, height;
};

const PngCase kPictures[] = {
    {"icon_base.png", 200, 200},     {"bin_full.png", 128, 128},     {"bin_empty.png", 128, 128},
    {"my_computer.png", 128, 128},   {"desktop.png", 128, 128},      {"drive_tower.png", 128, 128},
    {"system_disk.png", 128, 128},   {"control_panel.png", 128, 128}, {"power.png", 128, 128},
    {"cloud.png", 95, 87},           {"command_prompt.png", 128, 128},
};

TEST(EmbeddedPictures, AreRgbaPngsOfTheirFixedSizeWithTransparentSurroundings) {
  for (const PngCase& c : kPictures) {
    SCOPED_TRACE(c.file);
    Picture pic;
    ASSERT_TRUE(loadPng(assetDir() / c.file, pic));
    EXPECT_EQ(pic.width, c.width);
    EXPECT_EQ(pic.height, c.height);
    EXPECT_EQ(pic.bitDepth, 8);
    EXPECT_EQ(pic.colourType, PNG_COLOR_TYPE_RGB_ALPHA);
    // Cut-out pictures: the corner shows the box behind it, the middle is drawn.
    EXPECT_EQ(pic.at(0, 0)[3], 0);
    size_t opaque = 0;
    for (size_t i = 3; i < pic.rgba.size(); i += 4) opaque += pic.rgba[i] == 255;
    EXPECT_GT(opaque, pic.rgba.size() / 4 / 5) << "too little of the picture is drawn";
  }
}

TEST(EmbeddedPictures, BinPicturesDifferAndIconBaseHasItsDarkCentre) {
  Picture full, empty, base;
  ASSERT_TRUE(loadPng(assetDir() / "bin_full.png", full));
  ASSERT_TRUE(loadPng(assetDir() / "bin_empty.png", empty));
  EXPECT_NE(full.rgba, empty.rgba) << "the full and the empty bin must be told apart";
  ASSERT_TRUE(loadPng(assetDir() / "icon_base.png", base));
  const uint8_t* centre = base.at(100, 100);
  const uint8_t* disc = base.at(100, 50);
  EXPECT_EQ(centre[3], 255);
  EXPECT_LT(centre[0] + centre[1] + centre[2], 3 * 80) << "dark square at the centre";
  EXPECT_GT(disc[0] + disc[1] + disc[2], 3 * 220) << "white disc around it";
}

TEST(ApplicationIcon, HoldsOne64x64ImageAt32Bits) {
  const std::vector<uint8_t> b = readAll(assetDir() / "app_icon.ico");
  ASSERT_GE(b.size(), 6u + 16u + 40u);
  EXPECT_EQ(le16(b, 0), 0u);
  EXPECT_EQ(le16(b, 2), 1u) << "type 1 = icon";
  ASSERT_EQ(le16(b, 4), 1u) << "exactly one image";
  EXPECT_EQ(b[6], 64);
  EXPECT_EQ(b[7], 64);
  EXPECT_EQ(le16(b, 10), 1u) << "planes";
  EXPECT_EQ(le16(b, 12), 32u) << "bits per pixel";
  const uint32_t size = le32(b, 14), offset = le32(b, 18);
  EXPECT_EQ(size_t(offset) + size, b.size()) << "the image runs exactly to the end of the file";
  ASSERT_LE(size_t(offset) + 40, b.size());
  // The image itself: a DIB whose height counts colour and mask halves together.
  EXPECT_EQ(le32(b, offset), 40u);
  EXPECT_EQ(le32(b, offset + 4), 64u);
  EXPECT_EQ(le32(b, offset + 8), 128u);
  EXPECT_EQ(le16(b, offset + 14), 32u);
  EXPECT_EQ(size, 40u + 64 * 64 * 4 + 64 * 8) << "colour rows plus the 1-bit mask";
}

// The SOF marker type decides baseline versus progressive; libjpeg does not report it directly.
int firstFrameMarker(const std::vector<uint8_t>& b) {
  size_t i = 2;
  while (i + 4 <= b.size() && b[i] == 0xFF) {
    const uint8_t m = b[i + 1];
    if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) return m;
    i += 2 + ((b[i + 2] << 8) | b[i + 3]);
  }
  return -1;
}

TEST(LockWallpaper, IsBaselineJpeg1920x1080WithThreeComponentsOnDarkRed) {
  const std::vector<uint8_t> b = readAll(assetDir() / "lock_wallpaper.jpg");
  ASSERT_GT(b.size(), 4u);
  ASSERT_TRUE(b[0] == 0xFF && b[1] == 0xD8) << "no JPEG start marker";
  EXPECT_EQ(firstFrameMarker(b), 0xC0) << "baseline DCT (SOF0)";
  EXPECT_LT(b.size(), 200u * 1024);

  jpeg_decompress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, b.data(), static_cast<unsigned long>(b.size()));
  ASSERT_EQ(jpeg_read_header(&cinfo, TRUE), JPEG_HEADER_OK);
  EXPECT_EQ(cinfo.image_width, 1920u);
  EXPECT_EQ(cinfo.image_height, 1080u);
  EXPECT_EQ(cinfo.num_components, 3);
  EXPECT_FALSE(cinfo.progressive_mode);
  // Decode everything (a cut-off file warns and pads); average the picture to check its red ground.
  jpeg_start_decompress(&cinfo);
  std::vector<uint8_t> row(cinfo.output_width * cinfo.output_components);
  double sum[3] = {0, 0, 0};
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&cinfo, rows, 1);
    for (size_t x = 0; x < row.size(); x += 3)
      for (int c = 0; c < 3; ++c) sum[c] += row[x + c];
  }
  jpeg_finish_decompress(&cinfo);
  EXPECT_EQ(jerr.num_warnings, 0) << "the JPEG data is damaged or cut short";
  jpeg_destroy_decompress(&cinfo);
  EXPECT_GT(sum[0], 1.8 * sum[1]) << "red ground";
  EXPECT_LT(sum[0] / (1920.0 * 1080.0), 160.0) << "dark ground";
}

TEST(EmptiedChime, IsStereo22kHz16BitPcmWith67600DataBytesAndNoClipping) {
  const std::vector<uint8_t> b = readAll(assetDir() / "emptied_chime.wav");
  ASSERT_EQ(b.size(), 67644u);
  EXPECT_EQ(std::memcmp(&b[0], "RIFF", 4), 0);
  EXPECT_EQ(le32(b, 4), 67644u - 8);
  EXPECT_EQ(std::memcmp(&b[8], "WAVEfmt ", 8), 0);
  EXPECT_EQ(le32(b, 16), 16u) << "plain PCM format chunk";
  EXPECT_EQ(le16(b, 20), 1u) << "PCM";
  EXPECT_EQ(le16(b, 22), 2u) << "channels";
  EXPECT_EQ(le32(b, 24), 22050u);
  EXPECT_EQ(le32(b, 28), 22050u * 4) << "byte rate";
  EXPECT_EQ(le16(b, 32), 4u) << "block align";
  EXPECT_EQ(le16(b, 34), 16u);
  EXPECT_EQ(std::memcmp(&b[36], "data", 4), 0);
  EXPECT_EQ(le32(b, 40), 67600u);
  int peak = 0;
  for (size_t i = 44; i + 1 < b.size(); i += 2)
    peak = std::max(peak, std::abs(int(int16_t(le16(b, i)))));
  EXPECT_LT(peak, 32767) << "clipped";
  EXPECT_GT(peak, 8000) << "too quiet to hear";
  EXPECT_LT(std::abs(int(int16_t(le16(b, b.size() - 2)))), 64) << "ends on silence, not a click";
}

struct ThemeCase {
  const char8_t* name;
  int frames;
};

const ThemeCase kThemes[] = {{u8"黑图标", 20}, {u8"蓝图标", 18}};

fs::path framePath(const ThemeCase& t, int n) {
  const std::u8string file = std::u8string(t.name) + reinterpret_cast<const char8_t*>(std::to_string(n).c_str()) +
                             u8".png";
  return themeDir() / u8(t.name) / fs::path(file);
}

TEST(IconThemes, FramesAre42x42RgbaDiscsThatBrightenFromFirstToLast) {
  for (const ThemeCase& t : kThemes) {
    double previous = -1.0;
    for (int n = 1; n <= t.frames; ++n) {
      SCOPED_TRACE(framePath(t, n).string());
      Picture pic;
      ASSERT_TRUE(loadPng(framePath(t, n), pic));
      ASSERT_EQ(pic.width, 42u);
      ASSERT_EQ(pic.height, 42u);
      EXPECT_EQ(pic.bitDepth, 8);
      EXPECT_EQ(pic.colourType, PNG_COLOR_TYPE_RGB_ALPHA);
      double brightness = 0.0;
      int outsideDrawn = 0, opaqueBlack = 0, opaque = 0;
      for (uint32_t y = 0; y < 42; ++y)
        for (uint32_t x = 0; x < 42; ++x) {
          const uint8_t* p = pic.at(x, y);
          // The window shape is cut from the frame: outside the disc nothing may remain, and an opaque
          // pure-black pixel would punch a hole into the icon.
          const double dx = x + 0.5 - 21.0, dy = y + 0.5 - 21.0;
          if (dx * dx + dy * dy > 21.5 * 21.5 && p[3] != 0) ++outsideDrawn;
          if (p[3] == 255 && p[0] == 0 && p[1] == 0 && p[2] == 0) ++opaqueBlack;
          opaque += p[3] == 255;
          brightness += (0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]) * p[3] / 255.0;
        }
      EXPECT_EQ(pic.at(0, 0)[3] | pic.at(41, 0)[3] | pic.at(0, 41)[3] | pic.at(41, 41)[3], 0);
      EXPECT_EQ(outsideDrawn, 0);
      EXPECT_EQ(opaqueBlack, 0);
      EXPECT_GT(opaque, 1000) << "the disc itself is solid";
      EXPECT_GT(brightness, previous) << "frame " << n << " is not brighter than frame " << n - 1;
      previous = brightness;
    }
    // Nothing beyond the last frame: the breathing turns at the theme's own count.
    EXPECT_FALSE(fs::exists(framePath(t, t.frames + 1)));
    EXPECT_FALSE(fs::exists(framePath(t, 0)));
  }
}

TEST(IconThemes, FirstAndLastFramesBreatheVisibly) {
  for (const ThemeCase& t : kThemes) {
    Picture first, last;
    ASSERT_TRUE(loadPng(framePath(t, 1), first));
    ASSERT_TRUE(loadPng(framePath(t, t.frames), last));
    double a = 0, b = 0;
    for (size_t i = 0; i < first.rgba.size(); i += 4) {
      a += first.rgba[i] + first.rgba[i + 1] + first.rgba[i + 2];
      b += last.rgba[i] + last.rgba[i + 1] + last.rgba[i + 2];
    }
    EXPECT_GT(b, a * 1.25) << "the swell from first to last frame is too small to see";
  }
}

}  // namespace
