// The search walk, its result lines and its start folder.
#include "core/search/SearchWalk.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "core/fs/FileAttributes.h"
#include "core/panel/PathText.h"
#include "core/text/CaseFold.h"

namespace px {
namespace {

bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool HasDrive(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' && IsDriveLetter(path[0]);
}

bool IsUnc(const std::string& path) { return path.size() >= 2 && path[0] == '\\' && path[1] == '\\'; }

// Length of the root of an absolute path: "C:" or "\\server\share" (the
// backslash after it is not counted); 0 when there is none.
size_t RootLength(const std::string& path) {
  if (IsUnc(path)) {
    size_t end = path.find('\\', 2);
    if (end != std::string::npos) end = path.find('\\', end + 1);
    return end == std::string::npos ? path.size() : end;
  }
  return HasDrive(path) ? 2 : 0;
}

// root + "\" + the steps of each part in turn, with "." and ".." resolved.
std::string JoinSteps(const std::string& root, std::initializer_list<std::string_view> parts) {
  std::vector<std::string_view> steps;
  for (std::string_view part : parts) {
    size_t pos = 0;
    while (pos <= part.size()) {
      size_t end = part.find('\\', pos);
      if (end == std::string_view::npos) end = part.size();
      const std::string_view step = part.substr(pos, end - pos);
      if (step == "..") {
        if (!steps.empty()) steps.pop_back();
      } else if (!step.empty() && step != ".") {
        steps.push_back(step);
      }
      pos = end + 1;
    }
  }
  std::string out = root + "\\";
  for (std::string_view step : steps) {
    out += step;
    out += '\\';
  }
  return out;
}

class Walk {
 public:
  Walk(DirectorySource& source, const SearchCriteria& criteria, const std::atomic<bool>& stop,
       const SearchSink& sink, const SearchBatching& batching)
      : source_(source), test_(criteria), subfolders_(criteria.subfolders), stop_(stop),
        sink_(sink), batching_(batching), lastHandOn_(std::chrono::steady_clock::now()) {}

  SearchOutcome Run(std::string startFolder) {
    if (startFolder.empty() || startFolder.back() != '\\') startFolder += '\\';
    // Folders still to list, the next one last; a folder's subfolders go on
    // in reverse so that they are listed in the file system's order.
    std::vector<std::string> pending{std::move(startFolder)};
    bool start = true;
    while (!pending.empty() && !Stopped()) {
      const std::string folder = std::move(pending.back());
      pending.pop_back();
      const size_t firstChild = pending.size();
      const ListStatus status = source_.Enumerate(folder, [&](FoundEntry&& entry) {
        Look(folder, std::move(entry), pending);
      });
      ++outcome_.counts.foldersListed;
      // A subfolder gone since its parent was listed is just empty; only a
      // missing start folder is worth telling the user.
      if (start && status == ListStatus::kNotFound) outcome_.end = SearchEnd::kStartFolderMissing;
      if (status == ListStatus::kUnreadable || status == ListStatus::kIncomplete) {
        ++outcome_.counts.foldersNotRead;
      }
      start = false;
      std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(firstChild), pending.end());
      if (std::chrono::steady_clock::now() - lastHandOn_ >= batching_.maxDelay) HandOn();
    }
    HandOn();
    return outcome_;
  }

 private:
  bool Stopped() {
    if (outcome_.end != SearchEnd::kStopped && stop_.load(std::memory_order_relaxed))
      outcome_.end = SearchEnd::kStopped;
    return outcome_.end == SearchEnd::kStopped;
  }

  void Look(const std::string& folder, FoundEntry&& entry, std::vector<std::string>& pending) {
    // The source cannot be told to stop early; the rest of the listing is ignored.
    if (Stopped() || entry.name.empty() || IsDotEntry(entry.name)) return;
    const bool isFolder = (entry.attributes & kAttrDirectory) != 0;
    if (isFolder) {
      if (subfolders_ && (entry.attributes & kAttrReparsePoint) == 0)
        pending.push_back(folder + entry.name + '\\');
    } else {
      ++outcome_.counts.filesLookedAt;
    }
    if (!test_.Passes(entry)) return;
    ++(isFolder ? outcome_.counts.foldersFound : outcome_.counts.filesFound);
    lines_.push_back(ResultLineText(folder, entry.name, isFolder));
    if (lines_.size() >= batching_.maxLines) HandOn();
  }

  void HandOn() {
    lastHandOn_ = std::chrono::steady_clock::now();
    std::vector<std::string> lines;
    lines.swap(lines_);
    if (sink_) sink_(std::move(lines), outcome_.counts);
  }

  DirectorySource& source_;
  const EntryTest test_;
  const bool subfolders_;
  const std::atomic<bool>& stop_;
  const SearchSink& sink_;
  const SearchBatching& batching_;
  std::chrono::steady_clock::time_point lastHandOn_;
  std::vector<std::string> lines_;
  SearchOutcome outcome_;
};

}  // namespace

EntryTest::EntryTest(const SearchCriteria& criteria)
    : name_(criteria.mask), date_(criteria.date), size_(criteria.size),
      reportFolders_(criteria.reportFolders) {}

bool EntryTest::Passes(const FoundEntry& entry) const {
  const bool isFolder = (entry.attributes & kAttrDirectory) != 0;
  if (isFolder && !reportFolders_) return false;
  return PassesSize(size_, entry.size, isFolder) &&
         PassesDate(date_, FileTimeToUnixSeconds(entry.writeTime)) && name_.Matches(entry.name);
}

SearchOutcome RunSearch(DirectorySource& source, const std::string& startFolder,
                        const SearchCriteria& criteria, const std::atomic<bool>& stop,
                        const SearchSink& sink, const SearchBatching& batching) {
  return Walk(source, criteria, stop, sink, batching).Run(startFolder);
}

std::string ResultLineText(const std::string& folder, const std::string& name, bool isFolder) {
  return isFolder ? "<" + folder + name + ">" : folder + name;
}

ResultLocation ParseResultLine(const std::string& line) {
  std::string path = line;
  if (path.size() >= 2 && path.front() == '<' && path.back() == '>')
    path = path.substr(1, path.size() - 2);
  const size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return {"", path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

std::string StartFolderFieldText(const std::string& panelFolder) {
  return WithoutTrailingBackslash(panelFolder);
}

std::string ResolveStartFolder(const std::string& typed, const std::string& panelFolder) {
  std::string text = typed;
  std::replace(text.begin(), text.end(), '/', '\\');
  const size_t first = text.find_first_not_of(' ');
  text = first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(' ') - first + 1);

  const size_t panelRoot = RootLength(panelFolder);
  const std::string_view panelSteps = std::string_view(panelFolder).substr(panelRoot);
  const std::string panelRootText = panelFolder.substr(0, panelRoot);
  if (text.empty()) return JoinSteps(panelRootText, {panelSteps});

  if (IsUnc(text) || (HasDrive(text) && (text.size() == 2 || text[2] == '\\'))) {
    const size_t root = RootLength(text);
    return JoinSteps(text.substr(0, root), {std::string_view(text).substr(root)});
  }
  if (HasDrive(text)) {  // C:Sub, relative to the panel's folder if it is on that drive
    const std::string drive = text.substr(0, 2);
    const std::string_view rest = std::string_view(text).substr(2);
    if (EqualsNoCase(drive, panelRootText)) return JoinSteps(drive, {panelSteps, rest});
    return JoinSteps(drive, {rest});
  }
  if (text[0] == '\\') return JoinSteps(panelRootText, {text});
  return JoinSteps(panelRootText, {panelSteps, text});
}

}  // namespace px
