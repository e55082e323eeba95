// Window shapes: runs of pixels that differ from the rendered key colour.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/shape.h"

namespace {

// Rows drawn as text: '#' a picture pixel, '.' the key colour (white).
Picture fromRows(std::initializer_list<const char*> rows) {
    Picture p;
    p.height = static_cast<int>(rows.size());
    for (const char* r : rows) {
        p.width = static_cast<int>(std::strlen(r));
        for (const char* c = r; *c; ++c) p.argb.push_back(*c == '#' ? 0xFF203040u : 0xFFFFFFFFu);
    }
    return p;
}

TEST(ShapeRuns, CutsOnePixelHighRunsRowByRow) {
    struct Case {
        const char* name;
        Picture picture;
        std::vector<::Run> runs;
    } cases[] = {
        {"all key colour", fromRows({"....", "...."}), {}},
        {"all picture", fromRows({"###", "###"}), {{0, 0, 3, 1}, {0, 1, 3, 2}}},
        {"runs touching both edges and gaps",
         fromRows({"#..##", ".#.#.", "....#"}),
         {{0, 0, 1, 1}, {3, 0, 5, 1}, {1, 1, 2, 2}, {3, 1, 4, 2}, {4, 2, 5, 3}}},
        {"single pixel", fromRows({"#"}), {{0, 0, 1, 1}}},
        {"empty picture", Picture{}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(shapeRuns(c.picture, 0xFFFFFFFFu), c.runs) << c.name;
}

TEST(ShapeRuns, ComparesOnlyRedGreenAndBlue) {
    Picture p = fromRows({"#.#"});
    p.argb[1] = 0x00FFFFFFu;  // key colour with a different top byte is still the key
    p.argb[2] = 0xFFFFFFFEu;  // one blue step off the key is part of the picture
    // The key's own top byte does not matter either (rendered colours come back as 0).
    std::vector<::Run> expected = {{0, 0, 1, 1}, {2, 0, 3, 1}};
    EXPECT_EQ(shapeRuns(p, 0x00FFFFFFu), expected);
    EXPECT_EQ(shapeRuns(p, 0xFFFFFFFFu), expected);

    // Another key: now the white pixels are the shape and the dark ones the holes.
    std::vector<::Run> inverse = {{1, 0, 3, 1}};
    EXPECT_EQ(shapeRuns(p, 0x00203040u), inverse);
}

TEST(ShapeRuns, PixelsBeyondThePictureDataAreNotRead) {
    Picture p = fromRows({"##", "##"});
    p.argb.resize(3);  // inconsistent picture: refuse rather than read past the end
    EXPECT_TRUE(shapeRuns(p, 0xFFFFFFFFu).empty());
}

}  // namespace
