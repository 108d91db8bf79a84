// Fuzzes the command line: splitting a typed line, its history, the names it is given, launch lengths.
#include <string>
#include <string_view>
#include <vector>

#include "core/panel/CommandLine.h"
#include "core/panel/LaunchLimits.h"
#include "core/panel/NameRules.h"
#include "core/text/CaseFold.h"
#include "core/text/Utf.h"
#include "tests/fuzz/FuzzSupport.h"

namespace px {
namespace {

bool IsWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void CheckSplit(const std::string& text) {
  const CommandLineParts parts = SplitCommandLine(text);
  // Program and parameters are the whole line cut at one place: inside quotes,
  // at the first blank, or not at all.
  const bool whole = parts.program == text && parts.parameters.empty();
  const bool quoted = text == '"' + parts.program + '"' + parts.parameters && !parts.program.empty() &&
                      parts.program.find('"') == std::string::npos;
  const bool atBlank = text == parts.program + ' ' + parts.parameters && !parts.program.empty() &&
                       parts.program.find(' ') == std::string::npos && text[0] != '"';
  PX_FUZZ_CHECK(whole || quoted || atBlank);

  const std::string trimmed = TrimTrailingWhiteSpace(text);
  PX_FUZZ_CHECK(text.compare(0, trimmed.size(), trimmed) == 0);
  PX_FUZZ_CHECK(trimmed.empty() || !IsWhiteSpace(trimmed.back()));
  for (size_t i = trimmed.size(); i < text.size(); ++i) PX_FUZZ_CHECK(IsWhiteSpace(text[i]));
}

// What Ctrl+Enter puts on the line splits back into the entry's name.
void CheckEntryName(const std::string& name, const std::string& parameters) {
  if (!IsAcceptableNewName(name)) return;
  PanelEntry entry;
  entry.name = name;
  const CommandLineParts parts = SplitCommandLine(CommandLineNameOf(entry) + parameters);
  PX_FUZZ_CHECK(parts.program == name);
  PX_FUZZ_CHECK(parts.parameters == parameters || parts.parameters == ' ' + parameters);
}

void CheckHistory(const std::vector<std::string>& lines) {
  CommandHistory history;
  for (const std::string& line : lines) {
    history.Add(line);
    const std::vector<std::string>& kept = history.Lines();
    PX_FUZZ_CHECK(kept.size() <= kHistoryCapacity);
    if (!line.empty()) PX_FUZZ_CHECK(kept.back() == line);
  }
  const std::vector<std::string>& kept = history.Lines();
  for (size_t i = 0; i < kept.size(); ++i) {
    PX_FUZZ_CHECK(!kept[i].empty());
    for (size_t j = i + 1; j < kept.size(); ++j) PX_FUZZ_CHECK(!EqualsNoCase(kept[i], kept[j]));
  }
  CommandHistory assigned;
  assigned.Assign(lines);
  PX_FUZZ_CHECK(assigned.Lines().size() <= kHistoryCapacity);
  for (const std::string& line : assigned.Lines()) PX_FUZZ_CHECK(!line.empty());
}

// A launch let through fits every length the shell has, in UTF-16 units.
void CheckLaunch(const std::string& program, const std::string& parameters, const std::string& folder) {
  const size_t programUnits = Utf8ToUtf16(program).size();
  const size_t folderUnits = Utf8ToUtf16(folder).size() + (folder.empty() || folder.back() != '\\');
  for (ProgramPlace place : {ProgramPlace::kAnywhere, ProgramPlace::kInFolder}) {
    if (CheckLaunchLengths(program, parameters, folder, place) != LaunchRefusal::kNone) continue;
    PX_FUZZ_CHECK(programUnits <= kMaxLaunchProgram && folderUnits <= kMaxLaunchFolder);
    PX_FUZZ_CHECK(programUnits + 3 + Utf8ToUtf16(parameters).size() <= kMaxLaunchCommandLine);
    if (place == ProgramPlace::kInFolder) PX_FUZZ_CHECK(folderUnits + programUnits <= kMaxLaunchProgram);
  }
}

}  // namespace
}  // namespace px

// First line the typed command line, then a name, parameters, a folder, then history lines.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> fields = px::fuzz::Fields(px::fuzz::AsText(data, size), 5);
  px::CheckSplit(fields[0]);
  px::CheckEntryName(fields[1], fields[2]);
  px::CheckLaunch(fields[0], fields[2], fields[3]);
  px::CheckLaunch(fields[1], fields[2], fields[3]);
  std::vector<std::string> lines = px::fuzz::Lines(fields[4], 64);
  lines.push_back(fields[0]);
  px::CheckHistory(lines);
  px::EditorParameters(fields[3]);
  return 0;
}
