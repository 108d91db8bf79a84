// Every command id to what it does, and how its enabled and checked states
// are found: one table feeds the accelerators, the buttons, the menus and the
// toolbar alike.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <unordered_map>
#include <vector>

namespace px {

class CommandTable {
 public:
  using Action = std::function<void()>;
  using RangeAction = std::function<void(uint32_t offset)>;  // id - first
  using Predicate = std::function<bool()>;

  struct State {
    bool known = false;
    bool enabled = false;
    bool checked = false;
  };

  // One action under several ids (toolbar, key, menu...). A state left empty
  // means always enabled, never checked. An id that already has an action
  // keeps it: false when any of ids was taken.
  bool Add(std::initializer_list<uint32_t> ids, Action action, Predicate enabled = {},
           Predicate checked = {});
  // A family of ids, first to last, whose action takes the offset of the id.
  bool AddRange(uint32_t first, uint32_t last, RangeAction action, Predicate enabled = {});

  // Runs the command's action if it has one and is enabled; false otherwise.
  bool Execute(uint32_t id) const;
  State StateOf(uint32_t id) const;
  bool Has(uint32_t id) const { return StateOf(id).known; }

 private:
  struct Command {
    Action action;
    Predicate enabled;
    Predicate checked;
  };
  struct Range {
    uint32_t first;
    uint32_t last;
    RangeAction action;
    Predicate enabled;
  };
  const Range* RangeOf(uint32_t id) const;

  std::vector<Command> commands_;
  std::unordered_map<uint32_t, size_t> byId_;
  std::vector<Range> ranges_;
};

}  // namespace px
