// One drive's folders in a tree view, read lazily: a node's subfolders are read
// when it is first expanded, and whether a folder has subfolders at all (its
// expand button) is only looked up when the tree draws it, by a job of its
// own when given the job runner. Serves both panel trees and the folder
// chooser.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/jobs/JobRunner.h"
#include "framework/Controls.h"
#include "framework/Handles.h"
#include "framework/Palette.h"

namespace px {

class UiTaskQueue;

class FolderTree {
 public:
  // Item data of a node: its subfolders are not read yet, or read.
  static constexpr LPARAM kUnread = 0;
  static constexpr LPARAM kRead = 1;

  FolderTree() = default;
  FolderTree(const FolderTree&) = delete;
  FolderTree& operator=(const FolderTree&) = delete;
  ~FolderTree();

  // Takes over a tree view; gives it the font it has with the system's
  // smoothing written in (see SettleFontQuality).
  void Attach(HWND tree);
  // After the system's smoothing setting changed.
  void FollowSystemSmoothing() {
    RestoreFont();
    SettleFontQuality();
    InvalidateRect(tree_.Handle(), nullptr, TRUE);
  }
  // Draws with another font (the window's scale changed): the tree keeps its
  // own copy with the smoothing written in.
  void UseFont(HFONT font) {
    RestoreFont();
    tree_.Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SettleFontQuality();
    InvalidateRect(tree_.Handle(), nullptr, TRUE);
  }
  // Background, text and lines from the palette; the tree's own defaults
  // (the system's) unless it is dark.
  void ApplyColours(const Palette& palette);
  HWND Handle() const { return tree_.Handle(); }
  // Hidden and system folders become nodes only when included; the expand
  // button counts them either way.
  void SetIncludeHidden(bool include) { includeHidden_ = include; }
  bool IncludesHidden() const { return includeHidden_; }
  // From now on folders are looked into for their expand buttons by a job of
  // the tree's own, the answers coming back through tasks: a folder of a
  // hundred thousand files, or a slow share, then never holds the window up
  // while the tree draws. Until its answer is in, a folder shows a button.
  void ProbeThrough(UiTaskQueue& tasks, JobRunner& jobs);
  // Folders asked about whose answer is not in the tree yet.
  size_t ProbesPending() const { return pending_.size(); }

  // Notifications of the tree, forwarded by its parent; all want result 0.
  void OnItemExpanding(const NMTREEVIEWW& info);
  void OnItemExpanded();
  void OnGetDisplayInfo(NMTVDISPINFOW& info);
  // Passes a WM_NOTIFY of this tree to the handler above that takes it;
  // false for every other notification.
  bool HandleNotify(NMHDR* header);

  void Clear();
  // Shows and selects folder: rebuilds the root when the drive differs, then
  // expands the nodes whose texts match the folder's names exactly, stopping
  // at the first name not found.
  void SyncToPath(const std::string& folder, bool suspendRedraw);

  // The folder of a node, ending with a backslash ("C:\Data\"); empty for none.
  std::string PathOf(HTREEITEM item) const;
  std::string SelectedPath() const;

  // Folders read as nodes were filled, and folders looked into for an expand
  // button, since the tree was attached (for measurements).
  size_t FoldersRead() const { return reads_; }
  size_t FoldersProbed() const { return probes_; }

 private:
  // A node's children as filled, in the tree's order.
  struct Child {
    std::string sortKey;  // the name folded, compared byte by byte
    std::wstring name;
    HTREEITEM item = nullptr;
  };

  std::wstring WidePathOf(HTREEITEM item) const;
  LPARAM ItemData(HTREEITEM item) const;
  HTREEITEM InsertItem(HTREEITEM parent, const wchar_t* text);
  // Reads the node's subfolders into it; gives how many.
  size_t Fill(HTREEITEM item);
  void HideWhileExpanding();
  // True when items were deleted by others; what was kept of them is dropped.
  bool ForgetIfItemsDeleted();
  void StopDrawing();
  void DrawAgain();
  void Expand(HTREEITEM item);
  HTREEITEM FindChild(HTREEITEM parent, const std::wstring& text);
  void SettleFontQuality();
  void RestoreFont();
  struct Prober;  // shared with the probing thread
  void RequestProbe(HTREEITEM item);
  void ApplyProbes();
  void StopProbing();
  // Answers still to come are for items of an earlier filling.
  void ForgetProbes();

  TreeView tree_;
  bool includeHidden_ = false;
  size_t reads_ = 0;
  size_t probes_ = 0;
  // Looking a name up here instead of walking the siblings keeps a walk into a
  // folder of thousands cheap. Valid while the tree holds exactly the items
  // inserted here; anyone else deleting items makes it fall back to the walk.
  std::unordered_map<HTREEITEM, std::vector<Child>> children_;
  size_t itemCount_ = 0;
  // The tree's font before SettleFontQuality, and the one given in its place.
  HFONT originalFont_ = nullptr;
  Font settledFont_;
  std::shared_ptr<Prober> prober_;
  std::unordered_set<HTREEITEM> pending_;  // asked, answer not applied yet
  uint64_t generation_ = 0;  // raised whenever the items asked about may be gone
  bool hiddenForExpansion_ = false;
};

}  // namespace px
