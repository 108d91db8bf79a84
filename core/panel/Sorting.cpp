// Row order of a panel. Names compare by their precomputed folded form, so a
// comparison is at most one memcmp and allocates nothing.
#include "core/panel/Sorting.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

namespace px {
namespace {

int KindRank(const PanelEntry& e) {
  switch (e.kind) {
    case EntryKind::kParent: return 0;
    case EntryKind::kFolder: return 1;
    case EntryKind::kFile: break;
  }
  return 2;
}

int Sign(int value) { return (value > 0) - (value < 0); }

template <typename T>
int CompareValues(T a, T b) {
  return (a > b) - (a < b);
}

int CompareNames(const PanelEntry& a, const PanelEntry& b) {
  return Sign(a.foldedName.compare(b.foldedName));
}

int CompareExtensions(const PanelEntry& a, const PanelEntry& b) {
  const std::string_view nameA = a.foldedName;
  const std::string_view nameB = b.foldedName;
  const size_t dotA = nameA.rfind('.');
  const size_t dotB = nameB.rfind('.');
  const bool hasA = dotA != std::string_view::npos;
  const bool hasB = dotB != std::string_view::npos;
  if (hasA != hasB) return hasA ? 1 : -1;
  if (hasA) {
    const int byExtension = Sign(nameA.substr(dotA + 1).compare(nameB.substr(dotB + 1)));
    if (byExtension != 0) return byExtension;
  }
  return CompareNames(a, b);
}

}  // namespace

SortState NextSortState(SortState current, int key) {
  if (key < kSortByName || key > kSortByListing) return current;  // -1: re-apply
  SortState next = current;
  if (key == current.key) next.order = current.order == 1 ? 0 : 1;
  next.key = key;
  return next;
}

int ArrowColumn(int key) { return key >= kSortByName && key <= kSortByAttributes ? key : -1; }

int CompareEntries(const EntryTable& table, uint32_t a, uint32_t b, SortState state) {
  const PanelEntry* ea = &table.entries[a];
  const PanelEntry* eb = &table.entries[b];
  const int rankA = KindRank(*ea);
  const int rankB = KindRank(*eb);
  if (rankA != rankB) return rankA < rankB ? -1 : 1;
  if (!ea->IsFile()) {
    // Folders go by name, ascending, except that by size their counted
    // sizes (0 until counted) come first, in the order asked for.
    if (state.key == kSortBySize && ea->size != eb->size)
      return state.order == 1 ? CompareValues(eb->size, ea->size) : CompareValues(ea->size, eb->size);
    return CompareNames(*ea, *eb);
  }

  if (state.order == 1) {
    std::swap(ea, eb);
    std::swap(a, b);
  }
  int result = 0;
  switch (state.key) {
    case kSortBySize: result = CompareValues(ea->size, eb->size); break;
    case kSortByDate: result = CompareValues(ea->writeTime, eb->writeTime); break;
    case kSortByAttributes: result = CompareValues(ea->attributes, eb->attributes); break;
    case kSortByExtension: return CompareExtensions(*ea, *eb);
    case kSortByListing: return CompareValues(a, b);
    default: break;
  }
  return result != 0 ? result : CompareNames(*ea, *eb);
}

namespace {

// What one row is sorted by, gathered once per sort so that most comparisons
// are decided by integers in one contiguous array instead of by following
// each row to its entry's name.
struct RowKey {
  uint64_t value;       // size, time, attributes, or for the extension key 1 when there is a dot
  uint64_t extPrefix;   // first bytes of the folded extension
  uint64_t namePrefix;  // first bytes of the folded name
  const PanelEntry* entry;
  uint32_t index;
  uint32_t extStart;    // offset of the extension in the folded name
  int rank;
};

// The first eight bytes, big-endian, zero-padded: ordering these orders the
// strings, and only equal prefixes need the full comparison.
uint64_t Prefix(std::string_view text) {
  uint64_t prefix = 0;
  for (size_t i = 0; i < 8; ++i) {
    prefix <<= 8;
    if (i < text.size()) prefix |= static_cast<unsigned char>(text[i]);
  }
  return prefix;
}

bool NameLess(const RowKey& a, const RowKey& b) {
  if (a.namePrefix != b.namePrefix) return a.namePrefix < b.namePrefix;
  return a.entry->foldedName.compare(b.entry->foldedName) < 0;
}

bool FileLess(const RowKey& a, const RowKey& b, int key) {
  switch (key) {
    case kSortBySize:
    case kSortByDate:
    case kSortByAttributes:
      if (a.value != b.value) return a.value < b.value;
      break;
    case kSortByExtension: {
      if (a.value != b.value) return a.value < b.value;
      if (a.value == 0) break;
      if (a.extPrefix != b.extPrefix) return a.extPrefix < b.extPrefix;
      const std::string_view extA = std::string_view(a.entry->foldedName).substr(a.extStart);
      const std::string_view extB = std::string_view(b.entry->foldedName).substr(b.extStart);
      const int byExtension = extA.compare(extB);
      if (byExtension != 0) return byExtension < 0;
      break;
    }
    case kSortByListing:
      return a.index < b.index;
    default:
      break;
  }
  return NameLess(a, b);
}

}  // namespace

void SortRows(EntryTable& table, SortState state) {
  // Must order exactly as CompareEntries does; the tests compare the two.
  std::vector<RowKey> keys(table.rows.size());
  for (size_t row = 0; row < keys.size(); ++row) {
    const uint32_t index = table.rows[row];
    const PanelEntry& entry = table.entries[index];
    const std::string_view folded = entry.foldedName;
    RowKey& k = keys[row];
    k.entry = &entry;
    k.index = index;
    k.rank = KindRank(entry);
    k.namePrefix = Prefix(folded);
    k.value = 0;
    k.extPrefix = 0;
    k.extStart = 0;
    switch (state.key) {
      case kSortBySize: k.value = entry.size; break;
      case kSortByDate: k.value = entry.writeTime; break;
      case kSortByAttributes: k.value = entry.attributes; break;
      case kSortByExtension: {
        const size_t dot = folded.rfind('.');
        if (dot != std::string_view::npos) {
          k.value = 1;
          k.extStart = static_cast<uint32_t>(dot + 1);
          k.extPrefix = Prefix(folded.substr(dot + 1));
        }
        break;
      }
      default: break;
    }
  }

  const int key = state.key;
  const bool descending = state.order == 1;
  // Stable, so rows the key cannot tell apart keep their place.
  std::stable_sort(keys.begin(), keys.end(), [key, descending](const RowKey& a, const RowKey& b) {
    if (a.rank != b.rank) return a.rank < b.rank;
    if (a.entry->kind != EntryKind::kFile) {
      if (key == kSortBySize && a.value != b.value) return descending ? b.value < a.value : a.value < b.value;
      return NameLess(a, b);
    }
    return descending ? FileLess(b, a, key) : FileLess(a, b, key);
  });
  for (size_t row = 0; row < keys.size(); ++row) table.rows[row] = keys[row].index;
}

}  // namespace px
