// The widget's random generator and the clock seeding with its counter, so that two
// seedings within one millisecond still differ and sequences are reproducible.
#include <utility>

#include "platform/desktop_services.h"

void RandomGenerator::seedFromTick(std::uint32_t tick) {
    state = tick + counter;
    counter = counter + ((tick + counter) & 0xFF) + 100;
}

int RandomGenerator::next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
}

int RandomGenerator::inRange(int lower, int upper) {
    if (lower == upper) return lower;
    if (upper < lower) std::swap(lower, upper);
    long long span = static_cast<long long>(upper) - lower + 1;
    return static_cast<int>(lower + next() % span);
}
