#pragma once
// Processor usage from the Windows NT performance data: the walk over the data block the system
// returns for the System object, and the usage computed from two readings of its idle counter.
// Every offset and length in the block is checked before it is read: a damaged or hostile block
// gives "not found", never a read outside it.

#include <cstdint>
#include <optional>
#include <span>

namespace rsw {

// The System object and its processor-time counter, by title index.
inline constexpr std::uint32_t kSystemObjectIndex = 2;
inline constexpr std::uint32_t kProcessorTimeCounterIndex = 240;
// Idle time in 100-ns units, counting up while the processor is idle.
inline constexpr std::uint32_t PERF_100NSEC_TIMER_INV = 0x21510500;

struct ProcessorTimeCounter {
  std::int64_t raw;  // the counter's value
  std::uint32_t counterType;
  double time;  // the block's time stamp, in days since 30 December 1899
};

// The counter of the first System object without instances, or nullopt when the block holds none
// (or cannot be walked safely).
std::optional<ProcessorTimeCounter> FindProcessorTimeCounter(std::span<const std::uint8_t> block);

// A calendar date and time as days since 30 December 1899, the fraction being the time of day;
// nullopt for a date or time that does not exist.
std::optional<double> EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond);

// The last reading that usage is measured against.
struct PerfBaseline {
  double LastIdleCounter = 1.0;
  double LastSampleTime = 0.0;
};

// Usage in percent from a new reading: 100 minus the idle share of the time since the baseline,
// rounded half to even and not limited to 0..100; 99 for a counter of another type (the baseline
// then stays); 100 when it cannot be computed (no time passed, time ran backwards, a result out
// of range). Except for another type, the reading becomes the new baseline.
std::int32_t UsageFromCounter(PerfBaseline& baseline, const ProcessorTimeCounter& reading);

// Processor times as GetSystemTimes reports them, in 100-ns units; kernel time includes idle time.
struct SystemTimes {
  std::uint64_t idle = 0;
  std::uint64_t kernel = 0;
  std::uint64_t user = 0;
};

// Usage in percent between two readings: 100 minus the idle share of all processor time, rounded
// half to even; 100 when no time passed or the readings do not fit together.
std::int32_t UsageFromSystemTimes(const SystemTimes& before, const SystemTimes& after);

}  // namespace rsw
