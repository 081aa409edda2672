#pragma once
// Builds performance-data blocks in the layout the system uses, for tests and fuzz seeds.

#include <cstdint>
#include <cstring>
#include <vector>

namespace rsw::test {

struct PerfCounterFixture {
  std::uint32_t nameIndex;
  std::uint32_t type;
  std::int64_t value;
};

struct PerfObjectFixture {
  std::uint32_t titleIndex;
  std::int32_t instances;
  std::vector<PerfCounterFixture> counters;
};

struct PerfTime {
  std::uint16_t year = 2026, month = 12, day = 10, hour = 14, minute = 7, second = 45, millisecond = 0;
};

class PerfDataBuilder {
 public:
  static constexpr std::uint32_t kBlockHeader = 88;
  static constexpr std::uint32_t kObjectHeader = 64;
  static constexpr std::uint32_t kCounterDefinition = 40;

  static std::vector<std::uint8_t> Build(const std::vector<PerfObjectFixture>& objects, const PerfTime& time) {
    std::vector<std::uint8_t> data(kBlockHeader, 0);
    std::memcpy(data.data(), u"PERF", 8);
    Put32(data, 24, kBlockHeader);
    Put32(data, 28, static_cast<std::uint32_t>(objects.size()));
    const std::uint16_t st[8] = {time.year, time.month,  4,           time.day,
                                 time.hour, time.minute, time.second, time.millisecond};
    std::memcpy(data.data() + 36, st, sizeof st);
    for (const PerfObjectFixture& object : objects) {
      const std::size_t at = data.size();
      const auto counters = static_cast<std::uint32_t>(object.counters.size());
      const std::uint32_t definition = kObjectHeader + counters * kCounterDefinition;
      const std::uint32_t counterBlock = 8 + 8 * counters;  // ByteLength, padding, then the values
      data.resize(at + definition + counterBlock, 0);
      Put32(data, at + 0, definition + counterBlock);
      Put32(data, at + 4, definition);
      Put32(data, at + 8, kObjectHeader);
      Put32(data, at + 12, object.titleIndex);
      Put32(data, at + 32, counters);
      Put32(data, at + 40, static_cast<std::uint32_t>(object.instances));
      for (std::uint32_t c = 0; c < counters; ++c) {
        const std::size_t def = at + kObjectHeader + c * kCounterDefinition;
        Put32(data, def + 0, kCounterDefinition);
        Put32(data, def + 4, object.counters[c].nameIndex);
        Put32(data, def + 28, object.counters[c].type);
        Put32(data, def + 32, 8);
        Put32(data, def + 36, 8 + 8 * c);
        std::memcpy(data.data() + at + definition + 8 + 8 * c, &object.counters[c].value, 8);
      }
      Put32(data, at + definition, counterBlock);
    }
    Put32(data, 20, static_cast<std::uint32_t>(data.size()));
    return data;
  }

  static void Put32(std::vector<std::uint8_t>& data, std::size_t at, std::uint32_t value) {
    std::memcpy(data.data() + at, &value, 4);
  }
};

}  // namespace rsw::test
