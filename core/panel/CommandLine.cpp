// Splitting the command line and keeping its history.
#include "core/panel/CommandLine.h"

#include <algorithm>

#include "core/text/CaseFold.h"

namespace px {

CommandLineParts SplitCommandLine(const std::string& text) {
  CommandLineParts parts;
  if (!text.empty() && text[0] == '"') {
    const size_t close = text.find('"', 1);
    if (close != std::string::npos && close > 1) {
      parts.program = text.substr(1, close - 1);
      parts.parameters = text.substr(close + 1);
      return parts;
    }
  } else {
    const size_t blank = text.find(' ');
    if (blank != std::string::npos && blank > 0) {
      parts.program = text.substr(0, blank);
      parts.parameters = text.substr(blank + 1);
      return parts;
    }
  }
  // No program could be cut out: the shell gets the whole line.
  parts.program = text;
  return parts;
}

std::string CommandLineNameOf(const PanelEntry& entry) {
  if (entry.name.find(' ') != std::string::npos) return '"' + entry.name + "\" ";
  return entry.name + ' ';
}

std::string TrimTrailingWhiteSpace(const std::string& text) {
  const size_t last = text.find_last_not_of(" \t\r\n");
  return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

void CommandHistory::Add(const std::string& line) {
  // An empty line would end the list when it is read back from the settings.
  if (line.empty()) return;
  lines_.erase(std::remove_if(lines_.begin(), lines_.end(),
                              [&](const std::string& l) { return EqualsNoCase(l, line); }),
               lines_.end());
  if (lines_.size() >= kHistoryCapacity) lines_.erase(lines_.begin());
  lines_.push_back(line);
}

void CommandHistory::Assign(std::vector<std::string> lines) {
  lines.erase(std::remove(lines.begin(), lines.end(), std::string()), lines.end());
  if (lines.size() > kHistoryCapacity) lines.erase(lines.begin(), lines.end() - kHistoryCapacity);
  lines_ = std::move(lines);
}

}  // namespace px
