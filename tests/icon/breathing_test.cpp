// The icon's breathing on the in-memory desktop: the ping-pong frame order, theme
// switches in the middle of a run, the shape cut from the previous picture, paths.
#include <gtest/gtest.h>

#include "app/startup.h"
#include "icon/breathing.h"
#include "platform/memory/desktop.h"
#include "units/unit.h"

namespace {

constexpr WindowId kIcon = WindowId::IconWindow;
constexpr int kBreathMs = 120;

std::vector<int> run(int from, int to) {
    std::vector<int> v;
    for (int i = from; from <= to ? i <= to : i >= to; i += from <= to ? 1 : -1) v.push_back(i);
    return v;
}
std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A desktop with every frame file of both themes present; each file's bytes are its
// own path, so the picture shown tells which file was read.
struct Breathing {
    memory::Desktop desk{1920, 1080};
    AppState state;
    std::size_t shapesSeen = 0;

    explicit Breathing(const Text& runDirectory = "C:\\Tools", bool withFiles = true) {
        desk.setRunDirectory(runDirectory);
        if (withFiles) {
            for (int n = 1; n <= 20; ++n) put("黑图标", n);
            for (int n = 1; n <= 18; ++n) put("蓝图标", n);
        }
        if (!startWidget(desk, state)) ADD_FAILURE() << "start-up failed";
    }
    void put(const Text& theme, int n) {
        const Text path = icon::framePath(desk.runDirectory(), theme, n);
        desk.putFile(path, path);
    }
    Bytes picture() { return desk.window(kIcon)->backPicture; }

