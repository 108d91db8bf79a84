// What a folder watch reports, folded over a burst, and merged into a panel's
// entry table without listing the folder again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/fs/DirectorySource.h"
#include "core/panel/EntryTable.h"

namespace px {

enum class ChangeAction : uint8_t { kAdded, kRemoved, kModified, kRenamedOld, kRenamedNew };

// One record as the watch reports it.
struct ChangeRecord {
  ChangeAction action = ChangeAction::kModified;
  std::string name;  // UTF-8, relative to the watched folder
};

// What a burst leaves to do for one name: drop its entry, or read it again
// (whatever is found then is what the entry becomes, or it leaves).
enum class ChangeEffect : uint8_t { kGone, kReread };

struct FoldedChange {
  std::string name;  // a top-level entry's name, exactly as reported
  ChangeEffect effect = ChangeEffect::kReread;
};

// Folds a burst of records into one change per name. The last record of a
// name decides: removed and renamed-from leave it gone, added, modified and
// renamed-to read it again. Names are kept exactly as reported, so two names
// differing only in case stay two changes (the file system may hold both).
//  - A record naming a deeper path ("sub\x", or "sub/x") only changes what
//    the panel shows of the top-level entry "sub": it reads "sub" again,
//    whatever its action ("sub" may be gone; reading it again finds that).
//  - "." and ".." (also as the first step of a deeper path) name no entry
//    and are ignored.
//  - An empty name, or one starting with a separator, names nothing the
//    panel can place: the batch asks for the whole folder to be listed again.
// Beyond maxNames distinct names, or after MarkOverflow (the watch lost
// records), the batch asks for a new listing and keeps nothing more: its
// memory stays bounded however long the burst. Each record costs one hash
// lookup of its name.
class ChangeBatch {
 public:
  static constexpr size_t kMaxNames = 512;

  explicit ChangeBatch(size_t maxNames = kMaxNames) : maxNames_(maxNames) {}

  void Add(ChangeAction action, std::string_view name);
  void Add(const ChangeRecord& record) { Add(record.action, record.name); }
  // The watch's buffer overflowed or it stopped: what changed is unknown.
  void MarkOverflow();

  // True when only listing the folder again shows it as it is.
  bool ListAgain() const { return listAgain_; }
  bool Empty() const { return !listAgain_ && changes_.empty(); }
  // One per name in the order the names first came; empty once ListAgain.
  const std::vector<FoldedChange>& Changes() const { return changes_; }
  // Back to an empty batch (the limit stays).
  void Clear();

 private:
  size_t maxNames_;
  bool listAgain_ = false;
  std::vector<FoldedChange> changes_;
  std::unordered_map<std::string, size_t> index_;  // name -> its change
};

// Stats one entry of the watched folder by its name: nullopt when it is gone.
// The entry found carries the name the file system stores, which may differ
// from the name asked for (in case, on a file system that ignores it); the
// name asked for then has no entry of its own any more.
using EntryLookup = std::function<std::optional<FoundEntry>(const std::string& name)>;

struct AppliedChanges {
  // Nothing was applied: the caller lists the folder again. Said for a batch
  // that asks for it, and for one touching a name that may list alike (see
  // MayListAlike): a stat by such a name reaches either of its entries, so
  // only a listing tells them apart, and listedTwice stays as a listing made it.
  bool listAgain = false;
  size_t added = 0;
  size_t removed = 0;
  size_t updated = 0;  // entries whose kind, size, time or attributes changed

  // Whether the rows need sorting and showing again.
  bool Changed() const { return added + removed + updated != 0; }
};

// Merges a batch into a table listed from the watched folder. Names gone
// leave; names read again go through lookup (once per name, never for a name
// gone) and pass the same filter and conversion as a listing (EntryTableBuilder
// with showHiddenSystem): an entry now filtered out leaves, one found that is
// not in the table yet is added after the others. Names are matched exactly,
// never ignoring case; the parent entry stays.
// Entry indices change where entries leave (the entries after them move up);
// rows are rebuilt to match: the rows left keep their order, added entries'
// rows come last, so the caller re-sorts when Changed(). What it holds by
// entry index (list items' data) must be refreshed then too.
// Cost: one lookup per name read again, one pass over the entries and, when
// some left, one over the rows; nothing per record.
[[nodiscard]] AppliedChanges ApplyChanges(EntryTable& table, const ChangeBatch& batch,
                                          bool showHiddenSystem, const EntryLookup& lookup);

}  // namespace px
