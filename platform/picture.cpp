// Picture decoding (PNG via libpng's simplified reader, JPEG via libjpeg, plain BMP)
// from bytes in memory, compositing over a colour and resampling.
#include "platform/picture.h"

#include <png.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <cstring>
#include <new>

#include <jpeglib.h>

namespace {

std::uint32_t pack(unsigned a, unsigned r, unsigned g, unsigned b) {
    return (std::uint32_t(a) << 24) | (r << 16) | (g << 8) | b;
}

bool sizeAllowed(long long w, long long h, int maxW, int maxH) {
    return w > 0 && h > 0 && w <= maxW && h <= maxH;
}

// ---------------------------------------------------------------- PNG --------------

std::optional<Picture> decodePng(std::string_view bytes, int maxW, int maxH) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        png_image_free(&image);
        return std::nullopt;
    }
    // The header alone decides whether we take the memory for the pixels.
    if (!sizeAllowed(image.width, image.height, maxW, maxH)) {
        png_image_free(&image);
        return std::nullopt;
    }
    Picture p;
    p.width = static_cast<int>(image.width);
    p.height = static_cast<int>(image.height);
    p.hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;  // alpha channel or tRNS
    // 8-bit sRGB, not premultiplied. B,G,R,A bytes are the 0xAARRGGBB words on a
    // little-endian machine, so libpng writes straight into the picture.
    constexpr bool little = std::endian::native == std::endian::little;
    image.format = little ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
    try {
        p.argb.resize(static_cast<std::size_t>(p.width) * p.height);
    } catch (const std::bad_alloc&) {
        png_image_free(&image);
        return std::nullopt;
    }
    static_assert(sizeof(std::uint32_t) == 4);
    int ok = png_image_finish_read(&image, nullptr, p.argb.data(), 0, nullptr);
    png_image_free(&image);
    if (!ok) return std::nullopt;
    return p;
}

// ---------------------------------------------------------------- JPEG -------------

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

// NOTE: libjpeg's default error handler calls exit(); ours jumps back to the decoder
// so corrupt data only ends this one decode.
[[noreturn]] void jpegErrorExit(j_common_ptr c) {
    std::longjmp(reinterpret_cast<JpegError*>(c->err)->jump, 1);
}
void jpegSilent(j_common_ptr) {}

struct JpegJob {
    std::string_view bytes;
    int maxW = 0, maxH = 0;
    Picture* out = nullptr;
    std::vector<unsigned char>* row = nullptr;
    int rowsDone = 0;
};

enum class JpegResult { Failed, Complete, Partial };

void storeJpegRow(const jpeg_decompress_struct& c, const unsigned char* s, std::uint32_t* d) {
    bool cmyk = c.out_color_space == JCS_CMYK;
    for (JDIMENSION x = 0; x < c.output_width; ++x) {
        if (cmyk) {
            // Adobe writes CMYK inverted; such files are the only CMYK JPEGs in practice.
            unsigned k = s[3];
            d[x] = pack(255, s[0] * k / 255, s[1] * k / 255, s[2] * k / 255);
            s += 4;
        } else {
            d[x] = pack(255, s[0], s[1], s[2]);
            s += 3;
        }
    }
}

// Only plain data lives in this frame, so the longjmp out of libjpeg skips no C++
// destructors; the picture and row buffer belong to the caller.
JpegResult runJpeg(JpegJob& job) {
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegErrorExit;
    err.mgr.output_message = jpegSilent;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return job.rowsDone > 0 ? JpegResult::Partial : JpegResult::Failed;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(job.bytes.data()),
                 static_cast<unsigned long>(job.bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (!sizeAllowed(cinfo.image_width, cinfo.image_height, job.maxW, job.maxH)) {
        jpeg_destroy_decompress(&cinfo);
        return JpegResult::Failed;
    }
    bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&cinfo);
    bool allocated = true;
    try {
        job.out->width = static_cast<int>(cinfo.output_width);
        job.out->height = static_cast<int>(cinfo.output_height);
        // Rows the data never reaches stay opaque black.
        job.out->argb.assign(std::size_t(cinfo.output_width) * cinfo.output_height, 0xFF000000u);
        job.row->resize(std::size_t(cinfo.output_width) * cinfo.output_components);
    } catch (const std::bad_alloc&) {
        allocated = false;
    }
    if (!allocated) {
        jpeg_destroy_decompress(&cinfo);
        return JpegResult::Failed;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {job.row->data()};
        JDIMENSION y = cinfo.output_scanline;
        // The memory source never suspends; a zero count would only repeat forever.
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) break;
        storeJpegRow(cinfo, job.row->data(), &job.out->argb[std::size_t(y) * cinfo.output_width]);
        ++job.rowsDone;
    }
    bool complete = cinfo.output_scanline >= cinfo.output_height;
    if (complete) jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return complete ? JpegResult::Complete : JpegResult::Partial;
}

