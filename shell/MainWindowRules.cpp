#include "shell/MainWindowRules.h"

namespace rsw {

ControlStates ControlStatesFor(const ControlInputs& in) {
  ControlStates states;
  states.backgroundChecks = in.background;
  states.criticalGroup = in.background && in.critical;
  states.regularGroup = RegularFreeUpsOn(in.background, in.regular);
  states.nextShown = states.regularGroup && in.backgroundPageShown;
  states.startupGroup = in.autoRun;
  states.iconGroup = in.showIcon;
  return states;
}

StartShow StartShowFor(bool startMinimised, int processShowCommand, bool iconShown) {
  StartShow show;
  show.command = startMinimised ? kShowMinNoActive : processShowCommand;
  if (show.command == kShowMaximized) show.command = kShowNormal;
  show.hideAfterwards = show.command == kShowMinNoActive && iconShown;
  return show;
}

}  // namespace rsw
