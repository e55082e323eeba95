// Key-colour run finder behind window shapes.
#include "platform/shape.h"

std::vector<Run> shapeRuns(const Picture& p, std::uint32_t renderedKeyArgb) {
    std::vector<Run> runs;
    const std::uint32_t key = renderedKeyArgb & 0x00FFFFFFu;
    if (p.width <= 0 || p.height <= 0 ||
        p.argb.size() < static_cast<std::size_t>(p.width) * p.height)
        return runs;
    for (int y = 0; y < p.height; ++y) {
        const std::uint32_t* row = &p.argb[static_cast<std::size_t>(y) * p.width];
        int x = 0;
        while (x < p.width) {
            while (x < p.width && (row[x] & 0x00FFFFFFu) == key) ++x;
            if (x == p.width) break;
            int start = x;
            while (x < p.width && (row[x] & 0x00FFFFFFu) != key) ++x;
            runs.push_back({start, y, x, y + 1});
        }
    }
    return runs;
}
