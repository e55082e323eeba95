// Runs to region: ExtCreateRegion per batch of rectangles, OR-combined into one.
#include "platform/win32/region.h"

#include <algorithm>
#include <climits>

namespace {

// NOTE: ExtCreateRegion fails on some systems with very long rectangle lists, so
// the runs go in batches of a fixed size and the batches are combined.
constexpr std::size_t kBatch = 2000;

HRGN batchRegion(const Run* runs, std::size_t count, std::vector<char>& buffer) {
    buffer.assign(sizeof(RGNDATAHEADER) + count * sizeof(RECT), 0);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(count);
    data->rdh.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
    RECT bound = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    auto* rects = reinterpret_cast<RECT*>(data->Buffer);
    for (std::size_t i = 0; i < count; ++i) {
        const Run& r = runs[i];
        rects[i] = {r.left, r.top, r.right, r.bottom};
        bound.left = std::min<LONG>(bound.left, r.left);
        bound.top = std::min<LONG>(bound.top, r.top);
        bound.right = std::max<LONG>(bound.right, r.right);
        bound.bottom = std::max<LONG>(bound.bottom, r.bottom);
    }
    data->rdh.rcBound = bound;
    return ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
}

}  // namespace

HRGN regionFromRuns(const std::vector<Run>& runs) {
    if (runs.empty()) return CreateRectRgn(0, 0, 0, 0);
    std::vector<char> buffer;
    HRGN total = nullptr;
    for (std::size_t at = 0; at < runs.size(); at += kBatch) {
        std::size_t count = std::min(kBatch, runs.size() - at);
        HRGN part = batchRegion(&runs[at], count, buffer);
        if (!part) {
            if (total) DeleteObject(total);
            return nullptr;
        }
        if (!total) {
            total = part;
            continue;
        }
        int kind = CombineRgn(total, total, part, RGN_OR);
        DeleteObject(part);
        if (kind == ERROR) {
            DeleteObject(total);
            return nullptr;
        }
    }
    return total;
}
