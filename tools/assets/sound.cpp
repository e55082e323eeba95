// Sound synthesis for the emptied chime and the demo song: plain additive tones, plucked strings and a
// small reverb, all deterministic (fixed seeds) so that regenerating gives the same bytes.
#include "assettool.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Stereo {
  std::vector<double> left, right;
  explicit Stereo(size_t frames) : left(frames, 0.0), right(frames, 0.0) {}
  size_t frames() const { return left.size(); }
  void add(size_t i, double v, double pan) {  // pan -1 (left) .. 1 (right), equal power
    if (i >= frames()) return;
    const double a = (pan + 1.0) * kPi / 4.0;
    left[i] += v * std::cos(a);
    right[i] += v * std::sin(a);
  }
};

double midiToHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// A struck bell-like tone: a few harmonics, each dying away faster than the one below it.
void addBell(Stereo& out, int rate, double start, double hz, double amp, double decay, double pan) {
  static const double kRatio[] = {1.0, 2.0, 3.0, 4.2};
  static const double kLevel[] = {1.0, 0.35, 0.12, 0.05};
  const size_t from = static_cast<size_t>(start * rate);
  const size_t len = static_cast<size_t>(decay * 7.0 * rate);
  for (size_t n = 0; n < len; ++n) {
    const double t = static_cast<double>(n) / rate;
    const double attack = std::min(1.0, t / 0.004);
    double v = 0.0;
    for (int k = 0; k < 4; ++k)
      v += kLevel[k] * std::exp(-t * (1.0 + k * 1.5) / decay) * std::sin(2.0 * kPi * hz * kRatio[k] * t);
    out.add(from + n, amp * attack * v, pan);
  }
}

// Karplus-Strong plucked string; the seed keeps the excitation noise reproducible.
void addPluck(Stereo& out, int rate, double start, double hz, double amp, double pan, uint32_t& seed) {
  const size_t period = std::max<size_t>(2, static_cast<size_t>(rate / hz));
  std::vector<double> line(period);
  for (double& s : line) {
    seed = seed * 1664525u + 1013904223u;
    s = (static_cast<double>(seed >> 8) / 8388608.0) - 1.0;
  }
  // A few smoothing passes over the excitation give a mellow harp-like pluck instead of a noisy click.
  for (int pass = 0; pass < 4; ++pass)
    for (size_t i = 0; i < period; ++i) line[i] = 0.5 * (line[i] + line[(i + 1) % period]);
  const size_t from = static_cast<size_t>(start * rate);
  const size_t len = static_cast<size_t>(2.5 * rate);
  double lowpass = 0.0;
  for (size_t n = 0; n < len; ++n) {
    const size_t i = n % period;
    const double v = line[i];
    line[i] = 0.996 * 0.5 * (v + line[(i + 1) % period]);
    lowpass += 0.35 * (v - lowpass);  // soften the bright attack
    const double tail = std::min(1.0, static_cast<double>(len - n) / (0.4 * rate));  // no click at the cut
    out.add(from + n, amp * lowpass * tail, pan);
  }
}

// A soft sustained chord voice with slow attack and release and a slight detune between the ears.
void addPad(Stereo& out, int rate, double start, double length, double hz, double amp) {
  const size_t from = static_cast<size_t>(start * rate);
  const size_t len = static_cast<size_t>((length + 0.8) * rate);
  for (size_t n = 0; n < len; ++n) {
    const double t = static_cast<double>(n) / rate;
    double env = std::min(1.0, t / 0.35);
    if (t > length) env *= std::exp(-(t - length) / 0.25);
    const double l = std::sin(2 * kPi * hz * 0.999 * t) + 0.25 * std::sin(4 * kPi * hz * t);
    const double r = std::sin(2 * kPi * hz * 1.001 * t) + 0.25 * std::sin(4 * kPi * hz * t);
    if (from + n < out.frames()) {
      out.left[from + n] += amp * env * l;
      out.right[from + n] += amp * env * r;
    }
  }
}

// Schroeder reverb: parallel feedback combs then series all-passes, mixed under the dry signal.
std::vector<double> reverb(const std::vector<double>& in, int rate, double spread) {
  static const double kComb[] = {0.0297, 0.0371, 0.0411, 0.0437};
  static const double kAllpass[] = {0.005, 0.0017};
  std::vector<double> wet(in.size(), 0.0);
  for (double c : kComb) {
    const size_t d = static_cast<size_t>((c + spread) * rate);
    std::vector<double> buf(d, 0.0);
    for (size_t n = 0; n < in.size(); ++n) {
      const double y = buf[n % d];
      buf[n % d] = in[n] + 0.78 * y;
      wet[n] += y * 0.25;
    }
  }
  for (double a : kAllpass) {
    const size_t d = static_cast<size_t>(a * rate);
    std::vector<double> buf(d, 0.0);
    for (size_t n = 0; n < wet.size(); ++n) {
      const double delayed = buf[n % d];
      const double x = wet[n] + 0.5 * delayed;
      buf[n % d] = x;
      wet[n] = delayed - 0.5 * x;
    }
  }
  std::vector<double> out(in.size());
  for (size_t n = 0; n < in.size(); ++n) out[n] = in[n] + 0.3 * wet[n];
  return out;
}

