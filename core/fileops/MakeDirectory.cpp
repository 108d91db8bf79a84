#include "core/fileops/MakeDirectory.h"

#include "core/panel/NameRules.h"

namespace px {

NewFolderPlan PlanNewFolder(const std::string& panelPath, const std::string& typedName) {
  NewFolderPlan plan;
  if (panelPath.empty()) return plan;
  std::string name = typedName;
  if (!name.empty() && name.back() == '\\') name.pop_back();
  size_t start = 0;
  while (true) {
    size_t slash = name.find('\\', start);
    size_t length = slash == std::string::npos ? std::string::npos : slash - start;
    std::string part = name.substr(start, length);
    if (!IsAcceptableNewName(part)) return NewFolderPlan{};
    plan.parts.push_back(std::move(part));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  plan.path = panelPath;
  if (plan.path.back() != '\\') plan.path += '\\';
  for (size_t i = 0; i < plan.parts.size(); ++i) {
    if (i > 0) plan.path += '\\';
    plan.path += plan.parts[i];
  }
  if (plan.parts.size() == 1) plan.cursorName = plan.parts[0];
  plan.acceptable = true;
  return plan;
}

long RowToRevealAfterCreate(long row, long rowsPerPage, long rowCount, bool reportView) {
  if (row < 0 || row >= rowCount) return -1;
  if (!reportView) return row;
  long below = rowsPerPage > 0 ? rowsPerPage / 3 : 0;
  return below >= rowCount - row ? rowCount - 1 : row + below;
}

}  // namespace px
