// Shared declarations of the asset tool: picture I/O helpers and the sound and sky generators.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgba {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // 8-bit RGBA, rows top to bottom, not premultiplied
};

bool readPng(const std::string& path, Rgba& out);
bool writePng(const std::string& path, const Rgba& img);
// Baseline (SOF0) JPEG, 3 components, 4:2:0; alpha is dropped (the source is opaque).
bool writeJpeg(const std::string& path, const Rgba& img, int quality);

// 16-bit PCM WAV with the plain 44-byte header.
bool writeWav(const std::string& path, const std::vector<int16_t>& interleaved, int channels, int rate);
std::vector<int16_t> synthChime();  // stereo, 22050 Hz, exactly 16900 frames
std::vector<int16_t> synthSong();   // stereo, 44100 Hz, about 30 s

Rgba renderSky(int index, int width, int height);  // index 1..60, each a different scene
