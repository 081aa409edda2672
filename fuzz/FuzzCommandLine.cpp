// Any argument list, over a registry holding any start-up settings: the request always ends
// within its bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "shell/CommandLine.h"
#include "shell/MemoryRegistry.h"
#include "shell/SettingsKey.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rsw::MemoryRegistry memory;
  rsw::uRegistry registry(memory);

  // The first 16 bytes, when present, are the four start-up settings.
  if (size >= 16) {
    const char* names[] = {"StartupAmount", "StartupCount", "StartupDelay", "IdleStartup"};
    for (int i = 0; i < 4; ++i) {
      std::int32_t value;
      std::memcpy(&value, data + 4 * i, 4);
      registry.WriteRegInteger(rsw::kSettingsKey, names[i], value);
    }
    data += 16;
    size -= 16;
  }

  // The rest: arguments separated by zero bytes.
  std::vector<std::string> args;
  std::string current;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  if (!current.empty()) args.push_back(current);

  rsw::CommandLineRequest request;
  const bool hasRequest = rsw::ParseCommandLine(args, registry, request);
  if (hasRequest != !args.empty()) std::abort();
  if (hasRequest) {
    if (request.AmountMB < 0 || request.AmountMB > 512) std::abort();
    if (request.MaxPasses < 1 || request.MaxPasses > 20) std::abort();
    if (request.Countdown < 0 || request.Countdown > 3600) std::abort();
  }
  return 0;
}
