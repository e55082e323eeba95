// MP3 to PCM through libmpg123's feed interface: the bytes are handed over in slices
// as the decoder asks for them, so every loop ends when the input is used up.
#include "platform/mp3.h"

#include <mpg123.h>

#include <algorithm>
#include <fstream>

namespace {

constexpr std::size_t kFeedSlice = 16 * 1024;
constexpr std::size_t kOutBytes = 16 * 1024;
// Steps that neither consume input nor give samples before we call the stream dead.
constexpr int kIdleStepLimit = 64;

bool libraryReady() {
    // NOTE: mpg123_init is required once before any handle by the older 1.2x
    // releases and is not thread-safe there; a function-local static runs it once.
    static const bool ready = mpg123_init() == MPG123_OK;
    return ready;
}

}  // namespace

Mp3Decoder::Mp3Decoder() = default;

Mp3Decoder::~Mp3Decoder() { release(); }

void Mp3Decoder::release() {
    if (handle_) {
        mpg123_close(handle_);
        mpg123_delete(handle_);
        handle_ = nullptr;
    }
}

// A fresh handle per stream, so nothing of an earlier stream (format, buffered
// input) carries over.
bool Mp3Decoder::makeHandle() {
    release();
    if (!libraryReady()) return false;
    int err = MPG123_OK;
    handle_ = mpg123_new(nullptr, &err);
    if (!handle_) return false;
    mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    // Search as far as the data goes for the next frame after damage; the input is
    // finite, so the search is too.
    mpg123_param(handle_, MPG123_RESYNC_LIMIT, -1, 0);
    // Every standard rate, mono or stereo, always as signed 16-bit samples.
    mpg123_format_none(handle_);
    const long* rates = nullptr;
    std::size_t count = 0;
    mpg123_rates(&rates, &count);
    for (std::size_t i = 0; i < count; ++i)
        mpg123_format(handle_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    return mpg123_open_feed(handle_) == MPG123_OK;
}

bool Mp3Decoder::openFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    std::streamoff size = in.tellg();
    if (size <= 0 || static_cast<unsigned long long>(size) > kFileLimit) return false;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), size)) return false;
    return openBytes(std::move(bytes));
}

bool Mp3Decoder::openBytes(std::string data) {
    ended_ = true;
    endAfterThis_ = false;
    rate_ = channels_ = 0;
    data_.clear();
    if (data.empty() || !makeHandle()) return false;
    data_ = std::move(data);
    fed_ = 0;
    ended_ = false;
    // Decode up to the first format announcement: only then is it audio at all.
    int idle = 0;
    while (idle < kIdleStepLimit) {
        Step s = step(nullptr);
        if (s == Step::NewFormat) return true;
        if (s == Step::End) break;
        if (s == Step::NeedInput) {
            if (!feedMore()) break;
            idle = 0;
        } else {
            ++idle;
        }
    }
    ended_ = true;
    return false;
}

bool Mp3Decoder::feedMore() {
    if (fed_ >= data_.size()) return false;
    std::size_t n = std::min(kFeedSlice, data_.size() - fed_);
    if (mpg123_feed(handle_, reinterpret_cast<const unsigned char*>(data_.data()) + fed_, n) !=
        MPG123_OK)
        return false;
    fed_ += n;
    return true;
}

Mp3Decoder::Step Mp3Decoder::step(std::vector<std::int16_t>* pcm) {
    std::size_t done = 0;
    int r;
    if (pcm) {
        pcm->resize(kOutBytes / sizeof(std::int16_t));
        r = mpg123_read(handle_, pcm->data(), kOutBytes, &done);
        pcm->resize(done / sizeof(std::int16_t));
    } else {
        // Before the format is known nothing is decoded; a zero-sized read only parses.
        unsigned char none[1];
        r = mpg123_read(handle_, none, 0, &done);
    }
    if (r == MPG123_NEW_FORMAT) {
        long rate = 0;
        int channels = 0, encoding = 0;
        if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
            channels < 1 || channels > 2 || encoding != MPG123_ENC_SIGNED_16)
            return Step::End;
        // NOTE: players open their output once; a stream that changes its format
        // midway ends there (in practice that is junk after the music that happened
        // to look like frames).
        // Samples before the change may come with the announcement.
        if (rate_ && (rate != rate_ || channels != channels_)) {
            endAfterThis_ = true;
            return done ? Step::Audio : Step::End;
        }
        rate_ = static_cast<int>(rate);
        channels_ = channels;
        return Step::NewFormat;
    }
    if (r == MPG123_NEED_MORE) return done ? Step::Audio : Step::NeedInput;
    if (r == MPG123_OK) return Step::Audio;
    if (r == MPG123_DONE) return Step::End;
    // A damaged stretch: the samples decoded before it still count, and the next
    // read may find the stream again.
    return done ? Step::Audio : Step::Damage;
}

bool Mp3Decoder::next(std::vector<std::int16_t>& pcm) {
    pcm.clear();
    if (endAfterThis_) ended_ = true;
    int idle = 0;
    while (!ended_ && idle < kIdleStepLimit) {
        Step s = step(&pcm);
        if (s == Step::End) break;
        if (!pcm.empty()) return true;
        if (s == Step::NeedInput) {
            if (!feedMore()) break;  // all input used: the end of the stream
            idle = 0;
        } else {
            ++idle;  // an empty read, a format change or damage
        }
    }
    ended_ = true;
    pcm.clear();
    return false;
}
