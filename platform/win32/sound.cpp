// WAV and MP3 players over waveOut. Each player owns a thread, a device and up to
// 20 buffers in flight; the device's completion callback only counts buffers back
// (it may not call waveOut), and every waveOut call is made by the player's thread.
#include "platform/win32/sound.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/mp3.h"
#include "platform/wav.h"
#include "platform/win32/system.h"

namespace win32::sound {
namespace {

constexpr int kBuffers = 20;
constexpr std::size_t kBufferBytes = 15360;  // whole frames for 8/16-bit mono/stereo
constexpr DWORD kStopGraceMs = 2000;          // buffers must come back after a reset
constexpr DWORD kStallMs = 5000;              // beyond a buffer's own length: a stuck device

// One waveOut device with its ring of buffers.
struct Output {
    HWAVEOUT device = nullptr;
    CRITICAL_SECTION countLock;
    int queued = 0;                // buffers handed to the device, not yet returned
    HANDLE freeSlots = nullptr;    // semaphore: buffers the thread may fill
    WAVEHDR headers[kBuffers] = {};
    std::vector<char> memory[kBuffers];
    int next = 0;
    DWORD bufferMs = 0;  // how long one full buffer plays

    Output() { InitializeCriticalSection(&countLock); }
    ~Output() {
        if (freeSlots) CloseHandle(freeSlots);
        DeleteCriticalSection(&countLock);
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    int pending() {
        EnterCriticalSection(&countLock);
        int q = queued;
        LeaveCriticalSection(&countLock);
        return q;
    }
    void adjust(int delta) {
        EnterCriticalSection(&countLock);
        queued += delta;
        LeaveCriticalSection(&countLock);
    }

    static void CALLBACK done(HWAVEOUT, UINT msg, DWORD_PTR self, DWORD_PTR, DWORD_PTR) {
        if (msg != WOM_DONE) return;
        auto* out = reinterpret_cast<Output*>(self);
        out->adjust(-1);
        ReleaseSemaphore(out->freeSlots, 1, nullptr);
    }

    bool open(const WAVEFORMATEX& format) {
        freeSlots = CreateSemaphoreW(nullptr, kBuffers, kBuffers, nullptr);
        if (!freeSlots) return false;
        WAVEFORMATEX f = format;
        bufferMs = static_cast<DWORD>(kBufferBytes * 1000 / std::max<DWORD>(f.nAvgBytesPerSec, 1));
        MMRESULT r = waveOutOpen(&device, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(&done),
                                 reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION);
        if (r != MMSYSERR_NOERROR) device = nullptr;
        return device != nullptr;
    }

    // Queues n bytes in the next buffer; the caller has taken a free slot.
    bool write(const char* data, std::size_t n) {
        WAVEHDR& h = headers[next];
        // Buffers come back in the order they were queued, so the next one is free.
        if (h.dwFlags & WHDR_INQUEUE) return false;
        if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device, &h, sizeof h);
        std::vector<char>& mem = memory[next];
        if (mem.empty()) mem.resize(kBufferBytes);
        std::memcpy(mem.data(), data, n);
        std::memset(&h, 0, sizeof h);
        h.lpData = mem.data();
        h.dwBufferLength = static_cast<DWORD>(n);
        if (waveOutPrepareHeader(device, &h, sizeof h) != MMSYSERR_NOERROR) {
            ReleaseSemaphore(freeSlots, 1, nullptr);
            return false;
        }
        adjust(+1);  // before the write: the callback may run before it returns
        if (waveOutWrite(device, &h, sizeof h) != MMSYSERR_NOERROR) {
            adjust(-1);
            waveOutUnprepareHeader(device, &h, sizeof h);
            ReleaseSemaphore(freeSlots, 1, nullptr);
            return false;
        }
        next = (next + 1) % kBuffers;
        return true;
    }

    // Stops what is queued (when asked), waits a bounded time for the buffers to come
    // back and closes the device. Returns false when the device kept buffers: their
    // memory must then stay allocated.
    bool close(bool reset) {
        if (!device) return true;
        if (reset) waveOutReset(device);
        DWORD start = GetTickCount();
        while (pending() > 0 && GetTickCount() - start < kStopGraceMs)
            WaitForSingleObject(freeSlots, 50);
        if (pending() > 0) {
            waveOutReset(device);
            return false;
        }
        for (WAVEHDR& h : headers)
            if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device, &h, sizeof h);
        waveOutClose(device);
        device = nullptr;
        return true;
    }
};

struct Player {
    HANDLE thread = nullptr;
    HANDLE stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);      // manual reset
    HANDLE commandEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // pause/resume
    volatile LONG wantPaused = 0;
    bool devicePaused = false;  // player thread only
    bool leakBuffers = false;   // the device never gave its buffers back
    Output out;
    // WAV: the PCM and its format; MP3: the file.
    std::string pcm;
    WAVEFORMATEX format = {};
    bool loop = false;
    std::string path;

