#include "rtl/Random.h"

#include <atomic>
#include <chrono>

namespace {

std::atomic<uint32_t> g_seed{0};

// Advances the seed once and returns the new value.
uint32_t NextSeed() {
  uint32_t current = g_seed.load(std::memory_order_relaxed);
  uint32_t next;
  do {
    next = current * 134775813u + 1u;
  } while (!g_seed.compare_exchange_weak(current, next, std::memory_order_relaxed));
  return next;
}

}  // namespace

void Randomize() {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count() ^
                     std::chrono::system_clock::now().time_since_epoch().count();
  g_seed.store(static_cast<uint32_t>(ticks) ^ static_cast<uint32_t>(static_cast<uint64_t>(ticks) >> 32),
               std::memory_order_relaxed);
}

int Random(int range) {
  if (range <= 0) return 0;
  // The high part of seed x range: evenly spread over [0, range).
  return static_cast<int>((static_cast<uint64_t>(NextSeed()) * static_cast<uint32_t>(range)) >> 32);
}

double Random() { return static_cast<double>(NextSeed()) / 4294967296.0; }

uint32_t RandSeed() { return g_seed.load(std::memory_order_relaxed); }

void SetRandSeed(uint32_t seed) { g_seed.store(seed, std::memory_order_relaxed); }
