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

// Table 2: copy and move questions, target folder dialog
constexpr TextId kCopyOneQuestion{2, 0};
constexpr TextId kCopyManyQuestion{2, 1};
constexpr TextId kMoveOneQuestion{2, 2};
constexpr TextId kMoveManyQuestion{2, 3};
constexpr TextId kTargetOk{2, 4};
constexpr TextId kTargetCancel{2, 5};
constexpr TextId kTargetBrowse{2, 6};

// Table 4: delete question
constexpr TextId kDeleteOneQuestion{4, 0};
constexpr TextId kDeleteManyQuestion{4, 1};

// Table 6: progress dialog
constexpr TextId kProgressCaption{6, 0};
constexpr TextId kProgressDeleting{6, 1};
constexpr TextId kProgressCopying{6, 2};
constexpr TextId kProgressCopyTo{6, 3};
constexpr TextId kProgressMoving{6, 4};
constexpr TextId kProgressMoveTo{6, 5};
constexpr TextId kProgressCancel{6, 6};

// Table 7: overwrite question
constexpr TextId kOverwriteCaption{7, 0};
constexpr TextId kOverwriteTheFile{7, 1};
constexpr TextId kOverwriteWithFile{7, 2};
constexpr TextId kOverwrite{7, 3};
constexpr TextId kOverwriteAll{7, 4};
constexpr TextId kOverwriteSkip{7, 5};
constexpr TextId kOverwriteSkipAll{7, 6};
constexpr TextId kOverwriteCancel{7, 7};

// Table 8: read-only question
constexpr TextId kReadOnlyCaption{8, 0};
constexpr TextId kReadOnlyFile{8, 1};
constexpr TextId kReadOnlyDelete{8, 2};
constexpr TextId kReadOnlyOverwrite{8, 3};
constexpr TextId kReadOnlyYes{8, 4};
constexpr TextId kReadOnlyYesAll{8, 5};
constexpr TextId kReadOnlyNo{8, 6};
constexpr TextId kReadOnlyNoAll{8, 7};
constexpr TextId kReadOnlyCancel{8, 8};
// Table 3: new folder dialog
constexpr TextId kNewFolderPrompt{3, 0};
constexpr TextId kNewFolderOk{3, 1};
constexpr TextId kNewFolderCancel{3, 2};

// Table 5: attributes dialog
constexpr TextId kAttributesCaption{5, 0};
constexpr TextId kAttributesGroup{5, 1};
constexpr TextId kAttributeReadOnly{5, 2};
constexpr TextId kAttributeArchive{5, 3};
constexpr TextId kAttributeHidden{5, 4};
constexpr TextId kAttributeSystem{5, 5};
constexpr TextId kAttributesRecursive{5, 6};
constexpr TextId kAttributesTimeGroup{5, 7};
constexpr TextId kAttributesDate{5, 8};
constexpr TextId kAttributesTime{5, 9};
constexpr TextId kAttributesNow{5, 10};
constexpr TextId kAttributesOwnTime{5, 11};
constexpr TextId kAttributesOk{5, 12};
constexpr TextId kAttributesCancel{5, 13};
// Table 1: main menu (a tab separates an item's name from its shortcut)
constexpr TextId kMenuFile{1, 0};
constexpr TextId kMenuEdit{1, 1};
constexpr TextId kMenuCopy{1, 2};
constexpr TextId kMenuMove{1, 3};
constexpr TextId kMenuMakeDirectory{1, 4};
constexpr TextId kMenuDelete{1, 5};
constexpr TextId kMenuAttributes{1, 6};
constexpr TextId kMenuSelectMask{1, 7};
constexpr TextId kMenuDeselectMask{1, 8};
constexpr TextId kMenuExit{1, 9};
constexpr TextId kMenuView{1, 11};
constexpr TextId kMenuListView{1, 12};
constexpr TextId kMenuDetailsView{1, 13};
constexpr TextId kMenuFolderTree{1, 14};
constexpr TextId kMenuSortName{1, 15};
constexpr TextId kMenuSortExtension{1, 16};
constexpr TextId kMenuSortDate{1, 17};
constexpr TextId kMenuSortSize{1, 18};
constexpr TextId kMenuSortListing{1, 19};
constexpr TextId kMenuCommands{1, 21};
constexpr TextId kMenuSearch{1, 22};
constexpr TextId kMenuCommandHistory{1, 23};
constexpr TextId kMenuGoToFolder{1, 24};
constexpr TextId kMenuFolderHistory{1, 25};
constexpr TextId kMenuVolumeLabel{1, 26};
constexpr TextId kMenuDriveProperties{1, 27};
constexpr TextId kMenuParent{1, 28};
constexpr TextId kMenuBack{1, 29};
constexpr TextId kMenuForward{1, 30};
constexpr TextId kMenuFavourites{1, 33};
constexpr TextId kMenuAddFavourite{1, 34};
constexpr TextId kMenuOrganiseFavourites{1, 35};
constexpr TextId kMenuOptions{1, 36};
constexpr TextId kMenuSettings{1, 37};
constexpr TextId kMenuCustomiseToolBar{1, 38};
constexpr TextId kMenuSavePosition{1, 39};
constexpr TextId kMenuSaveSettings{1, 40};
constexpr TextId kMenuHelpTitle{1, 41};
constexpr TextId kMenuHelp{1, 42};
constexpr TextId kMenuAbout{1, 43};

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

