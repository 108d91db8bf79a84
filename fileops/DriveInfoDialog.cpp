#include "fileops/DriveInfoDialog.h"

#include <commctrl.h>

#include <utility>

#include "core/fileops/DriveFigures.h"
#include "framework/Controls.h"
#include "framework/Dpi.h"
#include "framework/FileSystemApi.h"
#include "framework/MessageBoxes.h"
#include "res/resource.h"

namespace px {

namespace {

constexpr int kDriveIconSize = 32;
constexpr int kDriveImageCount = 5;

}  // namespace

DriveInfoDialog::DriveInfoDialog(const LanguageTable& languageTexts, std::string root)
    : Dialog(IDD_DRIVE_INFO), texts(languageTexts), rootPath(std::move(root)) {}

bool DriveInfoDialog::RouteMessage(Message&, LRESULT&) { return false; }

BOOL DriveInfoDialog::OnInitDialog() {
  auto setText = [this](int id, const std::string& value) { Window(Item(id)).SetText(value); };
  Window(Handle()).SetText(DriveInfoCaption(texts.Text(text::kDriveInfoCaption), rootPath));
  setText(IDC_DRIVE_LABEL_TITLE, texts.Text(text::kDriveInfoLabel));
  setText(IDC_DRIVE_FILE_SYSTEM_TITLE, texts.Text(text::kDriveInfoFileSystem));
  setText(IDC_DRIVE_USED_TITLE, texts.Text(text::kDriveInfoUsed));
  setText(IDC_DRIVE_FREE_TITLE, texts.Text(text::kDriveInfoFree));
  setText(IDC_DRIVE_TOTAL_TITLE, texts.Text(text::kDriveInfoCapacity));
  setText(IDOK, texts.Text(text::kDriveInfoOk));

  ShowDriveIcon();

  // A drive without a medium answers neither query: its lines stay empty.
  const VolumeInfo volume = ReadVolumeInfo(rootPath).value_or(VolumeInfo{});
  setText(IDC_DRIVE_LABEL, volume.label);
  setText(IDC_DRIVE_FILE_SYSTEM, volume.fileSystem);

  const DriveFigures figures =
      ComputeDriveFigures(ReadDriveSpace(rootPath), texts.Text(text::kDriveInfoShare));
  setText(IDC_DRIVE_USED, figures.usedBytes);
  setText(IDC_DRIVE_FREE, figures.freeBytes);
  setText(IDC_DRIVE_TOTAL, figures.totalBytes);
  setText(IDC_DRIVE_USED_GB, figures.usedGigabytes);
  setText(IDC_DRIVE_FREE_GB, figures.freeGigabytes);
  setText(IDC_DRIVE_TOTAL_GB, figures.totalGigabytes);
  setText(IDC_DRIVE_SHARE, figures.usedShare);
  Window bar(Item(IDC_DRIVE_BAR));
  bar.Send(PBM_SETRANGE32, 0, kShareBarRange);
  bar.Send(PBM_SETPOS, static_cast<WPARAM>(figures.barPosition));

  CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));
  return TRUE;
}

void DriveInfoDialog::ShowDriveIcon() {
  const int index = DriveIconIndex(DriveTypeOf(rootPath));
  if (index < 0) return;
  HINSTANCE module = GetModuleHandleW(nullptr);
  // The strip at the dialog's scale (drawn at 100 %).
  const int size = Scaled(kDriveIconSize, WindowDpi(Handle()));
  const int width = size == kDriveIconSize ? 0 : size * kDriveImageCount;
  const int height = size == kDriveIconSize ? 0 : size;
  Bitmap colour(static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(IDB_DRIVES_LARGE),
                                                IMAGE_BITMAP, width, height, LR_CREATEDIBSECTION)));
  Bitmap mask(static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(IDB_DRIVES_LARGE_MASK),
                                              IMAGE_BITMAP, width, height, LR_MONOCHROME)));
  if (!colour || !mask) return;
  images_.Reset(ImageList_Create(size, size, ILC_COLOR16 | ILC_MASK, kDriveImageCount, 0));
  if (!images_ || ImageList_Add(images_.Get(), colour.Get(), mask.Get()) < 0) return;
  icon_.Reset(ImageList_GetIcon(images_.Get(), index, ILD_NORMAL));
  if (icon_) Window(Item(IDC_DRIVE_ICON)).Send(STM_SETICON, reinterpret_cast<WPARAM>(icon_.Get()));
}

}  // namespace px