    // One breathing tick. Returns the path read on it, "" for a turning tick that reads
    // nothing, "(missing)" when a file was asked for that does not exist. Checks that
    // the shape was cut from the picture shown before the tick.
    Text tick() {
        const Bytes before = picture();
        const int frameBefore = state.iconFrame;
        desk.advance(kBreathMs);
        if (before.empty()) {
            EXPECT_EQ(desk.shapeWrites.size(), shapesSeen) << "an empty picture cuts no shape";
        } else {
            EXPECT_EQ(desk.shapeWrites.size(), shapesSeen + 1);
            if (!desk.shapeWrites.empty()) {
                EXPECT_EQ(desk.shapeWrites.back().second, before);
            }
        }
        shapesSeen = desk.shapeWrites.size();
        if (state.iconFrame == frameBefore) {
            EXPECT_EQ(picture(), before);
            return "";
        }
        return picture().empty() ? Text("(missing)") : picture();
    }
    int frameOf(const Text& path, const Text& theme) {
        for (int n = 1; n <= 20; ++n)
            if (path == icon::framePath(desk.runDirectory(), theme, n)) return n;
        return path.empty() ? 0 : -1;
    }
    void chooseTheme(const char* item) {
        desk.answerNextMenu({Text(item), 0});
        desk.rightRelease(win(kIcon));
    }
};

TEST(Breathing, FramesPingPongFromStartUp) {
    Breathing t;
    const std::vector<int> expected = std::vector<int>{0} + run(1, 20) + std::vector<int>{0} +
                                      run(19, 1) + std::vector<int>{0} + run(2, 20) +
                                      std::vector<int>{0} + run(19, 17);
    std::vector<int> seen;
    for (std::size_t i = 0; i < expected.size(); ++i) seen.push_back(t.frameOf(t.tick(), "黑图标"));
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(t.desk.misuses.empty());
}

TEST(Breathing, FirstTickCutsTheShapeFromTheUnitPicture) {
    Breathing t;
    const Bytes unitPicture = resource("icon_base.png");
    ASSERT_FALSE(unitPicture.empty());
    EXPECT_EQ(t.picture(), unitPicture);
    t.tick();
    ASSERT_EQ(t.desk.shapeWrites.size(), 1u);
    EXPECT_EQ(t.desk.shapeWrites[0].second, unitPicture);
    EXPECT_EQ(t.tick(), icon::framePath("C:\\Tools", "黑图标", 1));
    EXPECT_EQ(t.desk.shapeWrites.back().second, unitPicture);  // one tick behind
}

struct ThemeSwitchCase {
    const char* name;
    int ticksBefore;              // black theme ticks from start-up before the switch
    std::vector<int> blueFrames;  // frames read afterwards; 0 a turning tick, -1 missing
};

TEST(Breathing, SwitchingToBlueGoesOnFromTheCurrentFrame) {
    const ThemeSwitchCase cases[] = {
        {"rising at 7", 8, run(8, 18) + std::vector<int>{0, 17, 16}},
        {"rising at 19", 20, {0, 18, 17}},
        {"rising at 20, before its turn", 21, {0, -1, 18, 17}},
    };
    for (const ThemeSwitchCase& c : cases) {
        SCOPED_TRACE(c.name);
        Breathing t;
        for (int i = 0; i < c.ticksBefore; ++i) t.tick();
        const int frame = t.state.iconFrame, rising = t.state.breathRising;
        t.chooseTheme("蓝图标");
        EXPECT_EQ(t.state.iconTheme, "蓝图标");
        EXPECT_EQ(t.state.iconFrameCount, 18);
        EXPECT_EQ(t.state.iconFrame, frame);
        EXPECT_EQ(t.state.breathRising, rising);
        EXPECT_EQ(t.state.menuShown, 0);
        std::vector<int> seen;
        for (std::size_t i = 0; i < c.blueFrames.size(); ++i) {
            const Text read = t.tick();
            seen.push_back(read == "(missing)" ? -1 : t.frameOf(read, "蓝图标"));
        }
        EXPECT_EQ(seen, c.blueFrames);
    }
}

TEST(Breathing, ThemeItemsKeepTheirMarksAndTheThemeText) {
    Breathing t;
    auto checked = [&](const char* item) {
        return t.desk.getProperty(menuItem(kIcon, item), prop::kItemChecked).asBool();
    };
    t.chooseTheme("蓝图标");
    EXPECT_TRUE(checked("蓝图标"));
    EXPECT_FALSE(checked("黑图标"));
    t.chooseTheme("黑图标");
    EXPECT_EQ(t.state.iconTheme, "黑图标");
    EXPECT_EQ(t.state.iconFrameCount, 20);
    EXPECT_TRUE(checked("黑图标"));
    EXPECT_FALSE(checked("蓝图标"));
}

TEST(Breathing, MissingFramesLeaveTheShapeAndStillCount) {
    Breathing t("C:\\Tools", false);
    EXPECT_EQ(t.tick(), "");
    for (int n = 1; n <= 20; ++n) {
        EXPECT_EQ(t.tick(), "(missing)");
        EXPECT_EQ(t.state.iconFrame, n);
    }
    // Only the unit's picture ever gave a shape: on the first tick, and on the second,
    // which still shows it while reading the (missing) frame 1.
    ASSERT_EQ(t.desk.shapeWrites.size(), 2u);
    EXPECT_EQ(t.desk.shapeWrites[0].second, resource("icon_base.png"));
    EXPECT_EQ(t.desk.shapeWrites[1].second, resource("icon_base.png"));
}

struct PathCase {
    Text runDirectory, theme;
    int frame;
    Text path;
};

TEST(Breathing, FramePathsAreBuiltFromTheRunDirectory) {
    const PathCase cases[] = {
        {"C:\\Tools", "黑图标", 1, "C:\\Tools\\黑图标\\黑图标1.png"},
        {"C:\\Tools", "蓝图标", 18, "C:\\Tools\\蓝图标\\蓝图标18.png"},
        {"D:", "黑图标", 20, "D:\\黑图标\\黑图标20.png"},
        {"E:\\桌面 工具", "蓝图标", 19, "E:\\桌面 工具\\蓝图标\\蓝图标19.png"},
    };
    for (const PathCase& c : cases) EXPECT_EQ(icon::framePath(c.runDirectory, c.theme, c.frame), c.path);
}

TEST(Breathing, ProgramInADriveRootReadsFramesThere) {
    Breathing t("D:");
    t.tick();
    EXPECT_EQ(t.tick(), "D:\\黑图标\\黑图标1.png");
}

}  // namespace
