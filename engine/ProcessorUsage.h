#pragma once
// Processor-usage measurement as idle detection uses it.

#include <cstdint>

namespace rsw {

class ProcessorUsage {
 public:
  virtual ~ProcessorUsage() = default;
  virtual void StartProcessorUsage() = 0;
  // Percent of processor time in use since the previous sample; 100 means busy or not measurable.
  virtual std::int32_t ReadProcessorUsage() = 0;
  virtual void StopProcessorUsage() = 0;
};

// A platform without a usage statistic: every sample is 100, so idle is never found.
class UnmeasuredProcessorUsage final : public ProcessorUsage {
 public:
  void StartProcessorUsage() override {}
  std::int32_t ReadProcessorUsage() override { return 100; }
  void StopProcessorUsage() override {}
};

}  // namespace rsw
