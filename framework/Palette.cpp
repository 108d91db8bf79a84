// The program's colours: the system's, or the dark table below.
#include "framework/Palette.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace px {

namespace {

constexpr wchar_t kPaletteProperty[] = L"Pannex.Palette";
constexpr DWORD kUseImmersiveDarkMode = 20;  // DWMWA_USE_IMMERSIVE_DARK_MODE

std::optional<bool> highContrastOverride;

struct ColourSource {
  int system;     // GetSysColor index
  COLORREF dark;  // ours
};

// In PaletteColour's order. The dark colours keep text at a contrast of at
// least 7:1 against its background; grey text at about 4.5:1.
constexpr ColourSource kSources[] = {
    {COLOR_WINDOW, RGB(30, 30, 30)},
    {COLOR_WINDOWTEXT, RGB(232, 232, 232)},
    {COLOR_GRAYTEXT, RGB(150, 150, 150)},
    {COLOR_HIGHLIGHT, RGB(0, 95, 170)},
    {COLOR_HIGHLIGHTTEXT, RGB(255, 255, 255)},
    {COLOR_BTNSHADOW, RGB(85, 85, 85)},
    {COLOR_MENU, RGB(43, 43, 43)},
    {COLOR_MENUTEXT, RGB(232, 232, 232)},
    {COLOR_HIGHLIGHT, RGB(0, 95, 170)},
    {COLOR_HIGHLIGHTTEXT, RGB(255, 255, 255)},
    {COLOR_BTNFACE, RGB(43, 43, 43)},
    {COLOR_BTNFACE, RGB(43, 43, 43)},
    {COLOR_BTNTEXT, RGB(232, 232, 232)},
    {COLOR_WINDOW, RGB(30, 30, 30)},
    {COLOR_WINDOWTEXT, RGB(232, 232, 232)},
    {COLOR_ACTIVECAPTION, RGB(0, 84, 153)},
    {COLOR_CAPTIONTEXT, RGB(255, 255, 255)},
    {COLOR_INACTIVECAPTION, RGB(62, 62, 62)},
    {COLOR_INACTIVECAPTIONTEXT, RGB(200, 200, 200)},
};
static_assert(std::size(kSources) == static_cast<size_t>(PaletteColour::kCount));

const ColourSource& SourceOf(PaletteColour colour) {
  return kSources[static_cast<size_t>(colour)];
}

}  // namespace

bool Palette::SystemAppsDark() {
  DWORD light = 1;
  DWORD size = sizeof(light);
  const LSTATUS status =
      RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                   L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &light, &size);
  // A missing value (older systems, Wine) means light.
  return status == ERROR_SUCCESS && light == 0;
}

bool Palette::SystemHighContrast() {
  if (highContrastOverride) return *highContrastOverride;
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof(contrast);
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

void Palette::SetHighContrastForTesting(std::optional<bool> on) { highContrastOverride = on; }

bool Palette::Update(int coloursSetting) {
  const ColourScheme scheme =
      ChooseColourScheme(coloursSetting, SystemAppsDark(), SystemHighContrast());
  if (scheme == scheme_) return false;
  scheme_ = scheme;
  for (size_t i = 0; i < brushes_.size(); ++i) {
    brushes_[i].Reset(Dark() ? CreateSolidBrush(kSources[i].dark) : nullptr);
  }
  return true;
}

COLORREF Palette::Colour(PaletteColour colour) const {
  const ColourSource& source = SourceOf(colour);
  return Dark() ? source.dark : GetSysColor(source.system);
}

HBRUSH Palette::Brush(PaletteColour colour) const {
  const size_t index = static_cast<size_t>(colour);
  if (Dark() && brushes_[index]) return brushes_[index].Get();
  return GetSysColorBrush(SourceOf(colour).system);
}

HBRUSH Palette::ControlColours(UINT message, HDC dc, HWND control) const {
  if (!Dark()) return nullptr;
  wchar_t className[32] = {};
  if (control != nullptr && GetClassNameW(control, className, 32) &&
      lstrcmpiW(className, WC_TABCONTROLW) == 0)
    return nullptr;
  PaletteColour background = PaletteColour::kDialog;
  PaletteColour text = PaletteColour::kDialogText;
  switch (message) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      background = PaletteColour::kEdit;
      text = PaletteColour::kEditText;
      break;
    default:
      return nullptr;
  }
  // A dialog's background holds no text of its own. The device context may
  // be a control's drawing over its parent's background (a themed tab
  // control asks this way, then writes its labels in the colour left in it),
  // so its text colour is left as it is.
  if (message != WM_CTLCOLORDLG) SetTextColor(dc, Colour(text));
  SetBkColor(dc, Colour(background));
  return Brush(background);
}

