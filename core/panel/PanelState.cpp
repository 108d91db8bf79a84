// A side's panel states (see the header).
#include "core/panel/PanelState.h"

#include <utility>

namespace px {

size_t SideStates::Open(PanelState state) {
  states_.insert(states_.begin() + static_cast<std::ptrdiff_t>(current_ + 1), std::move(state));
  return ++current_;
}

bool SideStates::Close(size_t index) {
  if (states_.size() <= 1 || index >= states_.size()) return false;
  states_.erase(states_.begin() + static_cast<std::ptrdiff_t>(index));
  if (current_ > index || current_ >= states_.size()) --current_;
  return true;
}

bool SideStates::Select(size_t index) {
  if (index >= states_.size()) return false;
  current_ = index;
  return true;
}

}  // namespace px
