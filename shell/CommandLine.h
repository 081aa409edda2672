#pragma once
// The command line of rswpro: the installer's one-shot words (INSTALL, UNINSTALL, EXIT) and the
// free-up request.

#include <cstdint>
#include <span>
#include <string>

#include "shell/uRegistry.h"

namespace rsw {

struct CommandLineRequest {
  std::int32_t AmountMB = -1;  // 0 means the default amount
  std::int32_t MaxPasses = 4;
  std::int32_t Countdown = 5;
  std::int32_t IdleMode = 0;  // 0 none, 1 soft, 2 hard; not limited
  bool ExitAfterFreeUp = false;
  bool StartMinimised = false;  // STARTUP asks for the show command SW_SHOWMINNOACTIVE
};

enum class StartAction { Install, Uninstall, Exit, Run };

// INSTALL, UNINSTALL and EXIT count only as the single, exactly spelt argument.
StartAction ChooseStartAction(std::span<const std::string> args);

// Parses the arguments (the program path excluded) into `request` and returns whether any were
// given. The four numbers start from their initial values; ExitAfterFreeUp and StartMinimised are
// only ever set, never cleared. STARTUP reads the start-up settings through `registry`.
bool ParseCommandLine(std::span<const std::string> args, const uRegistry& registry, CommandLineRequest& request);

}  // namespace rsw
