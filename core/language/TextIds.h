// Names of the language texts the program shows: each is a (table, index)
// position of the language file, so a mistyped name fails to compile.
#pragma once

namespace px {

struct TextId {
  int table;
  int index;
};

namespace text {

// Table 0: main window
constexpr TextId kCopyButton{0, 0};
constexpr TextId kMoveButton{0, 1};
constexpr TextId kMakeDirectoryButton{0, 2};
constexpr TextId kDeleteButton{0, 3};
constexpr TextId kExitButton{0, 4};
constexpr TextId kNameColumn{0, 5};
constexpr TextId kSizeColumn{0, 7};
constexpr TextId kDateColumn{0, 8};
constexpr TextId kAttributesColumn{0, 9};

// Table 9: failure question
constexpr TextId kFailureCaption{9, 0};
constexpr TextId kFailureDelete{9, 1};
constexpr TextId kFailureCopy{9, 2};
constexpr TextId kFailureMove{9, 3};
constexpr TextId kFailureSkip{9, 4};
constexpr TextId kFailureRetry{9, 5};
constexpr TextId kFailureStop{9, 6};

// Table 10: file operation and volume label errors
constexpr TextId kCopyOntoItself{10, 0};
constexpr TextId kMoveOntoItself{10, 1};
constexpr TextId kFolderNotRemoved{10, 2};
constexpr TextId kFolderNotCreated{10, 3};
constexpr TextId kVolumeLabelNotChanged{10, 4};

// Table 11: empty selection, cancelled operation
constexpr TextId kNothingSelected{11, 0};
constexpr TextId kOperationCancelled{11, 1};

// Table 12: drive not ready, volume label dialog
constexpr TextId kDriveNotReady{12, 0};
constexpr TextId kVolumeLabelPrompt{12, 1};
constexpr TextId kVolumeLabelOk{12, 2};
constexpr TextId kVolumeLabelCancel{12, 3};

// Table 13: command history dialog
constexpr TextId kCommandHistoryCaption{13, 0};
constexpr TextId kCommandHistoryRun{13, 1};
constexpr TextId kCommandHistoryEdit{13, 2};
constexpr TextId kCommandHistoryCancel{13, 3};

// Table 14: folder history dialog
constexpr TextId kFolderHistoryCaption{14, 0};
constexpr TextId kFolderHistoryGoTo{14, 1};
constexpr TextId kFolderHistoryCancel{14, 2};

// Table 15: folder chooser
constexpr TextId kFolderChooserCaption{15, 0};
constexpr TextId kFolderChooserOk{15, 1};
constexpr TextId kFolderChooserCancel{15, 2};

// Table 16: search dialog
constexpr TextId kSearchCaption{16, 0};
constexpr TextId kSearchNameTab{16, 1};
constexpr TextId kSearchFilterTab{16, 2};
constexpr TextId kSearchResultsTab{16, 3};
constexpr TextId kSearchNameLabel{16, 4};
constexpr TextId kSearchFolderLabel{16, 5};
constexpr TextId kSearchSubfolders{16, 6};
constexpr TextId kSearchFoldersToo{16, 7};
constexpr TextId kSearchByDate{16, 8};
constexpr TextId kSearchBetween{16, 9};
constexpr TextId kSearchAnd{16, 10};
constexpr TextId kSearchLast{16, 11};
constexpr TextId kSearchDays{16, 12};
constexpr TextId kSearchMonths{16, 13};
constexpr TextId kSearchBySize{16, 14};
constexpr TextId kSearchAtLeast{16, 15};
constexpr TextId kSearchAtMost{16, 16};
constexpr TextId kSearchGoTo{16, 17};
constexpr TextId kSearchStatus{16, 18};  // files found, folders found
constexpr TextId kSearchStart{16, 19};
constexpr TextId kSearchStop{16, 20};
constexpr TextId kSearchClose{16, 21};
constexpr TextId kSearchFolderMissing{16, 22};

// Table 20: errors when opening a file or running a command
constexpr TextId kLaunchErrorCaption{20, 0};
constexpr TextId kLaunchNoAssociation{20, 1};
constexpr TextId kLaunchNotStarted{20, 2};
constexpr TextId kLaunchFileNotFound{20, 3};
constexpr TextId kLaunchPathNotFound{20, 4};
constexpr TextId kLaunchAccessDenied{20, 5};
constexpr TextId kLaunchNoMemory{20, 6};
constexpr TextId kLaunchCancelled{20, 7};
constexpr TextId kLaunchSharingViolation{20, 8};
constexpr TextId kLaunchBadProgram{20, 9};

// Table 23: select and deselect by mask
constexpr TextId kSelectMaskCaption{23, 0};
constexpr TextId kDeselectMaskCaption{23, 1};
constexpr TextId kSelectMaskPrompt{23, 2};
constexpr TextId kDeselectMaskPrompt{23, 3};
constexpr TextId kMaskOk{23, 4};
constexpr TextId kMaskCancel{23, 5};

}  // namespace text
}  // namespace px