void Palette::ApplyTitleBar(HWND window) const {
  using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  static const SetAttribute setAttribute = [] {
    HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
    return dwm != nullptr ? reinterpret_cast<SetAttribute>(
                                reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")))
                          : nullptr;
  }();
  if (setAttribute == nullptr || window == nullptr) return;
  const BOOL dark = Dark() ? TRUE : FALSE;
  // Systems before the attribute refuse it; the title bar then stays as it is.
  setAttribute(window, kUseImmersiveDarkMode, &dark, sizeof(dark));
}

namespace {

constexpr UINT_PTR kGroupBoxSubclass = 0x6B0C;

void PaintGroupBox(HWND box, const Palette& palette) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(box, &paint);
  RECT area;
  GetClientRect(box, &area);
  const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
  std::wstring title(static_cast<size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
  title.resize(static_cast<size_t>(GetWindowTextW(box, title.data(), static_cast<int>(title.size()))));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  RECT frame = area;
  frame.top += metrics.tmHeight / 2;
  FrameRect(dc, &frame, palette.Brush(PaletteColour::kLine));
  if (!title.empty()) {
    RECT text{area.left + 8, area.top, area.right - 8, area.top + metrics.tmHeight};
    DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &text, DT_SINGLELINE | DT_CALCRECT);
    RECT behind{text.left - 2, text.top, text.right + 2, text.bottom};
    FillRect(dc, &behind, palette.Brush(PaletteColour::kDialog));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, palette.Colour(IsWindowEnabled(box) ? PaletteColour::kDialogText : PaletteColour::kGrayText));
    DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &text, DT_SINGLELINE);
  }
  SelectObject(dc, oldFont);
  EndPaint(box, &paint);
}

LRESULT CALLBACK GroupBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_PAINT) {
    const Palette* palette = Palette::Of(box);
    if (palette != nullptr && palette->Dark()) {
      PaintGroupBox(box, *palette);
      return 0;
    }
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(box, &GroupBoxProc, kGroupBoxSubclass);
  return DefSubclassProc(box, message, wParam, lParam);
}

}  // namespace

constexpr UINT_PTR kListHeaderSubclass = 0x6B0D;

