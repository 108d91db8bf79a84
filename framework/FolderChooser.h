// Picking a folder from a tree of one drive, with a box to switch drives.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "core/language/LanguageTable.h"
#include "framework/Dialog.h"
#include "framework/Drives.h"
#include "framework/FolderTree.h"

namespace px {

class FolderChooser : public Dialog {
 public:
  // probe tells whether a drive chosen in the box is ready (see ProbeDrive).
  explicit FolderChooser(const LanguageTable& texts, DriveProbe probe = &ProbeDrive);
  // Closes the window while this object can still take the messages that
  // closing sends (the tree reports every item it deletes).

  const LanguageTable& texts;
  // Filled by the caller; the image lists stay the caller's.
  HIMAGELIST folderImages = nullptr;
  HIMAGELIST driveImages = nullptr;
  // Where the tree's expand buttons are answered from (see
  // FolderTree::ProbeThrough); without, the tree looks while it draws.
  UiTaskQueue* uiTasks = nullptr;
  JobRunner* jobs = nullptr;
  // The start folder (ending with a backslash); after OK, the chosen folder.
  std::string folder;

  // Index of the drive box item showing the tree's drive (-1 for none).
  int DriveIndex() const { return driveIndex_; }
  FolderTree& Tree() { return tree_; }

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override;

 private:
  friend struct FolderChooserRoutes;
  LRESULT OnTreeNotify(Message& message);
  LRESULT OnTreeDoubleClick(Message& message);
  LRESULT OnDriveAccepted(Message& message);
  LRESULT OnDriveCancelled(Message& message);

  DriveProbe probe_;
  FolderTree tree_;
  int driveIndex_ = -1;
};

}  // namespace px
