#pragma once
// How the main window turns its inputs into free-up arguments.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/TFreeThread.h"
#include "shell/IntegerText.h"
#include "shell/Messages.h"

namespace rsw {

// The pass count typed into the Free Memory page: 1 when it is no number, limited to 1..20.
inline std::int32_t ManualPasses(std::string_view text) { return std::clamp(ParseInteger(text).value_or(1), 1, 20); }

// A free-up request from another process; an amount no block can hold is no request. An amount
// of 0 asks for the default amount.
inline std::optional<RemoteFreeUp> AcceptRemoteFreeUp(std::uint32_t wParam, std::int32_t lParam,
                                                      std::int32_t defaultAmountMB) {
  RemoteFreeUp request = UnpackRemoteFreeUp(wParam, lParam);
  if (request.AmountMB < 0 || request.AmountMB > TFreeThread::kMaxAmountMB) return std::nullopt;
  if (request.AmountMB == 0) request.AmountMB = defaultAmountMB;
  return request;
}

}  // namespace rsw
