#pragma once

// Maps source frames onto the output frame grid by their timestamps. A frame fills the output
// slots from its time to the next frame's time; up to about one output frame of timestamp
// jitter is absorbed, so a source whose timestamps wobble around the output rate gets no
// spurious duplicates or drops. Single thread.

#include <cmath>
#include <cstdint>

class FrameRateConverter {
 public:
  explicit FrameRateConverter(double outputRate) : m_rate(outputRate) {}

  // How many output frames the source frame at `time` becomes (0 drops it); `nextTime` is
  // the next frame's time, or `time` plus the source's nominal frame time for the last one.
  int Repeats(double time, double nextTime) {
    const double delta0 = time * m_rate - double(m_written);  // how far ahead the frame is
    const double duration = std::max(0.0, (nextTime - time) * m_rate);
    const double delta = delta0 + duration;
    int count = 1;
    if (delta < -1.1) {
      count = 0;
    } else if (delta > 1.1) {
      count = int(std::lrint(delta));
    }
    m_written += count;
    return count;
  }

  int64_t Written() const { return m_written; }

 private:
  double m_rate;
  int64_t m_written = 0;
};
