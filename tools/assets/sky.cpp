// Procedural sky scenes for the demo wallpapers: a graded sky, a sun or moon with its glow, drifting
// clouds from value noise and layered hills fading into haze. Every index gives its own scene.
#include "assettool.h"

#include <algorithm>
#include <cmath>

namespace {

struct Col { double r, g, b; };

Col mix(Col a, Col b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
double clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }
double smooth(double t) { return t * t * (3 - 2 * t); }

uint32_t hash(uint32_t x) {
  x ^= x >> 16; x *= 0x7feb352dU; x ^= x >> 15; x *= 0x846ca68bU; x ^= x >> 16;
  return x;
}
double unit(uint32_t seed, uint32_t k) { return (hash(seed * 7919u + k) & 0xFFFFFF) / 16777216.0; }

double lattice(uint32_t seed, int x, int y) {
  return (hash(seed ^ hash(static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u)) & 0xFFFF) /
         65535.0;
}

double valueNoise(uint32_t seed, double x, double y) {
  const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
  const double fx = smooth(x - xi), fy = smooth(y - yi);
  const double a = lattice(seed, xi, yi), b = lattice(seed, xi + 1, yi);
  const double c = lattice(seed, xi, yi + 1), d = lattice(seed, xi + 1, yi + 1);
  return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

double fbm(uint32_t seed, double x, double y, int octaves) {
  double sum = 0, amp = 0.5, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * valueNoise(seed + o * 101u, x, y);
    norm += amp;
    amp *= 0.5; x *= 2.03; y *= 2.03;
  }
  return sum / norm;
}

// Moods cycle so that neighbouring wallpapers never look alike: zenith, horizon, light, cloud shade.
struct Mood { Col zenith, horizon, light, cloudDark; bool night; };
const Mood kMoods[] = {
    {{0.16, 0.38, 0.75}, {0.70, 0.84, 0.95}, {1.00, 0.98, 0.90}, {0.62, 0.68, 0.78}, false},  // clear day
    {{0.22, 0.30, 0.58}, {0.98, 0.70, 0.42}, {1.00, 0.86, 0.60}, {0.55, 0.42, 0.48}, false},  // golden hour
    {{0.18, 0.14, 0.38}, {0.98, 0.45, 0.30}, {1.00, 0.66, 0.42}, {0.40, 0.22, 0.32}, false},  // sunset
    {{0.06, 0.08, 0.22}, {0.42, 0.30, 0.52}, {0.95, 0.80, 0.90}, {0.20, 0.16, 0.30}, false},  // dusk
    {{0.02, 0.03, 0.10}, {0.10, 0.16, 0.30}, {0.90, 0.93, 1.00}, {0.10, 0.12, 0.20}, true},   // night
    {{0.30, 0.55, 0.80}, {0.85, 0.92, 0.96}, {1.00, 1.00, 0.96}, {0.70, 0.74, 0.80}, false},  // bright noon
};

}  // namespace

Rgba renderSky(int index, int width, int height) {
  const uint32_t seed = hash(static_cast<uint32_t>(index) * 2654435761u + 12345u);
  const Mood& mood = kMoods[(index - 1) % 6];
  const double hueShift = (unit(seed, 1) - 0.5) * 0.25;
  const double horizonY = 0.62 + unit(seed, 2) * 0.16;            // fraction of the height
  const double sunX = 0.12 + unit(seed, 3) * 0.76, sunY = horizonY - 0.08 - unit(seed, 4) * 0.35;
  const double sunR = (mood.night ? 0.035 : 0.045) + unit(seed, 5) * 0.02;
  const double coverage = 0.35 + unit(seed, 6) * 0.35;            // higher means fewer clouds
  const double cloudScale = 2.0 + unit(seed, 7) * 3.0;
  const int layers = 2 + static_cast<int>(unit(seed, 8) * 2.0);
  Col hill = mix({0.10, 0.22, 0.16}, mood.zenith, 0.5);
  if (mood.night) hill = {0.03, 0.05, 0.08};

  Rgba img;
  img.width = width;
  img.height = height;
  img.pixels.assign(static_cast<size_t>(width) * height * 4, 255);
  const double aspect = static_cast<double>(width) / height;
  for (int py = 0; py < height; ++py) {
    const double y = static_cast<double>(py) / height;
    for (int px = 0; px < width; ++px) {
      const double x = static_cast<double>(px) / width;
      // Sky: zenith to horizon with a slight hue drift per picture.
      double t = clamp01(y / horizonY);
      Col c = mix(mood.zenith, mood.horizon, std::pow(t, 1.6));
      c.r = clamp01(c.r + hueShift * 0.3); c.b = clamp01(c.b - hueShift * 0.3);
      // Sun or moon and its glow.
      const double dx = (x - sunX) * aspect, dy = y - sunY;
      const double d = std::sqrt(dx * dx + dy * dy);
      c = mix(c, mood.light, clamp01(0.55 * std::exp(-d * (mood.night ? 9.0 : 4.5))));
      c = mix(c, mood.light, clamp01((sunR - d) / 0.004 + 0.5));
      if (mood.night && (hash(seed ^ (static_cast<uint32_t>(py) * 4099u + px)) % 2600) == 0)
        c = mix(c, {1, 1, 1}, 0.5 + 0.5 * unit(seed, px + py));
      // Clouds, stretched sideways and thinning towards the horizon.
      const double n = fbm(seed, x * cloudScale * aspect, y * cloudScale * 3.0, 6);
      double cloud = clamp01((n - coverage) * 3.2) * clamp01((horizonY - y) * 4.0);
      if (cloud > 0) {
        const double lit = clamp01(0.5 + (fbm(seed, x * cloudScale * aspect + 0.05, y * cloudScale * 3.0 - 0.05, 4) -
                                          n) * 6.0 - d * 0.3);
        c = mix(c, mix(mood.cloudDark, mood.light, lit), cloud * 0.92);
      }
      // Hills: farther ridges are higher, paler and closer to the horizon colour.
      for (int l = 0; l < layers; ++l) {
        const double depth = static_cast<double>(l) / layers;
        const double ridge = horizonY - 0.08 + depth * 0.12 +
                             (fbm(seed + 977u * (l + 1), x * (2.0 + l), 0.5 * l, 5) - 0.5) * (0.22 - depth * 0.08);
        if (y > ridge) {
          const double haze = 0.65 * (1.0 - depth) * (1.0 - clamp01((y - ridge) * 2.0) * 0.5);
          c = mix(mix(hill, {0.05, 0.08, 0.06}, depth), mood.horizon, haze);
        }
      }
      uint8_t* p = &img.pixels[(static_cast<size_t>(py) * width + px) * 4];
      p[0] = static_cast<uint8_t>(std::lround(clamp01(c.r) * 255));
      p[1] = static_cast<uint8_t>(std::lround(clamp01(c.g) * 255));
      p[2] = static_cast<uint8_t>(std::lround(clamp01(c.b) * 255));
    }
  }
  return img;
}
