// The fuzz bodies. Each checks the reader's own promises, so a broken promise is a
// finding even when nothing crashes.
#include "tools/fuzz/targets.h"

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop_services.h"
#include "platform/mp3.h"
#include "platform/picture.h"
#include "platform/shape.h"
#include "platform/wav.h"

namespace fuzz {
namespace {
std::string bytesOf(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}
void require(bool promise) {
    if (!promise) std::abort();
}
}  // namespace

int toNumber(const std::uint8_t* data, std::size_t size) {
    double v = ::toNumber(bytesOf(data, size));
    require(v == v);  // never NaN
    return 0;
}

int splitBytes(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // First byte picks the separator length (0..3) and the maximum.
    std::size_t sepLen = data[0] & 3;
    int maximum = (data[0] >> 2) % 8 - 1;
    if (size < 1 + sepLen) return 0;
    std::string sep = bytesOf(data + 1, sepLen);
    std::string input = bytesOf(data + 1 + sepLen, size - 1 - sepLen);
    ByteList pieces = ::splitBytes(input, sep, maximum);
    std::size_t total = 0;
    for (const auto& p : pieces) total += p.size();
    require(total <= input.size());
    if (maximum > 0) require(pieces.size() <= static_cast<std::size_t>(maximum));
    if (!sep.empty())
        for (const auto& p : pieces) require(p.find(sep) == std::string::npos);
    return 0;
}

int wav(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (auto info = parseWav(bytes)) {
        require(info->dataOffset <= size);
        require(info->dataLength <= size - info->dataOffset);
        require(info->blockAlign > 0 && info->dataLength % info->blockAlign == 0);
    }
    return 0;
}

int picture(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // As a theme frame (small bound) and as a wallpaper (large bound).
    for (int bound : {512, 8192}) {
        auto p = decodePicture(bytes, bound, bound);
        if (!p) continue;
        require(p->width > 0 && p->height > 0 && p->width <= bound && p->height <= bound);
        require(p->argb.size() == static_cast<std::size_t>(p->width) * p->height);
        if (bound == 512) {
            Picture opaque = compositeOver(*p, 0);
            auto runs = shapeRuns(opaque, 0xFF000000u);
            for (const auto& r : runs)
                require(r.left >= 0 && r.left < r.right && r.right <= p->width && r.top >= 0 &&
                        r.bottom == r.top + 1 && r.bottom <= p->height);
        }
    }
    return 0;
}

int mp3(const std::uint8_t* data, std::size_t size) {
    Mp3Decoder decoder;
    if (!decoder.openBytes(bytesOf(data, size))) return 0;
    require(decoder.rate() > 0 && (decoder.channels() == 1 || decoder.channels() == 2));
    std::size_t produced = 0;
    std::vector<std::int16_t> pcm;
    // Garbage may decode to something, but never to more than a bounded amount.
    for (int i = 0; i < 100000 && decoder.next(pcm); ++i) {
        require(!pcm.empty() && pcm.size() % decoder.channels() == 0);
        produced += pcm.size();
    }
    require(produced < (std::size_t(1) << 31));
    return 0;
}

}  // namespace fuzz
