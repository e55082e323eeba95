// The in-memory desktop's outward side: dialogs answered by the test, programs,
// keys, sounds, files, and fakes of the directly called system functions.
#include <cstring>

#include "platform/memory/desktop.h"
#include "platform/wav.h"

namespace memory {

int Desktop::messageBox(const Text& message, int buttons, const Text* title) {
    messageBoxes.push_back({message, buttons, title ? *title : Text("信息："), now_});
    note("messageBox " + message);
    MessageBoxAnswer a = messageBoxAnswers_.empty() ? MessageBoxAnswer{} : messageBoxAnswers_.front();
    if (!messageBoxAnswers_.empty()) messageBoxAnswers_.pop_front();
    if (a.afterMs) pump(now_ + a.afterMs);  // timers tick while the box is open
    if (buttons == msgbox::kOk) return msgbox::kResultOk;
    return a.result;
}

bool Desktop::inputBox(const Text& prompt, const Text& title, const Text& initial, bool password,
                       WindowId owner, Text& entered) {
    inputBoxes.push_back({prompt, title, initial, password, owner});
    note("inputBox " + prompt);
    InputBoxAnswer a = inputBoxAnswers_.empty() ? InputBoxAnswer{} : inputBoxAnswers_.front();
    if (!inputBoxAnswers_.empty()) inputBoxAnswers_.pop_front();
    if (a.afterMs) pump(now_ + a.afterMs);
    if (!a.text) return false;
    entered = *a.text;
    return true;
}

bool Desktop::runCommandLine(const Text& commandLine, bool wait) {
    commandLines.push_back({commandLine, wait});
    note("run " + commandLine);
    return true;
}

void Desktop::shellOpen(const Text& file) {
    shellOpens.push_back(file);
    note("shellOpen " + file);
}

void Desktop::openUrl(const Text& address) {
    urls.push_back(address);
    note("openUrl " + address);
}

bool Desktop::shutDownSystem(int mode, bool force) {
    shutdownRequests.push_back({mode, force});
    note("shutDownSystem " + std::to_string(mode) + (force ? " forced" : ""));
    return true;
}

void Desktop::pressKeys(int key1, int key2) {
    // Released in the order pressed, not in reverse.
    keyStrokes.push_back({key1, true});
    keyStrokes.push_back({key2, true});
    keyStrokes.push_back({key1, false});
    keyStrokes.push_back({key2, false});
    note("keys " + std::to_string(key1) + "+" + std::to_string(key2));
}

void Desktop::hideTaskbar() {
    taskbarVisible_ = false;
    note("hideTaskbar");
}

void Desktop::showTaskbar() {
    taskbarVisible_ = true;
    note("showTaskbar");
}

Bytes Desktop::readFile(const Text& path) {
    auto it = files_.find(path);
    return it == files_.end() ? Bytes() : it->second;
}

bool Desktop::setWindowOpacity(WindowHandle h, int opacity) {
    if (opacity < 0 || opacity > 255) opacity = 255;
    if (!layered_) return false;
    for (auto& lw : live_) {
        if (lw && lw->handle == h) {
            lw->opacity = opacity;
            if (keepRecords) opacityWrites.push_back({h, opacity});
            return true;
        }
    }
    misuse("opacity for a handle that is no loaded window");
    return false;
}

bool Desktop::setWindowShape(WindowId w, const Bytes& picture, Colour) {
    LiveWindow* lw = live(w);
    if (!lw) return misuse("shape of an unloaded window"), false;
    if (picture.empty()) return false;
    lw->shape = picture;
    if (keepRecords) shapeWrites.push_back({w, picture});
    return true;
}

bool Desktop::playSound(const Bytes& data, bool loop) {
    if (!parseWav(data)) return false;
    sounds.push_back({SoundEvent::Wav, std::to_string(data.size()) + (loop ? " loop" : "")});
    note("playSound");
    return true;
}

void Desktop::playMp3(const Text& file) {
    mp3State_ = Mp3State::None;
    sounds.push_back({SoundEvent::Mp3, file});
    note("playMp3 " + file);
    if (files_.count(file)) {
        mp3State_ = Mp3State::Playing;
        mp3File_ = file;
    }
}

void Desktop::pauseMp3() {
    sounds.push_back({SoundEvent::Pause, {}});
    if (mp3State_ == Mp3State::Playing) mp3State_ = Mp3State::Paused;
}

void Desktop::resumeMp3() {
    sounds.push_back({SoundEvent::Resume, {}});
    if (mp3State_ == Mp3State::Paused) mp3State_ = Mp3State::Playing;
}

void Desktop::stopAllSounds() {
    sounds.push_back({SoundEvent::StopAll, {}});
    mp3State_ = Mp3State::None;
    mp3File_.clear();
}

void Desktop::installFakeSystemCalls() {
    calls_.GetLogicalDriveStringsA = [this](std::uint32_t size, char* buffer) -> std::uint32_t {
        if (driveListFails) return 0;
        std::string all;
        for (const auto& d : drives) all += d.root + '\0';
        if (all.size() + 1 > size) return static_cast<std::uint32_t>(all.size() + 1);
        std::memcpy(buffer, all.data(), all.size());
        buffer[all.size()] = '\0';
        return static_cast<std::uint32_t>(all.size());
    };
    calls_.SHQueryRecycleBinA = [this](const char* path, ShQueryRbInfo* info) -> std::int32_t {
        rbQueries.emplace_back(path ? path : "");
        if (!info || info->cbSize != sizeof(ShQueryRbInfo)) return -1;
        for (const auto& d : drives) {
            if (path && std::string(path).rfind(d.root, 0) == 0) {
                if (d.queryFails) return -1;  // E_FAIL: the record is left as it was
                info->i64NumItems = d.items;
                info->i64Size = d.items * 1024;
                return 0;
            }
        }
        return -1;
    };
    calls_.SHEmptyRecycleBinA = [this](WindowHandle owner, const char* root,
                                       std::uint32_t flags) -> std::int32_t {
        rbEmptyFlags.push_back(flags);
        note("emptyRecycleBin owner=" + std::to_string(owner) + (root ? " root" : ""));
        for (auto& d : drives)
            if (!d.queryFails) d.items = 0;
        return 0;
    };
    calls_.BringWindowToTop = [this](WindowHandle h) {
        if (keepRecords) broughtToTop.push_back(h);
        return true;
    };
    calls_.CreateToolhelp32Snapshot = [this](std::uint32_t, std::uint32_t) -> SysHandle {
        if (snapshotFails) return kInvalidSysHandle;
        SysHandle h = nextSnapshot_++;
        snapshots_[h] = Snapshot{};
        ++snapshotsOpened;
        return h;
    };
    auto entry = [this](SysHandle h, ProcessEntry32* e, bool first) {
        auto it = snapshots_.find(h);
        if (it == snapshots_.end() || !it->second.open || !e || e->dwSize != sizeof(ProcessEntry32))
            return false;
        if (first) it->second.next = 0;
        std::size_t i = it->second.next;
        if (enumerationFailsAfter >= 0 && static_cast<int>(i) >= enumerationFailsAfter) return false;
        if (i >= processes.size()) return false;
        std::memset(e->szExeFile, 0, sizeof e->szExeFile);
        std::strncpy(e->szExeFile, processes[i].c_str(), sizeof e->szExeFile - 1);
        e->th32ProcessID = static_cast<std::uint32_t>(100 + 4 * i);
        it->second.next = i + 1;
        return true;
    };
    calls_.Process32First = [entry](SysHandle h, ProcessEntry32* e) { return entry(h, e, true); };
    calls_.Process32Next = [entry](SysHandle h, ProcessEntry32* e) { return entry(h, e, false); };
    calls_.CloseHandle = [this](SysHandle h) {
        auto it = snapshots_.find(h);
        if (it == snapshots_.end() || !it->second.open) return false;
        it->second.open = false;
        ++snapshotsClosed;
        return true;
    };
}

}  // namespace memory
