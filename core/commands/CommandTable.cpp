#include "core/commands/CommandTable.h"

#include <utility>

namespace px {

bool CommandTable::Add(std::initializer_list<uint32_t> ids, Action action, Predicate enabled,
                       Predicate checked) {
  size_t index = commands_.size();
  commands_.push_back({std::move(action), std::move(enabled), std::move(checked)});
  bool allNew = true;
  for (uint32_t id : ids) {
    if (RangeOf(id) != nullptr || !byId_.emplace(id, index).second) allNew = false;
  }
  return allNew;
}

bool CommandTable::AddRange(uint32_t first, uint32_t last, RangeAction action,
                            Predicate enabled) {
  if (first > last) return false;
  for (const Range& range : ranges_)
    if (first <= range.last && range.first <= last) return false;
  for (const auto& [id, index] : byId_) {
    (void)index;
    if (id >= first && id <= last) return false;
  }
  ranges_.push_back({first, last, std::move(action), std::move(enabled)});
  return true;
}

const CommandTable::Range* CommandTable::RangeOf(uint32_t id) const {
  for (const Range& range : ranges_)
    if (id >= range.first && id <= range.last) return &range;
  return nullptr;
}

CommandTable::State CommandTable::StateOf(uint32_t id) const {
  State state;
  if (const Range* range = RangeOf(id)) {
    state.known = true;
    state.enabled = !range->enabled || range->enabled();
    return state;
  }
  auto found = byId_.find(id);
  if (found == byId_.end()) return state;
  const Command& command = commands_[found->second];
  state.known = true;
  state.enabled = !command.enabled || command.enabled();
  state.checked = command.checked && command.checked();
  return state;
}

bool CommandTable::Execute(uint32_t id) const {
  if (const Range* range = RangeOf(id)) {
    if (range->enabled && !range->enabled()) return false;
    RangeAction action = range->action;
    if (action) action(id - range->first);
    return true;
  }
  auto found = byId_.find(id);
  if (found == byId_.end()) return false;
  const Command& command = commands_[found->second];
  if (command.enabled && !command.enabled()) return false;
  // Copied: an action may change the table it runs from (a rebuilt menu).
  Action action = command.action;
  if (action) action();
  return true;
}

}  // namespace px