// Table 19: settings dialog and its pages
constexpr TextId kSettingsCaption{19, 0};
constexpr TextId kSettingsViewTab{19, 1};
constexpr TextId kSettingsBehaviourTab{19, 2};
constexpr TextId kSettingsLanguageTab{19, 3};
constexpr TextId kSettingsVisibleGroup{19, 4};
constexpr TextId kSettingsShowToolBar{19, 5};
constexpr TextId kSettingsShowDrive{19, 6};
constexpr TextId kSettingsShowCurDir{19, 7};
constexpr TextId kSettingsShowComLine{19, 8};
constexpr TextId kSettingsShowFuncKey{19, 9};
constexpr TextId kSettingsListsGroup{19, 10};
constexpr TextId kSettingsFullRowSelect{19, 11};
constexpr TextId kSettingsSelectionAlways{19, 12};
constexpr TextId kSettingsFilesGroup{19, 13};
constexpr TextId kSettingsShowHiddenSystem{19, 14};
constexpr TextId kSettingsSaveGroup{19, 15};
constexpr TextId kSettingsSavePanels{19, 16};
constexpr TextId kSettingsSaveSettings{19, 17};
constexpr TextId kSettingsSavePosition{19, 18};
constexpr TextId kSettingsDeleteGroup{19, 19};
constexpr TextId kSettingsRecycle{19, 20};
constexpr TextId kSettingsOtherGroup{19, 21};
constexpr TextId kSettingsFastRename{19, 22};
constexpr TextId kSettingsSelectFolders{19, 23};
constexpr TextId kSettingsShowAllIcons{19, 24};
constexpr TextId kSettingsEditorGroup{19, 25};
constexpr TextId kSettingsBrowse{19, 26};
constexpr TextId kSettingsLanguageLabel{19, 27};
constexpr TextId kSettingsOk{19, 28};
constexpr TextId kSettingsCancel{19, 29};
// Table 17: favourites
constexpr TextId kFavouriteAddCaption{17, 0};
constexpr TextId kFavouriteChangeCaption{17, 1};
constexpr TextId kFavouriteNameLabel{17, 2};
constexpr TextId kFavouritePathLabel{17, 3};
constexpr TextId kFavouritesCaption{17, 4};
constexpr TextId kFavouritesAdd{17, 5};
constexpr TextId kFavouritesRemove{17, 6};
constexpr TextId kFavouritesChange{17, 7};
constexpr TextId kFavouritesUp{17, 8};
constexpr TextId kFavouritesDown{17, 9};
constexpr TextId kFavouritesOk{17, 10};
constexpr TextId kFavouritesCancel{17, 11};

// Table 18: toolbar customisation; 18.(v + 8) names button v, 18.8 the separator
constexpr TextId kToolBarCaption{18, 0};
constexpr TextId kToolBarAdd{18, 2};
constexpr TextId kToolBarRemove{18, 3};
constexpr TextId kToolBarUp{18, 4};
constexpr TextId kToolBarDown{18, 5};
constexpr TextId kToolBarOk{18, 6};
constexpr TextId kToolBarCancel{18, 7};
constexpr TextId kToolBarSeparator{18, 8};
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

// Table 21: keyboard reference and about box
constexpr TextId kKeyboardReferenceCaption{21, 0};
constexpr TextId kAboutCaption{21, 1};
constexpr TextId kHelpOk{21, 2};
// Table 22: drive properties
constexpr TextId kDriveInfoCaption{22, 0};
constexpr TextId kDriveInfoLabel{22, 1};
constexpr TextId kDriveInfoFileSystem{22, 2};
constexpr TextId kDriveInfoUsed{22, 3};
constexpr TextId kDriveInfoFree{22, 4};
constexpr TextId kDriveInfoCapacity{22, 5};
constexpr TextId kDriveInfoShare{22, 6};
constexpr TextId kDriveInfoOk{22, 7};

