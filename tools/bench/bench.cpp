// Times the two picture paths that run while the widget is up: one breathing tick
// (read a 42 x 42 frame, decode it, cut its shape runs) and one lock wallpaper change
// (decode a 1920 x 1080 JPEG, scale it to the screen, composite it). Prints medians.
// Usage: widget_bench [SOURCE_DIR] [SCREEN_WIDTH SCREEN_HEIGHT]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/picture.h"
#include "platform/shape.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::path(WIDGET_SOURCE_DIR);
    const int screenW = argc > 3 ? std::atoi(argv[2]) : 1366;
    const int screenH = argc > 3 ? std::atoi(argv[3]) : 768;
    const fs::path frames = root / "units" / "themes" / fs::path(u8"黑图标");
    const fs::path wallpaper = root / "units" / "assets" / "lock_wallpaper.jpg";

    // The breathing tick, as the icon runs it every 120 ms: 40 ticks of a full cycle.
    std::vector<double> ticks;
    std::size_t runs = 0;
    for (int round = 0; round < 10; ++round) {
        for (int frame = 1; frame <= 20; ++frame) {
            std::u8string name = u8"黑图标";
            for (char c : std::to_string(frame) + ".png") name += static_cast<char8_t>(c);
            const fs::path file = frames / fs::path(name);
            const auto start = Clock::now();
            const std::string bytes = readAll(file);
            auto picture = decodePicture(bytes);
            if (!picture) {
                std::fprintf(stderr, "cannot read the frame %s\n", file.string().c_str());
                return 1;
            }
            runs += shapeRuns(compositeOver(*picture, 0x000000), 0xFF000000).size();
            ticks.push_back(msSince(start));
        }
    }

    // The wallpaper change: decoded once and scaled once per change.
    const std::string jpeg = readAll(wallpaper);
    std::vector<double> changes;
    for (int round = 0; round < 8; ++round) {
        const auto start = Clock::now();
        auto picture = decodePicture(jpeg);
        if (!picture) {
            std::fprintf(stderr, "cannot read the wallpaper %s\n", wallpaper.string().c_str());
            return 1;
        }
        Picture shown = compositeOver(scalePicture(*picture, screenW, screenH), 0xF0F0F0);
        if (shown.width != screenW) return 1;
        changes.push_back(msSince(start));
    }

#ifdef _WIN32
    const char* build = "windows";
#else
    const char* build = "native";
#endif
    std::printf("build %s\n", build);
    std::printf("breath_tick_ms %.3f  (read + decode + shape runs of a 42x42 frame; median of %zu, %zu runs)\n",
                median(ticks), ticks.size(), runs / ticks.size());
    std::printf("wallpaper_change_ms %.1f  (decode 1920x1080 JPEG + scale to %dx%d; median of %zu)\n",
                median(changes), screenW, screenH, changes.size());
    return 0;
}
