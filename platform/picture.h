// Decoded pictures for painting and window shapes: PNG, JPEG and BMP bytes become
// straight-alpha ARGB pixels; plus compositing over a colour and scaling.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;  // 0xAARRGGBB, straight alpha, row-major top-down
    bool hasAlpha = false;            // the source carried an alpha channel

    std::uint32_t at(int x, int y) const { return argb[static_cast<std::size_t>(y) * width + x]; }
};

// Nothing for bytes that are not a readable PNG, JPEG or BMP, or whose size exceeds
// the limits (checked from the header, before any pixel memory is taken). A JPEG
// whose data ends early gives the rows that could be decoded.
std::optional<Picture> decodePicture(std::string_view bytes, int maxWidth = 8192,
                                     int maxHeight = 8192);

// Every pixel composited over rgbColour (0x00BBGGRR, top byte ignored); the result is
// opaque and has no alpha channel.
Picture compositeOver(const Picture& p, std::uint32_t rgbColour);

// Resampled to w x h (area-weighted when shrinking, bilinear when enlarging, alpha
// respected). A non-positive size or an empty source gives an empty picture.
Picture scalePicture(const Picture& p, int w, int h);
