// MP3 decoding to 16-bit PCM over libmpg123, from bytes in memory (the Windows
// player reads the file itself) or from a file path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct mpg123_handle_struct;

class Mp3Decoder {
public:
    Mp3Decoder();
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // Reads the whole file (up to kFileLimit bytes) and opens it as openBytes does.
    bool openFile(const std::string& path);
    // True when the data holds a decodable MPEG audio stream: rate() and channels()
    // are then known. Garbage, empty or unsupported data gives false.
    bool openBytes(std::string data);

    // The next piece of interleaved signed 16-bit samples; false at the end of the
    // stream (or at damage it cannot get past, or where the format changes). A true
    // result always carries samples in the format of rate() and channels().
    bool next(std::vector<std::int16_t>& pcm);

    int rate() const { return rate_; }
    int channels() const { return channels_; }

    static constexpr std::size_t kFileLimit = 64u * 1024 * 1024;

private:
    enum class Step { Audio, NewFormat, NeedInput, Damage, End };
    Step step(std::vector<std::int16_t>* pcm);
    bool feedMore();
    bool makeHandle();
    void release();

    mpg123_handle_struct* handle_ = nullptr;
    std::string data_;
    std::size_t fed_ = 0;
    int rate_ = 0, channels_ = 0;
    bool ended_ = true;
    bool endAfterThis_ = false;  // the stream's format changed: what is decoded is the last
};
