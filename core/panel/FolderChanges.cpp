// Folding a watch's records and merging them into a panel's entry table.
#include "core/panel/FolderChanges.h"

#include <limits>
#include <utility>

#include "core/panel/NameRules.h"

namespace px {
namespace {

constexpr uint32_t kGone = std::numeric_limits<uint32_t>::max();

ChangeEffect EffectOf(ChangeAction action) {
  return action == ChangeAction::kRemoved || action == ChangeAction::kRenamedOld ? ChangeEffect::kGone
                                                                                 : ChangeEffect::kReread;
}

bool SameShown(const PanelEntry& a, const PanelEntry& b) {
  return a.kind == b.kind && a.size == b.size && a.writeTime == b.writeTime &&
         a.attributes == b.attributes && a.name == b.name;
}

}  // namespace

void ChangeBatch::Add(ChangeAction action, std::string_view name) {
  if (listAgain_) return;
  const size_t separator = name.find_first_of("\\/");
  if (name.empty() || separator == 0) {
    MarkOverflow();
    return;
  }
  ChangeEffect effect = EffectOf(action);
  if (separator != std::string_view::npos) {
    name = name.substr(0, separator);
    effect = ChangeEffect::kReread;
  }
  if (name == "." || name == "..") return;

  std::string key(name);
  const auto found = index_.find(key);
  if (found != index_.end()) {
    changes_[found->second].effect = effect;
    return;
  }
  if (changes_.size() >= maxNames_) {
    MarkOverflow();
    return;
  }
  index_.emplace(key, changes_.size());
  changes_.push_back({std::move(key), effect});
}

void ChangeBatch::MarkOverflow() {
  listAgain_ = true;
  // Released, not only emptied: a burst that overflowed may have been large.
  std::vector<FoldedChange>().swap(changes_);
  std::unordered_map<std::string, size_t>().swap(index_);
}

void ChangeBatch::Clear() {
  listAgain_ = false;
  changes_.clear();
  index_.clear();
}

AppliedChanges ApplyChanges(EntryTable& table, const ChangeBatch& batch, bool showHiddenSystem,
                            const EntryLookup& lookup) {
  AppliedChanges result;
  AppliedChanges listAgain;
  listAgain.listAgain = true;
  if (batch.ListAgain()) return listAgain;
  if (batch.Changes().empty()) return result;

  // Every name the batch touches, and what it stands for now: an entry of
  // `fresh`, or none. Filled before the table is touched, so a batch that
  // has to be listed again leaves the table as it was.
  struct Target {
    uint32_t fresh = kGone;
    bool placed = false;
  };
  std::unordered_map<std::string, Target> targets;
  targets.reserve(batch.Changes().size() * 2);
  // Entries read again pass through a listing's own builder; an empty path
  // gives no parent row.
  EntryTable fresh;
  EntryTableBuilder builder(fresh, std::string(), showHiddenSystem);
  for (const FoldedChange& change : batch.Changes()) {
    if (MayListAlike(change.name)) return listAgain;
    targets.emplace(change.name, Target{});
    if (change.effect != ChangeEffect::kReread) continue;
    std::optional<FoundEntry> found = lookup(change.name);
    if (found && !found->name.empty()) builder.Add(std::move(*found));
  }
  builder.Finish(ListStatus::kOk);
  for (size_t i = 0; i < fresh.entries.size(); ++i) {
    if (MayListAlike(fresh.entries[i].name)) return listAgain;
    // Another spelling found is an entry of its own; the name asked for stays gone.
    targets[fresh.entries[i].name].fresh = static_cast<uint32_t>(i);
  }

  // One pass: entries gone leave (the rest move up), entries read again take
  // their new values; newIndex maps an old index to its new one.
  const size_t count = table.entries.size();
  std::vector<uint32_t> newIndex(count, kGone);
  size_t kept = 0;
  for (size_t i = 0; i < count; ++i) {
    PanelEntry& entry = table.entries[i];
    const auto target = entry.IsParent() ? targets.end() : targets.find(entry.name);
    if (target != targets.end()) {
      if (target->second.fresh == kGone) {
        ++result.removed;
        continue;
      }
      const PanelEntry& now = fresh.entries[target->second.fresh];
      if (!SameShown(entry, now)) {
        entry = now;
        ++result.updated;
      }
      target->second.placed = true;
    }
    newIndex[i] = static_cast<uint32_t>(kept);
    if (kept != i) table.entries[kept] = std::move(entry);
    ++kept;
  }
  table.entries.resize(kept);

  if (result.removed != 0) {
    size_t row = 0;
    for (uint32_t index : table.rows) {
      if (index < count && newIndex[index] != kGone) table.rows[row++] = newIndex[index];
    }
    table.rows.resize(row);
  }

  // New entries in the order their names first came (the builder reversed them).
  for (size_t i = fresh.entries.size(); i-- > 0;) {
    Target& target = targets[fresh.entries[i].name];
    if (target.placed || target.fresh != i) continue;
    target.placed = true;
    table.rows.push_back(static_cast<uint32_t>(table.entries.size()));
    table.entries.push_back(std::move(fresh.entries[i]));
    ++result.added;
  }
  return result;
}

}  // namespace px