std::vector<int16_t> toPcm(const Stereo& s, double peakTarget) {
  double peak = 1e-9;
  for (size_t i = 0; i < s.frames(); ++i) peak = std::max({peak, std::fabs(s.left[i]), std::fabs(s.right[i])});
  const double gain = peakTarget * 32767.0 / peak;
  std::vector<int16_t> pcm(s.frames() * 2);
  for (size_t i = 0; i < s.frames(); ++i) {
    pcm[2 * i] = static_cast<int16_t>(std::lround(s.left[i] * gain));
    pcm[2 * i + 1] = static_cast<int16_t>(std::lround(s.right[i] * gain));
  }
  return pcm;
}

}  // namespace

std::vector<int16_t> synthChime() {
  const int rate = 22050;
  Stereo s(16900);  // 16900 frames x 2 channels x 2 bytes = 67600 data bytes
  // Rising major arpeggio G5 - C6 - E6: a short "done" figure, spread left to right.
  addBell(s, rate, 0.000, midiToHz(79), 0.9, 0.16, -0.5);
  addBell(s, rate, 0.090, midiToHz(84), 0.9, 0.18, 0.0);
  addBell(s, rate, 0.180, midiToHz(88), 1.0, 0.22, 0.5);
  // Fade the tail so the sound ends on silence instead of a click.
  const size_t fade = rate / 8;
  for (size_t i = 0; i < fade; ++i) {
    const double g = static_cast<double>(i) / fade;
    s.left[s.frames() - 1 - i] *= g;
    s.right[s.frames() - 1 - i] *= g;
  }
  return toPcm(s, 0.7);
}

std::vector<int16_t> synthSong() {
  const int rate = 44100;
  const double beat = 60.0 / 84.0;
  // C - Am - F - G twice, then C to close.
  static const int kRoots[] = {48, 45, 41, 43, 48, 45, 41, 43, 48};
  static const int kThirds[] = {4, 3, 4, 4, 4, 3, 4, 4, 4};
  struct Note { double beat, length; int midi; };
  static const Note kMelody[] = {
      {0, 1, 76}, {1, 1, 79}, {2, 1, 81}, {3, 1, 79},
      {4, 2, 76}, {6, 1, 72}, {7, 1, 74},
      {8, 1.5, 72}, {9.5, 0.5, 74}, {10, 1, 76}, {11, 1, 72},
      {12, 3, 74},
      {16, 1, 76}, {17, 1, 79}, {18, 1.5, 84}, {19.5, 0.5, 83},
      {20, 2, 81}, {22, 1, 76}, {23, 1, 79},
      {24, 1, 77}, {25, 1, 76}, {26, 1, 74}, {27, 1, 72},
      {28, 2, 74}, {30, 1, 71}, {31, 1, 74},
      {32, 4, 72}};
  const int bars = 9;
  Stereo s(static_cast<size_t>((bars * 4 * beat + 3.0) * rate));
  uint32_t seed = 20240601u;
  for (int bar = 0; bar < bars; ++bar) {
    const double t0 = bar * 4 * beat;
    const int root = kRoots[bar];
    const int chord[3] = {root + 12, root + 12 + kThirds[bar], root + 19};
    const bool last = bar == bars - 1;
    for (int k = 0; k < 3; ++k) addPad(s, rate, t0, (last ? 6.0 : 4.0) * beat, midiToHz(chord[k]), 0.035);
    addPluck(s, rate, t0, midiToHz(root), 0.5, 0.0, seed);
    if (!last) addPluck(s, rate, t0 + 2 * beat, midiToHz(root), 0.4, 0.0, seed);
    // Eighth-note arpeggio over the chord: root, fifth, octave, tenth and back down.
    const int arp[8] = {root + 12, root + 19, root + 24, root + 24 + kThirds[bar],
                        root + 31, root + 24 + kThirds[bar], root + 24, root + 19};
    const int steps = last ? 5 : 8;
    for (int i = 0; i < steps; ++i)
      addPluck(s, rate, t0 + i * beat / 2, midiToHz(arp[i]), 0.22, (i % 2 ? 0.4 : -0.4), seed);
  }
  for (const Note& n : kMelody)
    addBell(s, rate, n.beat * beat, midiToHz(n.midi), 0.32, 0.35 + 0.25 * n.length, 0.1);
  s.left = reverb(s.left, rate, 0.0);
  s.right = reverb(s.right, rate, 0.0023);
  const size_t fade = rate * 2;
  for (size_t i = 0; i < fade; ++i) {
    const double g = static_cast<double>(i) / fade;
    s.left[s.frames() - 1 - i] *= g;
    s.right[s.frames() - 1 - i] *= g;
  }
  return toPcm(s, 0.85);
}
