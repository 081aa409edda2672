#include "shell/CommandLine.h"

#include <algorithm>

#include "engine/FreeAmounts.h"
#include "shell/IntegerText.h"
#include "shell/SettingsKey.h"

namespace rsw {

namespace {

// The start-up settings as the STARTUP keyword reads them; absent values have their own defaults here.
void ApplyStartupSettings(const uRegistry& registry, CommandLineRequest& request) {
  const std::int32_t index = registry.ReadRegInteger(kSettingsKey, "StartupAmount", -1);
  // An absent or out-of-table position means the default amount.
  request.AmountMB = index >= 0 && index < kAmountCount ? FreeAmounts[index] : 0;
  request.MaxPasses = registry.ReadRegInteger(kSettingsKey, "StartupCount", 3);
  request.Countdown = registry.ReadRegInteger(kSettingsKey, "StartupDelay", 5);
  request.IdleMode = registry.ReadRegInteger(kSettingsKey, "IdleStartup", 0);
  request.StartMinimised = true;
}

}  // namespace

StartAction ChooseStartAction(std::span<const std::string> args) {
  if (args.size() == 1 && args[0] == "INSTALL") return StartAction::Install;
  if (args.size() == 1 && args[0] == "UNINSTALL") return StartAction::Uninstall;
  if (args.size() == 1 && args[0] == "EXIT") return StartAction::Exit;
  return StartAction::Run;
}

bool ParseCommandLine(std::span<const std::string> args, const uRegistry& registry, CommandLineRequest& request) {
  request.AmountMB = -1;
  request.Countdown = 5;
  request.MaxPasses = 4;
  request.IdleMode = 0;

  for (const std::string& arg : args) {
    std::string word = UpperAscii(arg);
    if (!word.empty() && (word[0] == '-' || word[0] == '/' || word[0] == '\\')) word.erase(0, 1);
    if (word.empty()) continue;

    const std::string_view rest = std::string_view(word).substr(1);
    switch (word[0]) {
      case 'F': request.AmountMB = ParseInteger(rest).value_or(-1); break;
      case 'C': request.ExitAfterFreeUp = true; break;
      case 'T': request.MaxPasses = ParseInteger(rest).value_or(4); break;
      case 'D': request.Countdown = ParseInteger(rest).value_or(0); break;
      default:
        if (word[0] >= '0' && word[0] <= '9') {
          request.AmountMB = ParseInteger(word).value_or(-1);
        } else if (word == "STARTUP") {
          ApplyStartupSettings(registry, request);
        }
        break;
    }
  }

  if (args.empty()) return false;
  if (request.AmountMB < 0 || request.AmountMB > 512) request.AmountMB = 0;
  request.MaxPasses = std::clamp(request.MaxPasses, 1, 20);
  request.Countdown = std::clamp(request.Countdown, 0, 3600);
  return true;
}

}  // namespace rsw
