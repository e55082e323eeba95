// Walks the chunks of a RIFF/WAVE file to find its PCM format and the sample data
// actually present. Outside bytes: every length is checked against what is there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

struct WavInfo {
    std::uint16_t formatTag = 0;  // 1 = PCM
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::size_t dataOffset = 0;  // into the file's bytes
    std::size_t dataLength = 0;  // bounded by the bytes present, whole blocks only
    std::uint32_t declaredDataLength = 0;
};

// Nothing for data that is not a playable PCM wave (too short, no "RIFF"/"WAVE",
// no "fmt " or "data" chunk, a format other than PCM, or nonsensical fields).
std::optional<WavInfo> parseWav(std::string_view bytes);
