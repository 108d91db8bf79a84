#include "panels/VolumeLabelDialog.h"


#include "core/language/TextFormat.h"
#include "framework/Controls.h"
#include "framework/MessageBoxes.h"
#include "framework/Wide.h"
#include "panels/Drives.h"
#include "res/resource.h"

namespace px {

namespace {

bool WriteVolumeLabel(const std::string& driveRoot, const std::string& label) {
  QuietDriveErrors quiet;
  // An empty name removes the label; a null name would do the same on Windows
  // but crashes Wine.
  return SetVolumeLabelW(Widen(driveRoot).c_str(), Widen(label).c_str()) != FALSE;
}

}  // namespace

std::optional<std::string> ReadVolumeLabel(const std::string& driveRoot) {
  QuietDriveErrors quiet;
  // Room for any label: a longer NTFS label read into a 12-character buffer
  // would fail, show as empty, and OK would then erase it.
  wchar_t label[MAX_PATH + 1] = {};
  if (!GetVolumeInformationW(Widen(driveRoot).c_str(), label, MAX_PATH + 1, nullptr, nullptr,
                             nullptr, nullptr, 0))
    return std::nullopt;
  return Narrow(label);
}

VolumeLabelDialog::VolumeLabelDialog(const LanguageTable& languageTexts)
    : Dialog(IDD_VOLUME_LABEL), texts(languageTexts) {}

bool VolumeLabelDialog::RouteMessage(Message&, LRESULT&) { return false; }

BOOL VolumeLabelDialog::OnInitDialog() {
  Window(Item(IDOK)).SetText(texts.Text(12, 2));
  Window(Item(IDCANCEL)).SetText(texts.Text(12, 3));
  Window(Item(IDC_VOLUME_LABEL_PROMPT)).SetText(FormatText(texts.Text(12, 1), {driveRoot}));

  Window edit(Item(IDC_VOLUME_LABEL_EDIT));
  edit.Send(EM_SETLIMITTEXT, kVolumeLabelLimit);
  edit.SetText(ReadVolumeLabel(driveRoot).value_or(std::string()));
  edit.Send(EM_SETSEL, 0, -1);
  edit.Send(EM_SCROLLCARET);
  CenterOver(Handle(), list);
  return TRUE;
}

void VolumeLabelDialog::OnOK() {
  const std::optional<std::string> oldLabel = ReadVolumeLabel(driveRoot);
  const std::string label = Window(Item(IDC_VOLUME_LABEL_EDIT)).Text();

  // A leading blank is never handed to the system.
  bool accepted = !(label.size() > 0 && label[0] == ' ') && WriteVolumeLabel(driveRoot, label);
  if (accepted) {
    EndDialog(IDOK);
    return;
  }
  // A refused label normally leaves the volume as it was; the old label is
  // written back only when the volume shows something else now, so that a
  // label that could not be read is never overwritten by an empty one.
  if (oldLabel) {
    std::optional<std::string> now = ReadVolumeLabel(driveRoot);
    if (now && *now != *oldLabel) WriteVolumeLabel(driveRoot, *oldLabel);
  }
  ShowMessage(Handle(), texts.Text(10, 4), ownerCaption, MB_OK | MB_ICONEXCLAMATION);
  // Back to the edit with its text selected, ready for another try.
  SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_VOLUME_LABEL_EDIT)),
               TRUE);
}

}  // namespace px
