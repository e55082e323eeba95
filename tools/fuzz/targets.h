// Entry points that feed outside bytes to the widget's platform-neutral readers.
// The fuzzers call them, and the regression test replays every saved crasher.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {
int toNumber(const std::uint8_t* data, std::size_t size);
int splitBytes(const std::uint8_t* data, std::size_t size);
int wav(const std::uint8_t* data, std::size_t size);
int picture(const std::uint8_t* data, std::size_t size);  // as a theme frame and as a wallpaper
int mp3(const std::uint8_t* data, std::size_t size);

struct Target {
    const char* name;
    int (*run)(const std::uint8_t*, std::size_t);
};
inline constexpr Target kTargets[] = {
    {"to_number", toNumber}, {"split_bytes", splitBytes}, {"wav", wav},
    {"picture", picture},    {"mp3", mp3},
};
}  // namespace fuzz
