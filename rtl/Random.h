#pragma once

// The runtime's pseudo-random generator: one 32-bit linear congruential sequence for the
// process (seed x 134775813 + 1), seeded from the clock by Randomize at start-up. Meant for
// choices a user sees (a random transition), never for anything secret. Any thread: each
// draw advances the seed atomically.

#include <cstdint>

// Seeds the sequence from the clock.
void Randomize();
// An integer in [0, range); 0 when range is 0 or less.
int Random(int range);
// A number in [0, 1).
double Random();

// The current seed; setting it repeats a sequence (tests).
uint32_t RandSeed();
void SetRandSeed(uint32_t seed);