// One column title: its face, the lines at its right and bottom, the title
// aligned as the column is, and the sort arrow after it.
void DrawHeaderItem(const Palette& palette, const NMCUSTOMDRAW& draw) {
  HWND header = draw.hdr.hwndFrom;
  wchar_t text[260] = {};
  HDITEMW item{};
  item.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
  item.pszText = text;
  item.cchTextMax = 260;
  if (!SendMessageW(header, HDM_GETITEMW, draw.dwItemSpec, reinterpret_cast<LPARAM>(&item))) return;
  RECT area = draw.rc;
  FillRect(draw.hdc, &area, palette.Brush(PaletteColour::kMenu));
  const RECT right{area.right - 1, area.top + 2, area.right, area.bottom - 2};
  const RECT bottom{area.left, area.bottom - 1, area.right, area.bottom};
  FillRect(draw.hdc, &right, palette.Brush(PaletteColour::kLine));
  FillRect(draw.hdc, &bottom, palette.Brush(PaletteColour::kLine));
  const int margin = 3 * GetSystemMetrics(SM_CXEDGE);
  InflateRect(&area, -margin, 0);
  HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(header, HDM_GETIMAGELIST, 0, 0));
  int imageWidth = 0, imageHeight = 0;
  const bool image = (item.fmt & HDF_IMAGE) != 0 && images != nullptr && item.iImage >= 0 &&
                     ImageList_GetIconSize(images, &imageWidth, &imageHeight);
  if (image) area.right -= imageWidth + margin;
  UINT align = DT_LEFT;
  if ((item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT) align = DT_RIGHT;
  if ((item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER) align = DT_CENTER;
  const UINT flags = align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
  SetBkMode(draw.hdc, TRANSPARENT);
  SetTextColor(draw.hdc, palette.Colour(PaletteColour::kMenuText));
  DrawTextW(draw.hdc, text, -1, &area, flags);
  if (image) {
    RECT measured = area;
    DrawTextW(draw.hdc, text, -1, &measured, flags | DT_CALCRECT);
    const int textRight = align == DT_LEFT ? std::min(measured.right, area.right) : area.right;
    ImageList_Draw(images, item.iImage, draw.hdc, textRight + margin,
                   area.top + (area.bottom - area.top - imageHeight) / 2, ILD_TRANSPARENT);
  }
}

LRESULT CALLBACK ListHeaderProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_NOTIFY && lParam != 0 && reinterpret_cast<const NMHDR*>(lParam)->code == NM_CUSTOMDRAW) {
    auto& draw = *reinterpret_cast<NMCUSTOMDRAW*>(lParam);
    const Palette* palette = Palette::Of(list);
    if (palette != nullptr && palette->Dark() &&
        draw.hdr.hwndFrom == reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0))) {
      if (draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
      if (draw.dwDrawStage == CDDS_POSTPAINT) {
        // The header's width past its last column, which it fills itself.
        HWND header = draw.hdr.hwndFrom;
        RECT rest;
        GetClientRect(header, &rest);
        const int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
        RECT last{};
        if (count > 0 &&
            SendMessageW(header, HDM_GETITEMRECT,
                         static_cast<WPARAM>(SendMessageW(header, HDM_ORDERTOINDEX, count - 1, 0)),
                         reinterpret_cast<LPARAM>(&last)))
          rest.left = last.right;
        FillRect(draw.hdc, &rest, palette->Brush(PaletteColour::kMenu));
        return CDRF_DODEFAULT;
      }
      if (draw.dwDrawStage == CDDS_ITEMPREPAINT) {
        DrawHeaderItem(*palette, draw);
        return CDRF_SKIPDEFAULT;
      }
      return CDRF_DODEFAULT;
    }
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(list, &ListHeaderProc, kListHeaderSubclass);
  return DefSubclassProc(list, message, wParam, lParam);
}

void Palette::FollowInListHeader(HWND list) {
  if (list == nullptr) return;
  SetWindowSubclass(list, &ListHeaderProc, kListHeaderSubclass, 0);
  InvalidateRect(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), nullptr, TRUE);
}

void Palette::FollowInGroupBoxes(HWND dialog) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[16] = {};
    if (!GetClassNameW(child, className, 16) || lstrcmpiW(className, L"Button") != 0) continue;
    if ((GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX) continue;
    SetWindowSubclass(child, &GroupBoxProc, kGroupBoxSubclass, 0);
  }
}

void Palette::AttachTo(HWND window) const {
  SetPropW(window, kPaletteProperty, const_cast<Palette*>(this));
}

void Palette::DetachFrom(HWND window) { RemovePropW(window, kPaletteProperty); }

const Palette* Palette::Of(HWND window) {
  if (window == nullptr) return nullptr;
  if (auto* own = static_cast<const Palette*>(GetPropW(window, kPaletteProperty))) return own;
  HWND root = GetAncestor(window, GA_ROOTOWNER);
  if (root == nullptr || root == window) return nullptr;
  return static_cast<const Palette*>(GetPropW(root, kPaletteProperty));
}

const Palette& Palette::SystemDefault() {
  static const Palette palette;
  return palette;
}

}  // namespace px
