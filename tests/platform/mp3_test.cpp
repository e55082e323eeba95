// MP3 decoding: real streams give the right format, length and tones; damaged or
// foreign data gives no audio and every call returns.
//
// Fixtures (tests/fixtures), made with sox and lame:
//   sox -n -r 22050 -c 1 -b 16 t.wav synth 0.5 sine 440 vol 0.5; lame -b 32 t.wav
//   sox -n -r 24000 -c 2 -b 16 s.wav synth 0.3 sine 1000 sine 250 vol 0.5; lame -b 64 s.wav
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/mp3.h"

namespace {

std::string fixturePath(const char* name) {
    return std::string(WIDGET_SOURCE_DIR) + "/tests/fixtures/" + name;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Decoded {
    std::vector<std::int16_t> samples;
    int calls = 0;
};

// Pulls every piece; the call count is capped so a decoder that never ends fails
// the test instead of hanging it.
Decoded drain(Mp3Decoder& d) {
    Decoded out;
    std::vector<std::int16_t> piece;
    while (out.calls < 100000 && d.next(piece)) {
        ++out.calls;
        EXPECT_FALSE(piece.empty());
        out.samples.insert(out.samples.end(), piece.begin(), piece.end());
    }
    EXPECT_LT(out.calls, 100000) << "decoder never reported the end";
    EXPECT_FALSE(d.next(piece)) << "the end is final";
    return out;
}

// Tone frequency of one channel from its upward crossings of a band around zero
// (the band keeps the near-silent encoder delay from counting).
double frequency(const std::vector<std::int16_t>& s, int channels, int channel, int rate) {
    int crossings = 0, first = -1, last = -1;
    bool low = false;
    for (std::size_t i = channel; i < s.size(); i += channels) {
        if (s[i] < -2000) low = true;
        if (low && s[i] > 2000) {
            low = false;
            int frame = static_cast<int>(i / channels);
            if (first < 0) first = frame;
            last = frame;
            ++crossings;
        }
    }
    if (crossings < 2) return 0;
    return double(crossings - 1) * rate / (last - first);
}

TEST(Mp3Decoder, DecodesFormatLengthAndChannelsOfRealStreams) {
    struct Case {
        const char* file;
        int rate, channels;
        double seconds;
        double tone[2];
    } cases[] = {
        {"tone_440hz_mono_22050.mp3", 22050, 1, 0.5, {440, 0}},
        {"tones_1000l_250r_stereo_24000.mp3", 24000, 2, 0.3, {1000, 250}},
    };
    for (const auto& c : cases) {
        Mp3Decoder d;
        ASSERT_TRUE(d.openFile(fixturePath(c.file))) << c.file;
        EXPECT_EQ(d.rate(), c.rate) << c.file;
        EXPECT_EQ(d.channels(), c.channels) << c.file;
        Decoded all = drain(d);
        double frames = double(all.samples.size()) / c.channels;
        // Fed streams keep the encoder's delay and padding: up to two frames more.
        EXPECT_GE(frames, c.seconds * c.rate) << c.file;
        EXPECT_LE(frames, c.seconds * c.rate + 2 * 1152) << c.file;
        for (int ch = 0; ch < c.channels; ++ch)
            EXPECT_NEAR(frequency(all.samples, c.channels, ch, d.rate()), c.tone[ch], c.tone[ch] * 0.02)
                << c.file << " channel " << ch;
    }
}

TEST(Mp3Decoder, BytesInMemoryDecodeLikeTheFile) {
    std::string bytes = readAll(fixturePath("tone_440hz_mono_22050.mp3"));
    ASSERT_FALSE(bytes.empty());
    Mp3Decoder fromFile, fromBytes;
    ASSERT_TRUE(fromFile.openFile(fixturePath("tone_440hz_mono_22050.mp3")));
    ASSERT_TRUE(fromBytes.openBytes(bytes));
    EXPECT_EQ(drain(fromFile).samples, drain(fromBytes).samples);

    // The same decoder opened again starts from the beginning of the new data.
    Mp3Decoder again;
    ASSERT_TRUE(again.openBytes(bytes));
    std::vector<std::int16_t> piece;
    ASSERT_TRUE(again.next(piece));
    ASSERT_TRUE(again.openBytes(bytes));
    Mp3Decoder fresh;
    ASSERT_TRUE(fresh.openBytes(bytes));
    EXPECT_EQ(drain(again).samples, drain(fresh).samples);
}

TEST(Mp3Decoder, ForeignOrEmptyDataGivesNoAudio) {
    std::mt19937 gen(1234);
    std::string random(64 * 1024, '\0');
    for (char& c : random) c = static_cast<char>(gen() & 0xFF);
    std::string wav = "RIFF\x24\x08\x00\x00WAVEfmt " + std::string(2000, '\x11');
    // An ID3v2 tag claiming 256 MB with nothing behind it.
    std::string id3("ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10);
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"zero bytes", std::string(8192, '\0')},
        {"random bytes", random},
        {"wave file", wav},
        {"bare ID3 tag", id3},
    };
    for (const auto& c : cases) {
        Mp3Decoder d;
        EXPECT_FALSE(d.openBytes(c.bytes)) << c.name;
        EXPECT_TRUE(drain(d).samples.empty()) << c.name;
    }
    Mp3Decoder missing;
    EXPECT_FALSE(missing.openFile(fixturePath("no_such_file.mp3")));
    EXPECT_TRUE(drain(missing).samples.empty());
    Mp3Decoder unopened;
    EXPECT_TRUE(drain(unopened).samples.empty());
}

TEST(Mp3Decoder, DamagedStreamsEndWithWhatCouldBeDecoded) {
    std::string bytes = readAll(fixturePath("tone_440hz_mono_22050.mp3"));
    Mp3Decoder whole;
    ASSERT_TRUE(whole.openBytes(bytes));
    std::size_t full = drain(whole).samples.size();

    Mp3Decoder half;
    ASSERT_TRUE(half.openBytes(bytes.substr(0, bytes.size() / 2)));
    std::size_t got = drain(half).samples.size();
    EXPECT_GT(got, 0u);
    EXPECT_LT(got, full);

    // Junk after a good stream (which may look like frames of another format) ends
    // the stream after all of the music; junk in the middle keeps what came before.
    std::mt19937 gen(99);
    std::string noise(20000, '\0');
    for (char& c : noise) c = static_cast<char>(gen() & 0xFF);
    Mp3Decoder tail;
    ASSERT_TRUE(tail.openBytes(bytes + noise));
    Decoded withTail = drain(tail);
    EXPECT_EQ(withTail.samples.size(), full);
    EXPECT_EQ(tail.rate(), 22050);

    Mp3Decoder middle;
    ASSERT_TRUE(middle.openBytes(bytes.substr(0, bytes.size() / 2) + noise +
                                 bytes.substr(bytes.size() / 2)));
    EXPECT_GE(drain(middle).samples.size(), got);
}

}  // namespace