std::optional<Picture> decodeJpeg(std::string_view bytes, int maxW, int maxH) {
    Picture p;
    std::vector<unsigned char> row;
    JpegJob job{bytes, maxW, maxH, &p, &row, 0};
    if (runJpeg(job) == JpegResult::Failed) return std::nullopt;
    return p;
}

// ---------------------------------------------------------------- BMP --------------

std::uint32_t le32(std::string_view b, std::size_t at) {
    auto p = reinterpret_cast<const unsigned char*>(b.data()) + at;
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t le16(std::string_view b, std::size_t at) {
    auto p = reinterpret_cast<const unsigned char*>(b.data()) + at;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// One colour channel of a bit-field pixel, widened to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;
    explicit Channel(std::uint32_t m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        max = m >> shift;
    }
    unsigned get(std::uint32_t px) const {
        if (!max) return 0;
        return static_cast<unsigned>(((px & mask) >> shift) * 255u / max);
    }
};

std::optional<Picture> decodeBmp(std::string_view b, int maxW, int maxH) {
    if (b.size() < 54) return std::nullopt;
    std::uint32_t offBits = le32(b, 10), headerSize = le32(b, 14);
    if (headerSize < 40 || 14 + std::uint64_t(headerSize) > b.size()) return std::nullopt;
    long long width = static_cast<std::int32_t>(le32(b, 18));
    long long height = static_cast<std::int32_t>(le32(b, 22));
    unsigned bpp = le16(b, 28);
    std::uint32_t compression = le32(b, 30);
    bool topDown = height < 0;
    if (topDown) height = -height;
    if (!sizeAllowed(width, height, maxW, maxH)) return std::nullopt;

    std::uint32_t rm = 0x00FF0000, gm = 0x0000FF00, bm = 0x000000FF, am = 0;
    if (bpp == 24 && compression == 0) {
    } else if (bpp == 32 && compression == 0) {
        am = 0xFF000000;  // often unused (all zero); checked below
    } else if (bpp == 32 && compression == 3) {
        // Masks follow a 40-byte header, or sit inside a V4/V5 header (with alpha).
        if (b.size() < 14 + 40 + 12) return std::nullopt;
        rm = le32(b, 54);
        gm = le32(b, 58);
        bm = le32(b, 62);
        am = headerSize >= 56 ? le32(b, 66) : 0;
    } else {
        return std::nullopt;
    }
    std::uint64_t stride = ((std::uint64_t(width) * bpp + 31) / 32) * 4;
    if (std::uint64_t(offBits) + stride * std::uint64_t(height) > b.size()) return std::nullopt;

    Picture p;
    p.width = static_cast<int>(width);
    p.height = static_cast<int>(height);
    try {
        p.argb.resize(static_cast<std::size_t>(width * height));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    Channel R(rm), G(gm), B(bm), A(am);
    bool anyAlpha = false;
    for (int y = 0; y < p.height; ++y) {
        int srcRow = topDown ? y : p.height - 1 - y;
        auto s = reinterpret_cast<const unsigned char*>(b.data()) + offBits + stride * srcRow;
        std::uint32_t* d = &p.argb[static_cast<std::size_t>(y) * p.width];
        for (int x = 0; x < p.width; ++x) {
            if (bpp == 24) {
                d[x] = pack(255, s[2], s[1], s[0]);
                s += 3;
            } else {
                std::uint32_t px = s[0] | (s[1] << 8) | (s[2] << 16) | (std::uint32_t(s[3]) << 24);
                unsigned a = A.get(px);
                anyAlpha = anyAlpha || a != 0;
                d[x] = pack(a, R.get(px), G.get(px), B.get(px));
                s += 4;
            }
        }
    }
    if (am && anyAlpha) {
        p.hasAlpha = true;
    } else {
        // NOTE: most 32-bit BMPs leave the fourth byte zero; read that as opaque.
        for (auto& px : p.argb) px |= 0xFF000000u;
    }
    return p;
}

}  // namespace

std::optional<Picture> decodePicture(std::string_view bytes, int maxWidth, int maxHeight) {
    if (bytes.size() >= 8 && bytes.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8))
        return decodePng(bytes, maxWidth, maxHeight);
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xFF\xD8\xFF")
        return decodeJpeg(bytes, maxWidth, maxHeight);
    if (bytes.size() >= 2 && bytes.substr(0, 2) == "BM") return decodeBmp(bytes, maxWidth, maxHeight);
    return std::nullopt;
}

