// Sound on Windows: WAV data played through waveOut on a thread per sound, and one
// MP3 player decoding a file on a thread of its own. No player calls into the logic.
#pragma once

#include <string>

namespace win32::sound {

// Starts a player for PCM WAV data (looping when asked) and returns at once: true
// when a player started. Other data, or no output device, plays nothing.
bool playWav(const std::string& data, bool loop);
// Plays the file (GBK path) once in the background, replacing any MP3 player.
// A file that cannot be read or decoded plays nothing.
void playMp3(const std::string& gbkPath);
void pauseMp3();
void resumeMp3();  // nothing without a paused player
// Removes the MP3 player and tells every WAV player to stop, without waiting.
void stopAll();
// Stops everything and waits for every player thread (program end).
void shutdown();

// How many WAV player threads are alive (finished ones are reaped on every call).
int activeWavPlayers();
bool mp3Playing();  // a player exists and is not paused
bool mp3Paused();

}  // namespace win32::sound