    ~Player() {
        if (thread) CloseHandle(thread);
        if (stopEvent) CloseHandle(stopEvent);
        if (commandEvent) CloseHandle(commandEvent);
    }
    bool finished() const { return !thread || WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }

    void applyPause() {
        bool want = InterlockedCompareExchange(&wantPaused, 0, 0) != 0;
        if (want == devicePaused || !out.device) return;
        if (want)
            waveOutPause(out.device);
        else
            waveOutRestart(out.device);
        devicePaused = want;
    }

    // Waits for a free buffer, carrying out pause requests meanwhile; false on stop.
    bool waitForSlot() {
        HANDLE h[3] = {stopEvent, commandEvent, out.freeSlots};
        for (;;) {
            DWORD w = WaitForMultipleObjects(3, h, FALSE, INFINITE);
            if (w == WAIT_OBJECT_0 + 2) return true;
            if (w == WAIT_OBJECT_0 + 1) {
                applyPause();
                continue;
            }
            return false;
        }
    }

    // Lets the queued buffers play out; false when told to stop (or the device
    // stalls while not paused).
    bool drain() {
        HANDLE h[2] = {stopEvent, commandEvent};
        DWORD lastProgress = GetTickCount();
        int last = out.pending();
        while (last > 0) {
            DWORD w = WaitForMultipleObjects(2, h, FALSE, 50);
            if (w == WAIT_OBJECT_0) return false;
            if (w == WAIT_OBJECT_0 + 1) applyPause();
            int now = out.pending();
            if (now != last || devicePaused) lastProgress = GetTickCount();
            if (GetTickCount() - lastProgress > kStallMs + out.bufferMs) return false;
            last = now;
        }
        return true;
    }

    void finish(bool stopped) { leakBuffers = !out.close(stopped); }
};

DWORD WINAPI wavThread(void* arg) {
    auto* p = static_cast<Player*>(arg);
    const std::size_t size = p->pcm.size();
    std::size_t at = 0;
    bool stopped = false;
    for (;;) {
        if (!p->waitForSlot()) {
            stopped = true;
            break;
        }
        std::size_t n = std::min(kBufferBytes, size - at);
        if (!p->out.write(p->pcm.data() + at, n)) {
            stopped = true;
            break;
        }
        at += n;
        if (at < size) continue;
        if (!p->loop) break;
        at = 0;  // a looping sound starts again from its beginning
    }
    if (!stopped) stopped = !p->drain();
    p->finish(stopped);
    return 0;
}

DWORD WINAPI mp3Thread(void* arg) {
    auto* p = static_cast<Player*>(arg);
    Mp3Decoder decoder;
    // NOTE: the file is read whole here rather than by the decoder: the path is GBK
    // and only the wide file functions take it whatever the system's code page.
    if (!decoder.openBytes(readFileGbk(p->path))) return 0;
    WAVEFORMATEX f = {};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = static_cast<WORD>(decoder.channels());
    f.nSamplesPerSec = static_cast<DWORD>(decoder.rate());
    f.wBitsPerSample = 16;
    f.nBlockAlign = static_cast<WORD>(f.nChannels * 2);
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    if (WaitForSingleObject(p->stopEvent, 0) == WAIT_OBJECT_0 || !p->out.open(f)) return 0;
    p->applyPause();  // a pause asked for while the file was being read

    std::vector<std::int16_t> piece;
    std::string queue;  // decoded bytes not yet handed to the device
    bool more = true, stopped = false;
    for (;;) {
        while (more && queue.size() < kBufferBytes) {
            if (decoder.next(piece))
                queue.append(reinterpret_cast<const char*>(piece.data()), piece.size() * 2);
            else
                more = false;
        }
        if (queue.empty()) break;
        if (!p->waitForSlot()) {
            stopped = true;
            break;
        }
        std::size_t n = std::min(kBufferBytes, queue.size());
        if (!p->out.write(queue.data(), n)) {
            stopped = true;
            break;
        }
        queue.erase(0, n);
    }
    if (!stopped) stopped = !p->drain();
    p->finish(stopped);
    return 0;
}

