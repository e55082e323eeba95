// Window shapes cut from pictures: the pixels that differ from a key colour, as
// one-pixel-high horizontal runs ready to be turned into a region.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/picture.h"

struct Run {
    int left, top, right, bottom;  // right and bottom exclusive
    bool operator==(const Run&) const = default;
};

// Runs of pixels whose red, green and blue differ from renderedKeyArgb's (alpha bytes
// are ignored on both sides), row by row from the top, left to right within a row.
std::vector<Run> shapeRuns(const Picture& opaquePicture, std::uint32_t renderedKeyArgb);
