// WAV and MP3 players on Windows (run under Wine). With an output device the players
// are followed through their lives; without one every call must still return at
// once, start nothing and leave nothing behind.
#include <gtest/gtest.h>

#include <mmsystem.h>
#include <tlhelp32.h>

#include <cmath>

#include "platform/win32/sound.h"
#include "platform/win32/wide.h"
#include "tests/win32/wait_helpers.h"

namespace {

namespace snd = win32::sound;
using testwin::waitUntil;

bool haveDevice() { return waveOutGetNumDevs() > 0; }

std::string le32(std::uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return s;
}
std::string le16(std::uint16_t v) { return le32(v).substr(0, 2); }

// A 16-bit sine; declaredData replaces the data chunk's length when not 0.
std::string sineWav(int ms, int channels = 1, int rate = 22050, std::uint32_t declaredData = 0) {
    std::string pcm;
    int frames = rate * ms / 1000;
    for (int i = 0; i < frames; ++i) {
        auto v = static_cast<std::int16_t>(8000 * std::sin(i * 2 * 3.14159265 * 440 / rate));
        for (int c = 0; c < channels; ++c) pcm += le16(static_cast<std::uint16_t>(v));
    }
    std::uint16_t align = static_cast<std::uint16_t>(channels * 2);
    std::string body = "WAVEfmt " + le32(16) + le16(1) + le16(static_cast<std::uint16_t>(channels)) +
                       le32(rate) + le32(rate * align) + le16(align) + le16(16) + "data" +
                       le32(declaredData ? declaredData : static_cast<std::uint32_t>(pcm.size())) + pcm;
    return "RIFF" + le32(static_cast<std::uint32_t>(body.size())) + body;
}

int threadCount() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 e;
    e.dwSize = sizeof e;
    int n = 0;
    for (BOOL more = Thread32First(snap, &e); more; more = Thread32Next(snap, &e))
        if (e.th32OwnerProcessID == GetCurrentProcessId()) ++n;
    CloseHandle(snap);
    return n;
}

// The MP3 fixture copied to a Chinese file name (GBK path for the player).
std::string mp3Fixture() {
    std::wstring from = L"Z:" + win32::widen(WIDGET_SOURCE_DIR "/tests/fixtures/tone_440hz_mono_22050.mp3");
    for (wchar_t& c : from)
        if (c == L'/') c = L'\\';
    std::wstring to = testwin::tempDir() + L"这一生的风景.mp3";
    CopyFileW(from.c_str(), to.c_str(), FALSE);
    return win32::narrow(to);
}

class Sound : public ::testing::Test {
protected:
    void TearDown() override {
        snd::shutdown();
        EXPECT_EQ(snd::activeWavPlayers(), 0);
        EXPECT_FALSE(snd::mp3Playing());
    }
};

TEST_F(Sound, WavThatIsNotPlayablePcmStartsNothing) {
    std::string good = sineWav(50);
    std::string adpcm = good;
    adpcm[20] = 2;
    std::string noData = good.substr(0, 36) + "data" + le32(0);
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"short", good.substr(0, 20)},
        {"no WAVE", "RIFF" + le32(100) + "AVI " + good.substr(12)},
        {"compressed", adpcm},
        {"empty data chunk", noData},
        {"picture", "\x89PNG\r\n\x1a\n" + std::string(100, '\0')},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(snd::playWav(c.bytes, false)) << c.name;
        EXPECT_FALSE(snd::playWav(c.bytes, true)) << c.name;
    }
    EXPECT_EQ(snd::activeWavPlayers(), 0);
}

TEST_F(Sound, WavPlaysToItsEndAndItsPlayerIsReaped) {
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"mono", sineWav(200)},
        {"stereo 44.1 kHz, several buffers", sineWav(300, 2, 44100)},
        {"data chunk longer than the file", sineWav(100, 1, 22050, 0xFFFFFFF0u)},
    };
    for (const auto& c : cases) {
        bool started = snd::playWav(c.bytes, false);
        EXPECT_EQ(started, haveDevice()) << c.name;
        EXPECT_TRUE(waitUntil([] { return snd::activeWavPlayers() == 0; }, 10000)) << c.name;
    }
}

