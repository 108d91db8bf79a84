// The search dialog: what to look for and where, date and size filters, and
// the results, with the walk on a worker thread and the jump to one result.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/fs/DirectorySource.h"
#include "core/search/SearchWalk.h"
#include "framework/AppContext.h"
#include "framework/Dialog.h"

namespace px {

class PanelPair;
class SearchPage;

class SearchDialog : public Dialog {
 public:
  enum Page { kNamePage = 0, kFilterPage = 1, kResultsPage = 2 };

  // Uses the context's texts, settings (the name history) and UI task queue.
  explicit SearchDialog(const AppContext& context);
  // Stops a walk still running and waits for it.
  ~SearchDialog() override;

  // Filled by the caller: the active panel's folder (ending with a backslash).
  // The start folder field shows it, and a relative start folder is taken
  // from it.
  std::string panelFolder;
  // Where the walk lists folders; the file system unless the caller gives
  // another. Used on the worker thread only.
  std::shared_ptr<DirectorySource> source;

  // After the dialog: the result chosen with the go-to button (folder ending
  // with a backslash, and the entry's name); the folder is empty when none was.
  ResultLocation result;

  // A search was started and neither stopped nor finished.
  bool Searching() const { return searching_; }
  // The worker thread of a walk exists (it may be finishing after a stop).
  bool WalkAlive() const;
  int CurrentPage() const { return page_; }
  // A control of the dialog or of one of its pages, by id.
  HWND Control(int id) const;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override;  // Enter starts or stops, as the default button does
  void OnCancel() override;

 private:
  friend struct SearchRoutes;
  friend class SearchPage;
  struct Run;

  bool RoutePageMessage(Message& message, LRESULT& result);
  LRESULT OnStartStop(Message& message);
  LRESULT OnGoTo(Message& message);
  LRESULT OnTabChange(Message& message);
  LRESULT OnTimer(Message& message);
  LRESULT OnDateSwitch(Message& message);
  LRESULT OnSizeSwitch(Message& message);
  LRESULT OnSpin(Message& message, NMUPDOWN& spin);

  void CreatePages();
  void SetPageTexts();
  void ShowPage(int page);
  void EnableDateControls();
  void EnableSizeControls();
  void FillNameList();
  SearchCriteria ReadCriteria() const;
  void StartSearch();
  void StopWalk();
  // Waits for the walk (told to stop, or ended) and forgets it.
  void EndWalk();
  void Close(INT_PTR result);
  // Takes what the walk handed on and adds some of it to the list, for a
  // short while only, so that the dialog keeps answering.
  void Pull(bool fromTimer);
  void AddSomeLines();
  void FinishSearch(SearchEnd end);
  void ShowStatus();
  void ShowButtonText();

  const AppContext& context_;
  std::array<std::unique_ptr<SearchPage>, 3> pages_;
  int page_ = kNamePage;
  bool searching_ = false;
  std::vector<std::string> names_;  // the name history, newest first

  std::shared_ptr<Run> run_;
  JobId walkId_ = 0;  // the walk's job; 0 when none was started
  std::vector<std::string> backlog_;  // handed on, not yet in the list
  size_t backlogNext_ = 0;
  bool walkEnded_ = false;
  bool stopPressed_ = false;
  SearchEnd walkEnd_ = SearchEnd::kDone;
  uint64_t filesShown_ = 0;
  uint64_t foldersShown_ = 0;
  uint64_t foldersNotRead_ = 0;  // could not be read, or only in part
  int extent_ = 0;  // the result list's horizontal extent
  // The listed lines' sort keys, in list order. The dialog places each line
  // itself: the list's own sorted insertion compares through the system's
  // collation, which made 100 000 results take seconds.
  std::vector<std::string> listedKeys_;
};

// The search command: runs the dialog over the active panel's folder and
// shows the chosen result in the active panel.
void RunSearchCommand(const AppContext& context, PanelPair& panels);

// Shows result.folder in the active panel (recorded in its history) with the
// entry result.name selected and focused; in the details view it stands a
// third of a page above the bottom, so that some entries below it show.
void ShowSearchResult(PanelPair& panels, const ResultLocation& result);

}  // namespace px
