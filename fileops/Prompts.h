// The questions of a copy, move or delete run, and the dialog that asks for
// the target of a copy or move. Each is filled by its caller, run modally and
// read back.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "core/fileops/Engine.h"
#include "core/language/LanguageTable.h"
#include "framework/Dialog.h"
#include "core/jobs/JobRunner.h"
#include "framework/Drives.h"

namespace px {

class UiTaskQueue;

// A question answered for this file or for all later ones: proceed, proceed
// for all, skip, skip all, or cancel.
class ChoicePrompt : public Dialog {
 public:
  PromptAnswer answer = PromptAnswer::kCancel;

 protected:
  ChoicePrompt(int templateId, const LanguageTable& texts) : Dialog(templateId), texts_(texts) {}
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override;
  void OnCancel() override;
  // The five buttons' texts, in the order of PromptAnswer.
  void SetButtonTexts(const TextId (&texts)[5]);

  const LanguageTable& texts_;

 private:
  friend struct AnswerRoutes;
  LRESULT OnAnswer(Message& message);
};

// An existing target: overwrite it, all, skip it, all, or cancel.
class OverwritePrompt : public ChoicePrompt {
 public:
  OverwritePrompt(const LanguageTable& texts, const OverwriteQuestion& question);

 protected:
  BOOL OnInitDialog() override;

 private:
  OverwriteQuestion question_;
};

// A read-only file to delete or overwrite.
class ReadOnlyPrompt : public ChoicePrompt {
 public:
  ReadOnlyPrompt(const LanguageTable& texts, ReadOnlyCase question, std::string path);

 protected:
  BOOL OnInitDialog() override;

 private:
  ReadOnlyCase question_;
  std::string path_;
};

// A file or folder that could not be deleted, copied or moved.
class FailurePrompt : public Dialog {
 public:
  FailurePrompt(const LanguageTable& texts, FailureCase question, std::string path);
  FailureAnswer answer = FailureAnswer::kStop;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  friend struct AnswerRoutes;
  LRESULT OnRetry(Message& message);
  const LanguageTable& texts_;
  FailureCase question_;
  std::string path_;
};

// Where a copy or move goes: the question, the target text, and a button
// that picks a folder from a tree.
class TargetPathDialog : public Dialog {
 public:
  TargetPathDialog(const LanguageTable& texts, DriveProbe probe);

  // Filled by the caller; target is read back after OK.
  std::string question;
  std::string target;
  HIMAGELIST folderImages = nullptr;
  HIMAGELIST driveImages = nullptr;
  UiTaskQueue* uiTasks = nullptr;  // for the folder chooser's tree
  JobRunner* jobs = nullptr;
  // Read back after OK: the run goes to the background (the Background
  // button), and its problems are skipped and listed at the end.
  bool background = false;
  bool collect = false;
  // Whether the Background button is shown.
  bool offerBackground = true;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override;

 private:
  friend struct TargetRoutes;
  LRESULT OnBrowse(Message& message);
  LRESULT OnBackground(Message& message);
  const LanguageTable& texts_;
  DriveProbe probe_;
};

}  // namespace px
