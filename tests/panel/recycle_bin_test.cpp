// The recycle-bin picture: which drives are asked, when the bin counts as full, and
// emptying all bins quietly from the picture's menu with a chime of our own.
#include "tests/panel/panel_fixture.h"

#include "units/unit.h"

namespace {

using paneltest::kIcon;
using paneltest::kPanel;
using paneltest::Panel;
using Drive = memory::Desktop::Drive;
const UiTarget kBinPicture = control(kPanel, "垃圾桶_图片框");

struct BinCase {
    const char* name;
    std::vector<Drive> drives;
    bool listFails;
    std::vector<Text> queries;
    bool full;
};

TEST(RecycleBin, PanelShowsWhetherAnyBinHoldsItems) {
    const Bytes fullPicture = resource("bin_full.png"), emptyPicture = resource("bin_empty.png");
    ASSERT_FALSE(fullPicture.empty());
    ASSERT_NE(fullPicture, emptyPicture);
    const BinCase cases[] = {
        {"all empty", {{"C:\\", 0}, {"D:\\", 0}, {"E:\\", 0}}, false,
         {"C:\\RECYCLER\\", "D:\\RECYCLER\\", "E:\\RECYCLER\\"}, false},
        {"only the third full", {{"C:\\", 0}, {"D:\\", 0}, {"E:\\", 3}, {"F:\\", 9}}, false,
         {"C:\\RECYCLER\\", "D:\\RECYCLER\\", "E:\\RECYCLER\\"}, true},
        {"first full", {{"C:\\", 1}, {"D:\\", 0}}, false, {"C:\\RECYCLER\\"}, true},
        {"no drives", {}, false, {}, false},
        {"drive list unreadable", {{"C:\\", 4}}, true, {}, false},
        {"failing query after an empty drive reads as empty",
         {{"C:\\", 0}, {"D:\\", 7, true}, {"E:\\", 0}}, false,
         {"C:\\RECYCLER\\", "D:\\RECYCLER\\", "E:\\RECYCLER\\"}, false},
        {"failing first query reads as empty",
         {{"C:\\", 7, true}, {"D:\\", 2}}, false, {"C:\\RECYCLER\\", "D:\\RECYCLER\\"}, true},
    };
    for (const BinCase& c : cases) {
        SCOPED_TRACE(c.name);
        Panel t;
        t.desk.drives = c.drives;
        t.desk.driveListFails = c.listFails;
        t.open();
        EXPECT_EQ(t.desk.rbQueries, c.queries);
        EXPECT_EQ(t.desk.getProperty(kBinPicture, prop::kPicture).asText(),
                  c.full ? fullPicture : emptyPicture);
        EXPECT_TRUE(t.desk.rbEmptyFlags.empty());
    }
}

TEST(RecycleBin, EmptyingAllBinsRefreshesThePictureAndChimesOnce) {
    Panel t;
    t.desk.drives = {{"C:\\", 0}, {"D:\\", 5}};
    t.open();
    ASSERT_EQ(t.desk.getProperty(kBinPicture, prop::kPicture).asText(), resource("bin_full.png"));
    t.desk.rbQueries.clear();

    t.desk.answerNextMenu({Text("清空回收站"), 0});
    t.desk.rightRelease(kBinPicture);
    EXPECT_EQ(t.desk.menus.back().root, "垃圾桶");
    EXPECT_EQ(t.desk.rbEmptyFlags, std::vector<std::uint32_t>{7});
    const std::string owner = "emptyRecycleBin owner=" + std::to_string(t.desk.window(kIcon)->handle);
    EXPECT_NE(std::find(t.desk.log.begin(), t.desk.log.end(), owner), t.desk.log.end());
    EXPECT_EQ(t.desk.rbQueries, (std::vector<Text>{"C:\\RECYCLER\\", "D:\\RECYCLER\\"}));
    EXPECT_EQ(t.desk.getProperty(kBinPicture, prop::kPicture).asText(), resource("bin_empty.png"));
    ASSERT_EQ(t.desk.sounds.size(), 1u);
    EXPECT_EQ(t.desk.sounds[0].kind, memory::SoundEvent::Wav);
    EXPECT_EQ(t.desk.sounds[0].detail, std::to_string(resource("emptied_chime.wav").size()));
    EXPECT_TRUE(t.desk.isLoaded(kPanel));
    EXPECT_TRUE(t.desk.misuses.empty());
}

TEST(RecycleBin, PictureAfterEmptyingShowsWhatTheQueryThenFinds) {
    Panel t;
    t.desk.drives = {{"C:\\", 0}};
    t.open();
    // Emptying fails for D:, which got items while the panel was open.
    t.desk.drives.push_back({"D:\\", 3, false});
    t.desk.answerNextMenu({Text("清空回收站"), 0});
    t.desk.systemCalls().SHEmptyRecycleBinA = [&](WindowHandle, const char*, std::uint32_t f) {
        t.desk.rbEmptyFlags.push_back(f);
        return 0;
    };
    t.desk.rightRelease(kBinPicture);
    EXPECT_EQ(t.desk.getProperty(kBinPicture, prop::kPicture).asText(), resource("bin_full.png"));
    EXPECT_EQ(t.desk.sounds.size(), 1u);
}

TEST(RecycleBin, DismissedMenuLeavesPanelAndPictureAlone) {
    Panel t;
    t.desk.drives = {{"C:\\", 2}};
    t.open();
    t.desk.answerNextMenu({std::nullopt, 0});
    t.desk.rightRelease(kBinPicture);
    EXPECT_TRUE(t.desk.isLoaded(kPanel));
    EXPECT_TRUE(t.desk.rbEmptyFlags.empty());
    EXPECT_TRUE(t.desk.sounds.empty());
    EXPECT_EQ(t.desk.getProperty(kBinPicture, prop::kPicture).asText(), resource("bin_full.png"));
}

}  // namespace
