// The panel's commands: every shortcut's request and whether it closes the panel,
// the search box's placeholder rule and search addresses, and the shutdown menu.
#include "tests/panel/panel_fixture.h"

#include <algorithm>

namespace {

using paneltest::kPanel;
using paneltest::Panel;
constexpr WindowId kShutdown = WindowId::ShutdownWindow;
const UiTarget kSearchBox = control(kPanel, "编辑框1");

struct ShortcutCase {
    const char* picture;
    std::string request;  // the desktop's log line for what was sent out
    bool closes;
};

TEST(PanelShortcuts, EachSendsItsRequestAndClosesOrNotAsListed) {
    const ShortcutCase cases[] = {
        {"我的电脑_图片框", "keys 91+69", true},
        {"桌面_图片框", "keys 91+68", true},
        {"系统盘_图片框", "run Explorer C:\\", true},
        {"安装盘_图片框", "run Explorer D:\\", true},
        {"资料盘_图片框", "run Explorer F:\\", true},
        {"控制面板_图片框", "run rundll32.exe shell32.dll,Control_RunDLL", true},
        {"命令符_图片框", "run cmd", false},
        {"云盘_图片框", "shellOpen C:\\ProgramData\\FangCloud\\5.14\\FangCloud.exe", false},
    };
    for (const ShortcutCase& c : cases) {
        SCOPED_TRACE(c.picture);
        Panel t;
        t.open();
        t.tick(5);
        const std::size_t logBefore = t.desk.log.size();
        t.click(c.picture);
        const auto request = std::find(t.desk.log.begin() + logBefore, t.desk.log.end(), c.request);
        EXPECT_NE(request, t.desk.log.end());
        EXPECT_EQ(t.desk.isLoaded(kPanel), !c.closes);
        for (const auto& line : t.desk.commandLines) EXPECT_FALSE(line.wait);
        EXPECT_LE(t.desk.commandLines.size() + t.desk.shellOpens.size() +
                      t.desk.keyStrokes.size() / 4,
                  1u);
        t.tick(3);
        EXPECT_TRUE(t.desk.misuses.empty());
    }
}

TEST(PanelShortcuts, WindowsKeyCombinationsReleaseInPressOrder) {
    Panel t;
    t.open();
    t.click("桌面_图片框");
    using K = memory::KeyStroke;
    EXPECT_EQ(t.desk.keyStrokes, (std::vector<K>{{91, true}, {68, true}, {91, false}, {68, false}}));
}

struct FocusCase {
    const char* name;
    std::optional<Text> textBefore;  // nullopt: the placeholder from the unit
    Text textAfter;
    Colour colourAfter;
};

TEST(PanelSearchBox, FocusClearsOnlyThePlaceholderOtherwiseTurnsTheTextWhite) {
    const FocusCase cases[] = {
        {"placeholder", std::nullopt, "", 0xECECEC},
        {"own text", Text("abc"), "abc", 0xFFFFFF},
        {"empty", Text(""), "", 0xFFFFFF},
        {"placeholder with a space", Text("百度搜索 "), "百度搜索 ", 0xFFFFFF},
    };
    for (const FocusCase& c : cases) {
        SCOPED_TRACE(c.name);
        Panel t;
        t.open();
        if (c.textBefore) t.desk.setProperty(kSearchBox, prop::kText, Value(*c.textBefore));
        t.desk.focus(kSearchBox);
        EXPECT_EQ(t.desk.getProperty(kSearchBox, prop::kText).asText(), c.textAfter);
        EXPECT_EQ(t.desk.getProperty(kSearchBox, prop::kTextColour).asColour(), c.colourAfter);
        EXPECT_TRUE(t.desk.isLoaded(kPanel));
    }
}

TEST(PanelSearchBox, LosingTheFocusClosesThePanelAlsoWhileTyping) {
    Panel t;
    t.open();
    t.desk.focus(kSearchBox);
    t.desk.type(kSearchBox, "天气");
    t.desk.focusElsewhere();
    EXPECT_FALSE(t.desk.isLoaded(kPanel));
    EXPECT_TRUE(t.desk.urls.empty());
}

struct SearchCase {
    const char* name;
    bool focusFirst;
    Text typed;
    std::string address;
};

TEST(PanelSearch, OpensTheEncodedAddressAndCloses) {
    const std::string base = "https://www.baidu.com/s?wd=";
    const SearchCase cases[] = {
        {"never focused: the placeholder", false, "",
         base + "%E7%99%BE%E5%BA%A6%E6%90%9C%E7%B4%A2"},
        {"empty", true, "", base},
        {"plain", true, "weather", base + "weather"},
        {"Chinese", true, "中文", base + "%E4%B8%AD%E6%96%87"},
        {"reserved characters", true, "a&b c#d", base + "a%26b%20c%23d"},
        {"plus and quotes", true, "1+1=\"2\"", base + "1%2B1%3D%222%22"},
    };
    for (const SearchCase& c : cases) {
        SCOPED_TRACE(c.name);
        Panel t;
        t.open();
        if (c.focusFirst) {
            t.desk.focus(kSearchBox);
            t.desk.type(kSearchBox, c.typed);
        }
        t.click("标签2");
        EXPECT_EQ(t.desk.urls, std::vector<Text>{c.address});
        EXPECT_FALSE(t.desk.isLoaded(kPanel));
        EXPECT_TRUE(t.desk.misuses.empty());
    }
}

struct ShutdownCase {
    std::optional<Text> item;
    std::vector<std::string> commandLines;
    std::vector<std::pair<int, bool>> shutdowns;
    bool timedWindow;
};

TEST(PanelShutdownMenu, RunsTheChosenItemThenThePanelCloses) {
    const ShutdownCase cases[] = {
        {Text("立即关机"), {"shutdown -s -t 00"}, {}, false},
        {Text("关机重启"), {}, {{2, true}}, false},
        {Text("定时关机"), {}, {}, true},
        {std::nullopt, {}, {}, false},
    };
    for (const ShutdownCase& c : cases) {
        SCOPED_TRACE(c.item.value_or("(dismissed)"));
        Panel t;
        t.open();
        t.desk.answerNextMenu({c.item, 0});
        t.click("关机_图片框");
        ASSERT_FALSE(t.desk.menus.empty());
        EXPECT_EQ(t.desk.menus.back().root, "关机选项");
        EXPECT_EQ(t.desk.menus.back().items, (std::vector<Text>{"立即关机", "关机重启", "定时关机"}));
        std::vector<std::string> lines;
        for (const auto& l : t.desk.commandLines) lines.push_back(l.line);
        EXPECT_EQ(lines, c.commandLines);
        EXPECT_EQ(t.desk.shutdownRequests, c.shutdowns);
        EXPECT_EQ(t.desk.isLoaded(kShutdown), c.timedWindow);
        if (c.timedWindow) {
            EXPECT_TRUE(t.desk.window(kShutdown)->visible);
            EXPECT_EQ(t.desk.window(kShutdown)->parent, std::nullopt);
        }
        EXPECT_FALSE(t.desk.isLoaded(kPanel));
        if (c.item) {  // the item's command ran while the panel was still there
            auto chosen = std::find(t.desk.events.begin(), t.desk.events.end(),
                                    "PanelWindow MenuChosen " + *c.item + " @" +
                                        std::to_string(t.desk.now()));
            auto gone = std::find_if(t.desk.events.begin(), t.desk.events.end(), [](const auto& e) {
                return e.rfind("PanelWindow WillBeDestroyed", 0) == 0;
            });
            EXPECT_LT(chosen, gone);
        }
        EXPECT_TRUE(t.desk.misuses.empty());
    }
}

TEST(PanelShutdownMenu, TimedShutdownShowsAHiddenShutdownWindowAgain) {
    Panel t;
    ASSERT_TRUE(t.desk.loadWindow(kShutdown));
    t.desk.setProperty(win(kShutdown), prop::kVisible, false);  // armed and hidden
    t.open();
    t.desk.answerNextMenu({Text("定时关机"), 0});
    t.click("关机_图片框");
    EXPECT_TRUE(t.desk.window(kShutdown)->visible);
    EXPECT_EQ(t.desk.createdCount(kShutdown), 1);
    EXPECT_FALSE(t.desk.isLoaded(kPanel));
}

TEST(PanelShutdownMenu, PanelFadedOutWhileTheMenuWasUpIsNotClosedTwice) {
    Panel t;
    t.open();
    t.pointAway();  // the fade-out closes the panel while the menu is still up
    t.desk.answerNextMenu({Text("立即关机"), 2000});
    t.click("关机_图片框");
    EXPECT_FALSE(t.desk.isLoaded(kPanel));
    EXPECT_TRUE(t.desk.misuses.empty());
}

}  // namespace
