// The viewer's small dialogs: what to find (text or hex bytes, ignoring case,
// backward) and where to go (a line or an offset).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "core/language/LanguageTable.h"
#include "framework/Dialog.h"
#include "viewer/ViewerWindow.h"

namespace px {

class ViewerFindDialog : public Dialog {
 public:
  explicit ViewerFindDialog(const LanguageTable& texts);
  FindRequest request;  // shown when it opens; the answer on OK

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override;

 private:
  const LanguageTable& texts_;
};

// A number as typed into the go-to dialog: decimal, or hex after 0x (or
// with a trailing h); blanks and the language's digit group blanks ignored.
std::optional<uint64_t> ParseViewerNumber(const std::string& text);

class ViewerGoToDialog : public Dialog {
 public:
  explicit ViewerGoToDialog(const LanguageTable& texts);
  bool byLine = true;
  uint64_t number = 0;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;
  void OnOK() override;

 private:
  const LanguageTable& texts_;
};

}  // namespace px