// Table 23: select and deselect by mask
constexpr TextId kSelectMaskCaption{23, 0};
constexpr TextId kDeselectMaskCaption{23, 1};
constexpr TextId kSelectMaskPrompt{23, 2};
constexpr TextId kDeselectMaskPrompt{23, 3};
constexpr TextId kMaskOk{23, 4};
constexpr TextId kMaskCancel{23, 5};

// Added texts, after the last table
constexpr TextId kAttributesNotChanged{24, 0};
constexpr TextId kCopyIntoItself{24, 1};
constexpr TextId kMoveIntoItself{24, 2};
constexpr TextId kWildcardTarget{24, 3};
constexpr TextId kNameNotAddressable{24, 4};
constexpr TextId kFolderChanged{24, 5};
constexpr TextId kListingIncomplete{24, 6};
constexpr TextId kSearchNotFullyRead{24, 7};  // folders not read (fully)
constexpr TextId kProgressAttributes{24, 8};
constexpr TextId kJobsStillRunning{24, 9};  // number of jobs
constexpr TextId kListingUnreadable{24, 10};
constexpr TextId kListingMissing{24, 11};
constexpr TextId kFavouritesNotSaved{24, 12};  // the settings file's path
constexpr TextId kToolBarNotSaved{24, 13};     // the layout file's path
constexpr TextId kListingReading{24, 14};
constexpr TextId kBackground{24, 15};
constexpr TextId kSkipAndCollect{24, 16};
constexpr TextId kJobListCaption{24, 17};
constexpr TextId kJobColumnKind{24, 18};
constexpr TextId kJobColumnWhat{24, 19};
constexpr TextId kJobColumnState{24, 20};
constexpr TextId kJobColumnDone{24, 21};
constexpr TextId kJobColumnSpeed{24, 22};
constexpr TextId kJobColumnLeft{24, 23};
constexpr TextId kJobQueued{24, 24};
constexpr TextId kJobRunning{24, 25};
constexpr TextId kJobPaused{24, 26};
constexpr TextId kJobWaiting{24, 27};
constexpr TextId kJobDone{24, 28};
constexpr TextId kJobFailed{24, 29};
constexpr TextId kJobCancelled{24, 30};
constexpr TextId kJobKindCopy{24, 31};
constexpr TextId kJobKindMove{24, 32};
constexpr TextId kJobKindDelete{24, 33};
constexpr TextId kJobPause{24, 34};
constexpr TextId kJobResume{24, 35};
constexpr TextId kJobCancel{24, 36};
constexpr TextId kJobStartNow{24, 37};
constexpr TextId kJobUp{24, 38};
constexpr TextId kJobDown{24, 39};
constexpr TextId kJobRemove{24, 40};
constexpr TextId kJobClear{24, 41};
constexpr TextId kJobAnswer{24, 42};
constexpr TextId kJobReport{24, 43};
constexpr TextId kJobDoneFigures{24, 44};
constexpr TextId kReportCaption{24, 45};
constexpr TextId kReportSave{24, 46};
constexpr TextId kReportNone{24, 47};
constexpr TextId kProblemExists{24, 48};
constexpr TextId kProblemReadOnly{24, 49};
constexpr TextId kProblemNotDeleted{24, 50};
constexpr TextId kProblemNotCopied{24, 51};
constexpr TextId kProblemNotMoved{24, 52};
constexpr TextId kErrorNotFound{24, 53};
constexpr TextId kErrorAccessDenied{24, 54};
constexpr TextId kErrorInUse{24, 55};
constexpr TextId kErrorDiskFull{24, 56};
constexpr TextId kErrorInvalidName{24, 57};
constexpr TextId kErrorExists{24, 58};
constexpr TextId kErrorIo{24, 59};
constexpr TextId kErrorVerify{24, 60};
constexpr TextId kErrorReplaced{24, 61};
constexpr TextId kCloseWithJobs{24, 62};
constexpr TextId kOptionQueueSameDrive{24, 63};
constexpr TextId kOptionVerify{24, 64};
constexpr TextId kMenuJobs{24, 65};
constexpr TextId kReportNotSaved{24, 66};
// The file viewer
constexpr TextId kMenuViewFile{24, 67};
constexpr TextId kViewerMenuFile{24, 68};
constexpr TextId kViewerReload{24, 69};
constexpr TextId kViewerNextFile{24, 70};
constexpr TextId kViewerPreviousFile{24, 71};
constexpr TextId kViewerCopy{24, 72};
constexpr TextId kViewerSelectAll{24, 73};
constexpr TextId kViewerClose{24, 74};
constexpr TextId kViewerMenuView{24, 75};
constexpr TextId kViewerHex{24, 76};
constexpr TextId kViewerWrap{24, 77};
constexpr TextId kViewerFollow{24, 78};
constexpr TextId kViewerActualSize{24, 79};
constexpr TextId kViewerMenuEncoding{24, 80};
constexpr TextId kViewerAnsi{24, 81};
constexpr TextId kViewerOem{24, 82};
constexpr TextId kViewerMenuSearch{24, 83};
constexpr TextId kViewerFind{24, 84};
constexpr TextId kViewerFindNext{24, 85};
constexpr TextId kViewerFindPrevious{24, 86};
constexpr TextId kViewerGoTo{24, 87};
constexpr TextId kViewerFindCaption{24, 88};
constexpr TextId kViewerFindWhat{24, 89};
constexpr TextId kViewerFindHex{24, 90};
constexpr TextId kViewerFindIgnoreCase{24, 91};
constexpr TextId kViewerFindBackward{24, 92};
constexpr TextId kViewerGoToCaption{24, 93};
constexpr TextId kViewerGoToLine{24, 94};
constexpr TextId kViewerGoToOffset{24, 95};
constexpr TextId kViewerPosition{24, 96};
constexpr TextId kViewerSearching{24, 97};
constexpr TextId kViewerNotFound{24, 98};
constexpr TextId kViewerStopped{24, 99};
constexpr TextId kViewerCannotOpen{24, 100};
constexpr TextId kViewerReadFailed{24, 101};
constexpr TextId kViewerShrank{24, 102};
constexpr TextId kViewerEmpty{24, 103};
constexpr TextId kViewerNoPicture{24, 104};
constexpr TextId kViewerCopyCut{24, 105};
constexpr TextId kViewerBadHex{24, 106};
constexpr TextId kViewerPastLastLine{24, 107};
constexpr TextId kViewerPicture{24, 108};
constexpr TextId kViewerReadingPicture{24, 109};
constexpr TextId kViewerBadNumber{24, 110};
constexpr TextId kViewerNoMoreFiles{24, 111};
constexpr TextId kViewerFollowing{24, 112};
constexpr TextId kViewerSeeking{24, 113};
// The selection line
constexpr TextId kSelectionLine{24, 114};
constexpr TextId kSettingsShowSelectionLine{24, 115};
// Comparing folders
constexpr TextId kMenuCompare{24, 116};
constexpr TextId kCompareDiffer{24, 117};
constexpr TextId kCompareEqual{24, 118};
// Quick search and quick filter
constexpr TextId kQuickSearchLabel{24, 119};
constexpr TextId kQuickFilterLabel{24, 120};
constexpr TextId kFilterNote{24, 121};
constexpr TextId kSettingsQuickSearchLetters{24, 122};
constexpr TextId kSettingsQuickSearchContains{24, 123};
constexpr TextId kMenuQuickFilter{24, 124};
// Counting folder sizes
constexpr TextId kMenuCountSizes{24, 125};
constexpr TextId kCountUnreadable{24, 126};
constexpr TextId kCountingNote{24, 127};
// The options of comparing folders
constexpr TextId kCompareTitle{24, 128};
constexpr TextId kCompareBySize{24, 129};
constexpr TextId kCompareByContent{24, 130};
constexpr TextId kCompareSubfolders{24, 131};
constexpr TextId kCompareProgress{24, 132};
constexpr TextId kCompareStopped{24, 133};
constexpr TextId kCompareUnreadable{24, 134};
constexpr TextId kCompareTreesDiffer{24, 135};
// Tabs and folders that follow the disk
constexpr TextId kMenuNewTab{24, 136};
constexpr TextId kMenuCloseTab{24, 137};
constexpr TextId kSettingsAlwaysShowTabs{24, 138};
constexpr TextId kFolderGone{24, 139};
// Colours and the permanent delete
constexpr TextId kSettingsColours{24, 140};
constexpr TextId kColoursFollowSystem{24, 141};
constexpr TextId kColoursLight{24, 142};
constexpr TextId kColoursDark{24, 143};
constexpr TextId kPermanentDeleteTitle{24, 144};
constexpr TextId kPermanentDeleteOne{24, 145};
constexpr TextId kPermanentDeleteMany{24, 146};
constexpr TextId kErrorNoRecycleBin{24, 147};

}  // namespace text
}  // namespace px
