#include "panels/VolumeLabelDialog.h"


#include "core/language/TextFormat.h"
#include "framework/Controls.h"
#include "framework/MessageBoxes.h"
#include "framework/Wide.h"
#include "framework/Drives.h"
#include "res/resource.h"

namespace px {

VolumeLabelDialog::VolumeLabelDialog(const LanguageTable& languageTexts)
    : Dialog(IDD_VOLUME_LABEL), texts(languageTexts) {}

bool VolumeLabelDialog::RouteMessage(Message&, LRESULT&) { return false; }

BOOL VolumeLabelDialog::OnInitDialog() {
  Window(Item(IDOK)).SetText(texts.Text(text::kVolumeLabelOk));
  Window(Item(IDCANCEL)).SetText(texts.Text(text::kVolumeLabelCancel));
  Window(Item(IDC_VOLUME_LABEL_PROMPT)).SetText(FormatText(texts.Text(text::kVolumeLabelPrompt), {driveRoot}));

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
    if (now && *now != *oldLabel) {
      // A failed write-back leaves nothing more to try; the message says the
      // label was not changed either way.
      [[maybe_unused]] bool restored = WriteVolumeLabel(driveRoot, *oldLabel);
    }
  }
  ShowMessage(Handle(), texts.Text(text::kVolumeLabelNotChanged), ownerCaption, MB_OK | MB_ICONEXCLAMATION);
  // Back to the edit with its text selected, ready for another try.
  SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_VOLUME_LABEL_EDIT)),
               TRUE);
}

}  // namespace px