Picture compositeOver(const Picture& p, std::uint32_t rgbColour) {
    const unsigned kr = rgbColour & 0xFF, kg = (rgbColour >> 8) & 0xFF, kb = (rgbColour >> 16) & 0xFF;
    auto mix = [](unsigned c, unsigned k, unsigned a) { return (c * a + k * (255 - a) + 127) / 255; };
    Picture out;
    out.width = p.width;
    out.height = p.height;
    out.argb.resize(p.argb.size());
    for (std::size_t i = 0; i < p.argb.size(); ++i) {
        std::uint32_t px = p.argb[i];
        unsigned a = px >> 24;
        out.argb[i] = pack(255, mix((px >> 16) & 0xFF, kr, a), mix((px >> 8) & 0xFF, kg, a),
                           mix(px & 0xFF, kb, a));
    }
    return out;
}

// ---------------------------------------------------------------- scaling ----------

namespace {

struct Taps {
    std::vector<int> first;      // per destination pixel: first source index
    std::vector<int> count;      // number of taps
    std::vector<float> weights;  // count weights per destination pixel, at offset[i]
    std::vector<int> offset;
};

// A tent filter whose radius grows with the shrink factor: bilinear when enlarging,
// an area-weighted average when shrinking (so a 128-pixel icon at 50 keeps its detail).
Taps makeTaps(int src, int dst) {
    Taps t;
    double scale = double(src) / dst;
    double radius = std::max(1.0, scale);
    for (int i = 0; i < dst; ++i) {
        double centre = (i + 0.5) * scale - 0.5;
        int lo = static_cast<int>(std::ceil(centre - radius));
        int hi = static_cast<int>(std::floor(centre + radius));
        lo = std::max(lo, 0);
        hi = std::min(hi, src - 1);
        if (hi < lo) lo = hi = std::clamp(static_cast<int>(std::lround(centre)), 0, src - 1);
        t.first.push_back(lo);
        t.offset.push_back(static_cast<int>(t.weights.size()));
        double sum = 0;
        std::size_t start = t.weights.size();
        for (int j = lo; j <= hi; ++j) {
            double w = std::max(0.0, 1.0 - std::abs(j - centre) / radius);
            t.weights.push_back(static_cast<float>(w));
            sum += w;
        }
        t.count.push_back(hi - lo + 1);
        for (std::size_t k = start; k < t.weights.size(); ++k)
            t.weights[k] = sum > 0 ? static_cast<float>(t.weights[k] / sum) : 1.0f / (hi - lo + 1);
    }
    return t;
}

unsigned toByte(float v) { return static_cast<unsigned>(std::clamp(v + 0.5f, 0.0f, 255.0f)); }

}  // namespace

Picture scalePicture(const Picture& p, int w, int h) {
    Picture out;
    if (w <= 0 || h <= 0 || p.width <= 0 || p.height <= 0) return out;
    out.width = w;
    out.height = h;
    out.hasAlpha = p.hasAlpha;
    if (w == p.width && h == p.height) {
        out.argb = p.argb;
        return out;
    }
    out.argb.resize(static_cast<std::size_t>(w) * h);
    Taps tx = makeTaps(p.width, w), ty = makeTaps(p.height, h);
    // One output row at a time: blend the source rows vertically (premultiplied), then
    // resample that row horizontally; memory stays at one source row.
    std::vector<float> row(static_cast<std::size_t>(p.width) * 4);
    for (int y = 0; y < h; ++y) {
        std::fill(row.begin(), row.end(), 0.0f);
        for (int k = 0; k < ty.count[y]; ++k) {
            float wy = ty.weights[ty.offset[y] + k];
            const std::uint32_t* s = &p.argb[static_cast<std::size_t>(ty.first[y] + k) * p.width];
            for (int x = 0; x < p.width; ++x) {
                std::uint32_t px = s[x];
                float a = float(px >> 24) * wy;
                float* r = &row[static_cast<std::size_t>(x) * 4];
                r[0] += a;
                r[1] += float((px >> 16) & 0xFF) * a;
                r[2] += float((px >> 8) & 0xFF) * a;
                r[3] += float(px & 0xFF) * a;
            }
        }
        std::uint32_t* d = &out.argb[static_cast<std::size_t>(y) * w];
        for (int x = 0; x < w; ++x) {
            float acc[4] = {0, 0, 0, 0};
            for (int k = 0; k < tx.count[x]; ++k) {
                float wx = tx.weights[tx.offset[x] + k];
                const float* r = &row[static_cast<std::size_t>(tx.first[x] + k) * 4];
                for (int c = 0; c < 4; ++c) acc[c] += r[c] * wx;
            }
            if (acc[0] <= 0.0f) {
                d[x] = 0;
                continue;
            }
            d[x] = pack(toByte(acc[0]), toByte(acc[1] / acc[0]), toByte(acc[2] / acc[0]),
                        toByte(acc[3] / acc[0]));
        }
    }
    return out;
}
