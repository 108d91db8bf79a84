// The command line under the panels: splitting what the user typed into a
// program and its parameters, and the history of lines run.
#pragma once

#include <string>
#include <vector>

#include "core/panel/EntryTable.h"

namespace px {

struct CommandLineParts {
  std::string program;
  std::string parameters;
};

// A leading double quote encloses the program and the parameters are all that
// follows the closing quote, leading blank included. Otherwise the first blank
// ends the program and the parameters follow that blank. When no program can be
// cut out (no closing quote, "", no blank, a leading blank) the whole text is
// the program and there are no parameters.
CommandLineParts SplitCommandLine(const std::string& text);

// The text Ctrl+Enter appends for an entry: its name, in double quotes when it
// holds a blank, followed by one blank (the parent entry gives a lone blank).
std::string CommandLineNameOf(const PanelEntry& entry);

std::string TrimTrailingWhiteSpace(const std::string& text);

constexpr size_t kHistoryCapacity = 20;

// Lines run, oldest first; a line run again moves to the end in its latest
// letter case, and the oldest drops out beyond 20 lines.
class CommandHistory {
 public:
  // An empty line is ignored: in the settings it would end the list.
  void Add(const std::string& line);
  // As read from the settings: empty lines dropped, the last 20 kept.
  void Assign(std::vector<std::string> lines);
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

}  // namespace px
