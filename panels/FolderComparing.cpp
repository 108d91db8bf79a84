#include "panels/FolderComparing.h"

#include "core/language/TextFormat.h"
#include "core/panel/FolderCompare.h"
#include "framework/MessageBoxes.h"
#include "panels/PanelPair.h"

namespace px {

size_t CompareBothPanels(AppContext& context, PanelPair& panels) {
  FilePanel& left = panels.Panel(Side::kLeft);
  FilePanel& right = panels.Panel(Side::kRight);
  FolderCompareOptions options;
  options.timeTolerance = kFatTimeTolerance;
  const FolderComparison result = CompareFolders(left.Table(), right.Table(), options);
  left.MarkOnly(result.markLeft);
  right.MarkOnly(result.markRight);
  const size_t marked = result.markLeft.size() + result.markRight.size();
  ShowMessage(context.owner,
              marked == 0 ? context.Texts().Text(text::kCompareEqual)
                          : FormatText(context.Texts().Text(text::kCompareDiffer), {marked}),
              kProductName, MB_OK | MB_ICONINFORMATION);
  return marked;
}

}  // namespace px
