// Asset tool: normalises PNGs, packs the application icon, writes JPEGs, the chime, the demo song and skies.
// Built and run by generate.sh / make_demo_data.sh only; its outputs are byte-for-byte reproducible.
#include "assettool.h"

#include <png.h>
#include <jpeglib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

bool readPng(const std::string& path, Rgba& out) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGBA;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.pixels.assign(PNG_IMAGE_SIZE(image), 0);
  return png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr) != 0;
}

bool writePng(const std::string& path, const Rgba& img) {
  // Fully transparent pixels carry no colour; zeroing them keeps the file small and stable.
  Rgba clean = img;
  for (size_t i = 0; i < clean.pixels.size(); i += 4)
    if (clean.pixels[i + 3] == 0) clean.pixels[i] = clean.pixels[i + 1] = clean.pixels[i + 2] = 0;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, clean.width, clean.height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < clean.height; ++y)
    png_write_row(png, clean.pixels.data() + static_cast<size_t>(y) * clean.width * 4);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

bool writeJpeg(const std::string& path, const Rgba& img, int quality) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, f);
  cinfo.image_width = img.width;
  cinfo.image_height = img.height;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.optimize_coding = TRUE;  // still baseline: only the Huffman tables are tuned
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(img.width) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const uint8_t* src = img.pixels.data() + static_cast<size_t>(cinfo.next_scanline) * img.width * 4;
    for (int x = 0; x < img.width; ++x) std::memcpy(&row[x * 3], &src[x * 4], 3);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(f) == 0;
}

namespace {

void put16(std::string& s, uint32_t v) { s += char(v & 255); s += char((v >> 8) & 255); }
void put32(std::string& s, uint32_t v) { put16(s, v & 0xFFFF); put16(s, v >> 16); }

bool writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// One 32-bpp DIB image: header, BGRA rows bottom-up, then the 1-bpp AND mask (rows padded to 4 bytes).
// NOTE: the DIB height counts the XOR and AND halves together, so it is twice the picture's height.
bool writeIco(const std::string& path, const Rgba& img) {
  const int w = img.width, h = img.height;
  const uint32_t maskStride = ((w + 31) / 32) * 4;
  const uint32_t dibSize = 40 + w * h * 4 + maskStride * h;
  std::string s;
  put16(s, 0); put16(s, 1); put16(s, 1);                    // ICONDIR: reserved, type icon, one image
  s += char(w); s += char(h); s += char(0); s += char(0);   // width, height, no palette, reserved
  put16(s, 1); put16(s, 32); put32(s, dibSize); put32(s, 6 + 16);
  put32(s, 40); put32(s, w); put32(s, h * 2); put16(s, 1); put16(s, 32);
  put32(s, 0); put32(s, w * h * 4); put32(s, 0); put32(s, 0); put32(s, 0); put32(s, 0);
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &img.pixels[(static_cast<size_t>(y) * w + x) * 4];
      s += char(p[2]); s += char(p[1]); s += char(p[0]); s += char(p[3]);
    }
  for (int y = h - 1; y >= 0; --y) {
    std::string row(maskStride, '\0');
    for (int x = 0; x < w; ++x)
      if (img.pixels[(static_cast<size_t>(y) * w + x) * 4 + 3] == 0) row[x / 8] |= char(0x80 >> (x % 8));
    s += row;
  }
  return writeBytes(path, s);
}

int usage() {
  std::cerr << "usage: assettool png IN OUT | ico IN.png OUT.ico | jpeg IN.png OUT.jpg QUALITY\n"
               "                 | chime OUT.wav | song OUT.wav | sky N OUT.jpg\n";
  return 2;
}

}  // namespace

bool writeWav(const std::string& path, const std::vector<int16_t>& samples, int channels, int rate) {
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::string s = "RIFF";
  put32(s, 36 + dataBytes);
  s += "WAVEfmt ";
  put32(s, 16); put16(s, 1); put16(s, channels); put32(s, rate);
  put32(s, rate * channels * 2); put16(s, channels * 2); put16(s, 16);
  s += "data";
  put32(s, dataBytes);
  for (int16_t v : samples) put16(s, static_cast<uint16_t>(v));
  return writeBytes(path, s);
}

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string cmd = argv[1];
  Rgba img;
  bool ok = false;
  if ((cmd == "png" || cmd == "ico") && argc == 4) {
    if (!readPng(argv[2], img)) { std::cerr << "cannot read " << argv[2] << "\n"; return 1; }
    ok = cmd == "png" ? writePng(argv[3], img) : writeIco(argv[3], img);
  } else if (cmd == "jpeg" && argc == 5) {
    if (!readPng(argv[2], img)) { std::cerr << "cannot read " << argv[2] << "\n"; return 1; }
    ok = writeJpeg(argv[3], img, std::atoi(argv[4]));
  } else if (cmd == "chime" && argc == 3) {
    ok = writeWav(argv[2], synthChime(), 2, 22050);
  } else if (cmd == "song" && argc == 3) {
    ok = writeWav(argv[2], synthSong(), 2, 44100);
  } else if (cmd == "sky" && argc == 4) {
    ok = writeJpeg(argv[3], renderSky(std::atoi(argv[2]), 1920, 1080), 88);
  } else {
    return usage();
  }
  if (!ok) std::cerr << "assettool " << cmd << ": writing failed\n";
  return ok ? 0 : 1;
}
