// Attributes and last-write time of the selected entries: four three-state
// boxes, six date and time fields, and a box that extends the change to the
// files inside selected folders.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/fileops/AttributeEdit.h"
#include "core/language/LanguageTable.h"
#include "framework/Dialog.h"
#include "framework/FileSystemApi.h"

namespace px {

// What OK asks for; applied by ApplyAttributeRequest.
struct AttributeRequest {
  AttributeStates states{};
  bool attributesChanged = false;
  TimeDecision time;  // times are set when time.change is kApply
  bool recursive = false;
};

class AttributesDialog : public Dialog {
 public:
  explicit AttributesDialog(const LanguageTable& texts);

  const LanguageTable& texts;
  // Filled by the caller: the selected entries that still exist.
  std::vector<EntryStatus> entries;
  // After OK: what to apply. OK is given only when something changes.
  AttributeRequest request;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override;

 private:
  friend struct AttributesRoutes;
  LRESULT OnNow(Message& message);
  LRESULT OnOwnTime(Message& message);
  LRESULT OnRecursive(Message& message);

  bool Recursive() const;
  void ShowStates(const AttributeStates& states, bool threeState);
  void ShowTimeTexts(const DateFieldTexts& texts);

  AttributeStates initial_{};
  CivilTime keptTime_;
};

// An entry's last-write time as a local calendar time, by the time-zone rules
// of that date.
CivilTime LocalTimeOf(uint64_t fileTime);
// A local calendar time as a file time; nothing when it does not exist or
// lies outside the times a file keeps (see IsStorableUtcTime).
std::optional<uint64_t> FileTimeOfLocal(const CivilTime& local);

// Applies the request to one entry: its time (when asked and its composed date
// exists) and its attributes. False when anything asked could not be set.
[[nodiscard]] bool ApplyToEntry(const std::string& path, const EntryStatus& status,
                                const AttributeRequest& request);
// Applies the request to every file below folder (not to folders), never
// following a folder link; gives the number of files (and folders that could
// not be read) that failed.
// onFile, when given, hears of each file before it is changed and stops the
// walk there by returning false (a cancel).
[[nodiscard]] int ApplyToContents(const std::string& folder, const AttributeRequest& request,
                                  const std::function<bool(const std::string& path)>& onFile = {});

}  // namespace px
