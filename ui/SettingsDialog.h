// The settings dialog: the options of section Options on three tabbed pages
// (view, behaviour, language), edited on a copy that OK hands back.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "core/language/LanguageTable.h"
#include "core/settings/Settings.h"
#include "framework/AppContext.h"
#include "framework/Dialog.h"

namespace px {

// One page: a child dialog laid over the tab control. It fills its controls
// from the options when it opens and writes them back on Read.
class SettingsPage : public Dialog {
 public:
  SettingsPage(int templateId, Options& options, const LanguageTable& texts)
      : Dialog(templateId), options_(options), texts_(texts) {}
  virtual void Read() = 0;

 protected:
  bool RouteMessage(Message&, LRESULT&) override { return false; }
  // Enter and Escape belong to the dialog around the page.
  void OnOK() override {}
  void OnCancel() override {}

  Options& options_;
  const LanguageTable& texts_;
};

class ViewOptionsPage : public SettingsPage {
 public:
  ViewOptionsPage(Options& options, const LanguageTable& texts);
  void Read() override;

 protected:
  BOOL OnInitDialog() override;
};

class BehaviourOptionsPage : public SettingsPage {
 public:
  BehaviourOptionsPage(Options& options, const LanguageTable& texts);
  void Read() override;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;

 private:
  friend struct BehaviourOptionsPageRoutes;
  LRESULT OnBrowse(Message& message);
};

class LanguagePage : public SettingsPage {
 public:
  LanguagePage(Options& options, const LanguageTable& texts, const std::string& startDirectory);
  void Read() override;

 protected:
  BOOL OnInitDialog() override;

 private:
  const std::string& startDirectory_;
};

class SettingsDialog : public Dialog {
 public:
  explicit SettingsDialog(const LanguageTable& texts);

  // Filled by the caller. After OK, options holds the edited values; its
  // language is the name chosen on the language page, empty when none is.
  Options options;
  std::string startDirectory;  // holds the Language folder

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override;

 private:
  friend struct SettingsDialogRoutes;
  LRESULT OnTabChanging(Message& message);
  LRESULT OnTabChanged(Message& message);
  void ShowPage(int index);

  const LanguageTable& texts_;
  ViewOptionsPage view_;
  BehaviourOptionsPage behaviour_;
  LanguagePage language_;
  std::array<SettingsPage*, 3> pages_;
  int currentPage_ = 0;
};

// The settings command: runs the dialog over a copy of the context's options
// and, on OK, hands the edited copy to apply (Cancel changes nothing).
void EditSettings(const AppContext& context, const std::function<void(const Options&)>& apply);

}  // namespace px