bool start(Player& p, LPTHREAD_START_ROUTINE proc) {
    if (!p.stopEvent || !p.commandEvent) return false;
    p.thread = CreateThread(nullptr, 0, proc, &p, 0, nullptr);
    return p.thread != nullptr;
}

// Every player the GUI thread has started and not yet reaped; players never touch it.
struct Registry {
    CRITICAL_SECTION lock;
    std::vector<Player*> wavs;
    Player* mp3 = nullptr;
    std::vector<Player*> retired;  // MP3 players told to stop, maybe still ending
    Registry() { InitializeCriticalSection(&lock); }
};

Registry& registry() {
    static Registry r;
    return r;
}

struct Locked {
    Registry& r = registry();
    Locked() { EnterCriticalSection(&r.lock); }
    ~Locked() { LeaveCriticalSection(&r.lock); }
};

void destroy(Player* p) {
    // NOTE: a device that never returned its buffers may still write into them; the
    // player's memory is then left alone rather than freed under the driver.
    if (p->leakBuffers) return;
    delete p;
}

// Finished players give back their thread, events and memory.
void reap(Registry& r) {
    for (auto* list : {&r.wavs, &r.retired}) {
        auto done = std::stable_partition(list->begin(), list->end(),
                                          [](Player* p) { return !p->finished(); });
        for (auto it = done; it != list->end(); ++it) destroy(*it);
        list->erase(done, list->end());
    }
    if (r.mp3 && r.mp3->finished()) {
        destroy(r.mp3);
        r.mp3 = nullptr;
    }
}

void retireMp3(Registry& r) {
    if (!r.mp3) return;
    SetEvent(r.mp3->stopEvent);
    r.retired.push_back(r.mp3);
    r.mp3 = nullptr;
}

}  // namespace

bool playWav(const std::string& data, bool loop) {
    Locked l;
    reap(l.r);
    auto info = parseWav(data);
    if (!info || info->dataLength == 0) return false;
    auto p = std::make_unique<Player>();
    p->pcm = data.substr(info->dataOffset, info->dataLength);
    p->loop = loop;
    WAVEFORMATEX& f = p->format;
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = info->channels;
    f.nSamplesPerSec = info->sampleRate;
    f.nAvgBytesPerSec = info->byteRate;
    f.nBlockAlign = info->blockAlign;
    f.wBitsPerSample = info->bitsPerSample;
    if (!p->out.open(f)) return false;  // no device: nothing plays, nothing is said
    if (!start(*p, wavThread)) {
        p->out.close(true);
        return false;
    }
    l.r.wavs.push_back(p.release());
    return true;
}

void playMp3(const std::string& gbkPath) {
    Locked l;
    reap(l.r);
    retireMp3(l.r);
    auto p = std::make_unique<Player>();
    p->path = gbkPath;
    if (!start(*p, mp3Thread)) return;
    l.r.mp3 = p.release();
}

void pauseMp3() {
    Locked l;
    reap(l.r);
    if (!l.r.mp3) return;
    InterlockedExchange(&l.r.mp3->wantPaused, 1);
    SetEvent(l.r.mp3->commandEvent);
}

void resumeMp3() {
    Locked l;
    reap(l.r);
    if (!l.r.mp3) return;
    InterlockedExchange(&l.r.mp3->wantPaused, 0);
    SetEvent(l.r.mp3->commandEvent);
}

void stopAll() {
    Locked l;
    retireMp3(l.r);
    for (Player* p : l.r.wavs) SetEvent(p->stopEvent);
    reap(l.r);
}

void shutdown() {
    Locked l;
    retireMp3(l.r);
    for (Player* p : l.r.wavs) SetEvent(p->stopEvent);
    for (auto* list : {&l.r.wavs, &l.r.retired})
        for (Player* p : *list)
            if (p->thread) WaitForSingleObject(p->thread, kStopGraceMs + 1000);
    reap(l.r);
}

int activeWavPlayers() {
    Locked l;
    reap(l.r);
    return static_cast<int>(l.r.wavs.size());
}

bool mp3Playing() {
    Locked l;
    reap(l.r);
    return l.r.mp3 && InterlockedCompareExchange(&l.r.mp3->wantPaused, 0, 0) == 0;
}

bool mp3Paused() {
    Locked l;
    reap(l.r);
    return l.r.mp3 && InterlockedCompareExchange(&l.r.mp3->wantPaused, 0, 0) != 0;
}

}  // namespace win32::sound