TEST_F(Sound, LoopingWavsPlayTogetherUntilStopped) {
    if (!haveDevice()) {
        EXPECT_FALSE(snd::playWav(sineWav(50), true));
        EXPECT_EQ(snd::activeWavPlayers(), 0);
        return;
    }
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(snd::playWav(sineWav(40 + 10 * i), true));
    EXPECT_EQ(snd::activeWavPlayers(), 3);
    // Far past their length they are all still playing...
    EXPECT_FALSE(waitUntil([] { return snd::activeWavPlayers() < 3; }, 600));
    // ...until told to stop; stopAll itself does not wait for them.
    snd::stopAll();
    EXPECT_TRUE(waitUntil([] { return snd::activeWavPlayers() == 0; }, 5000));
}

TEST_F(Sound, PlayersDoNotPileUp) {
    int before = threadCount();
    ASSERT_GT(before, 0);
    for (int round = 0; round < 8; ++round) {
        snd::playWav(sineWav(30), false);
        snd::playWav(sineWav(30), true);
        snd::playMp3("C:\\没有这个文件.mp3");
        snd::stopAll();
    }
    EXPECT_TRUE(waitUntil([] { return snd::activeWavPlayers() == 0 && !snd::mp3Playing(); }, 10000));
    // The sound system may keep a few threads of its own once a device was used.
    EXPECT_TRUE(waitUntil([&] { return threadCount() <= before + 4; }, 5000))
        << threadCount() << " threads, " << before << " before";
}

TEST_F(Sound, Mp3PausesResumesAndStops) {
    std::string file = mp3Fixture();
    snd::playMp3(file);
    if (!haveDevice()) {
        EXPECT_TRUE(waitUntil([] { return !snd::mp3Playing(); }, 5000));
        snd::resumeMp3();
        EXPECT_FALSE(snd::mp3Playing());
        return;
    }
    EXPECT_TRUE(snd::mp3Playing());
    snd::pauseMp3();
    EXPECT_TRUE(snd::mp3Paused());
    // Paused, the half-second tune does not run out.
    EXPECT_FALSE(waitUntil([] { return !snd::mp3Paused(); }, 1500));
    snd::resumeMp3();
    EXPECT_TRUE(snd::mp3Playing());
    snd::stopAll();
    EXPECT_FALSE(snd::mp3Playing());
    EXPECT_FALSE(snd::mp3Paused());
    snd::resumeMp3();  // nothing left to resume
    EXPECT_FALSE(snd::mp3Playing());
}

TEST_F(Sound, Mp3EndsByItselfAndANewOneReplacesTheOld) {
    std::string file = mp3Fixture();
    snd::playMp3(file);
    EXPECT_TRUE(waitUntil([] { return !snd::mp3Playing(); }, 10000)) << "a half-second tune ends";
    if (haveDevice()) {
        snd::playMp3(file);
        snd::pauseMp3();
        snd::playMp3(file);  // the paused player is removed; the new one plays
        EXPECT_TRUE(snd::mp3Playing());
        EXPECT_FALSE(snd::mp3Paused());
    }
}

TEST_F(Sound, Mp3ThatCannotBeReadOrDecodedPlaysNothing) {
    std::wstring junk = testwin::tempDir() + L"坏的.mp3";
    ASSERT_TRUE(testwin::writeFile(junk, std::string(5000, '\x5A')));
    for (const std::string& path : {std::string("C:\\没有\\这个.mp3"), win32::narrow(junk),
                                    std::string()}) {
        snd::playMp3(path);
        EXPECT_TRUE(waitUntil([] { return !snd::mp3Playing(); }, 5000)) << path;
    }
}

TEST_F(Sound, ShutdownEndsEveryPlayerBeforeReturning) {
    bool device = haveDevice();
    snd::playWav(sineWav(50), true);
    snd::playWav(sineWav(50), true);
    snd::playMp3(mp3Fixture());
    snd::shutdown();
    EXPECT_EQ(snd::activeWavPlayers(), 0);
    EXPECT_FALSE(snd::mp3Playing());
    // Sound still works after a shutdown (the next run of the players starts afresh).
    EXPECT_EQ(snd::playWav(sineWav(30), false), device);
}

}  // namespace
