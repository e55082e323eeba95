// RIFF/WAVE chunk walker.
#include "platform/wav.h"

namespace {
std::uint32_t u32(std::string_view b, std::size_t at) {
    auto p = reinterpret_cast<const unsigned char*>(b.data()) + at;
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t u16(std::string_view b, std::size_t at) {
    auto p = reinterpret_cast<const unsigned char*>(b.data()) + at;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
}  // namespace

std::optional<WavInfo> parseWav(std::string_view b) {
    if (b.size() < 36 || b.substr(0, 4) != "RIFF" || b.substr(8, 4) != "WAVE") return std::nullopt;
    WavInfo info;
    bool haveFormat = false, haveData = false;
    std::size_t at = 12;
    while (at + 8 <= b.size() && !(haveFormat && haveData)) {
        std::string_view id = b.substr(at, 4);
        std::uint32_t size = u32(b, at + 4);
        std::size_t body = at + 8;
        std::size_t present = b.size() - body;
        if (id == "fmt ") {
            if (size < 16 || present < 16) return std::nullopt;
            info.formatTag = u16(b, body);
            info.channels = u16(b, body + 2);
            info.sampleRate = u32(b, body + 4);
            info.byteRate = u32(b, body + 8);
            info.blockAlign = u16(b, body + 12);
            info.bitsPerSample = u16(b, body + 14);
            haveFormat = true;
        } else if (id == "data") {
            info.dataOffset = body;
            info.declaredDataLength = size;
            info.dataLength = size < present ? size : present;
            haveData = true;
        }
        // Chunks are padded to an even length; a size running past the end ends the walk.
        std::uint64_t next = std::uint64_t(body) + size + (size & 1);
        if (next > b.size()) break;
        at = static_cast<std::size_t>(next);
    }
    if (!haveFormat || !haveData || info.formatTag != 1) return std::nullopt;
    if (info.channels < 1 || info.channels > 2) return std::nullopt;
    if (info.bitsPerSample != 8 && info.bitsPerSample != 16) return std::nullopt;
    if (info.sampleRate < 1000 || info.sampleRate > 192000) return std::nullopt;
    std::uint16_t align = static_cast<std::uint16_t>(info.channels * info.bitsPerSample / 8);
    info.blockAlign = align;
    info.byteRate = info.sampleRate * align;
    info.dataLength -= info.dataLength % align;
    return info;
}
