#include "framework/Controls.h"

#include <vector>

#include "framework/Wide.h"

namespace px {

std::string Window::Text() const {
  int length = GetWindowTextLengthW(hwnd_);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = GetWindowTextW(hwnd_, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return Narrow(text);
}

void Window::SetText(std::string_view utf8) const {
  SetWindowTextW(hwnd_, Widen(utf8).c_str());
}

RECT Window::RectInParent() const {
  RECT rect{};
  GetWindowRect(hwnd_, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void ListView::InsertColumn(int index, std::string_view title, int format, int width) const {
  std::wstring text = Widen(title);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.fmt = format;
  column.cx = width;
  column.pszText = text.data();
  column.iSubItem = index;
  Send(LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void ListView::SetColumnTitle(int index, std::string_view title) const {
  std::wstring text = Widen(title);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT;
  column.pszText = text.data();
  Send(LVM_SETCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void ListView::SetItemState(int item, UINT state, UINT mask) const {
  LVITEMW lvItem{};
  lvItem.state = state;
  lvItem.stateMask = mask;
  Send(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvItem));
}

std::string ListView::ItemText(int item, int column) const {
  std::vector<wchar_t> buffer(1024);
  LVITEMW lvItem{};
  lvItem.iSubItem = column;
  lvItem.pszText = buffer.data();
  lvItem.cchTextMax = static_cast<int>(buffer.size());
  LRESULT length = Send(LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lvItem));
  return Narrow(std::wstring_view(buffer.data(), static_cast<size_t>(length)));
}

int ComboBoxEx::AddItem(std::string_view text, int image) const {
  std::wstring wide = Widen(text);
  COMBOBOXEXITEMW item{};
  item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
  item.iItem = -1;
  item.pszText = wide.data();
  item.iImage = image;
  item.iSelectedImage = image;
  return static_cast<int>(Send(CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

std::string ComboBoxEx::ItemText(int index) const {
  wchar_t buffer[MAX_PATH] = {};
  COMBOBOXEXITEMW item{};
  item.mask = CBEIF_TEXT;
  item.iItem = index;
  item.pszText = buffer;
  item.cchTextMax = MAX_PATH;
  if (!Send(CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return {};
  return Narrow(buffer);
}

std::wstring TreeView::WideItemText(HTREEITEM item) const {
  // Enough for any folder name (at most 255 UTF-16 units) and a drive root.
  constexpr int kCapacity = 512;
  wchar_t buffer[kCapacity] = {};
  TVITEMW tvItem{};
  tvItem.mask = TVIF_TEXT;
  tvItem.hItem = item;
  tvItem.pszText = buffer;
  tvItem.cchTextMax = kCapacity;
  if (!Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvItem))) return {};
  // The tree may answer with its own buffer instead of ours.
  return tvItem.pszText != nullptr ? std::wstring(tvItem.pszText) : std::wstring();
}

std::string TreeView::ItemText(HTREEITEM item) const { return Narrow(WideItemText(item)); }

HTREEITEM TreeView::ChildWithText(HTREEITEM parent, std::wstring_view text) const {
  for (HTREEITEM child = Next(parent, TVGN_CHILD); child != nullptr; child = Next(child, TVGN_NEXT))
    if (WideItemText(child) == text) return child;
  return nullptr;
}

std::string ListBox::ItemText(int index) const {
  LRESULT length = Send(LB_GETTEXTLEN, index);
  if (length == LB_ERR) return std::string();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = Send(LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
  return Narrow(text);
}

void TabControl::InsertTab(int index, const std::string& text) const {
  std::wstring title = Widen(text);
  TCITEMW item{};
  item.mask = TCIF_TEXT | TCIF_PARAM;
  item.pszText = title.data();
  item.lParam = index;
  Send(TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
}

RECT TabControl::PageArea(HWND parent) const {
  RECT area;
  GetClientRect(Handle(), &area);
  MapWindowPoints(Handle(), parent, reinterpret_cast<POINT*>(&area), 2);
  area.top += 24;
  area.left += 3;
  area.right -= 5;
  area.bottom -= 5;
  return area;
}

void HeaderControl::SetSortImage(int index, int image) const {
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  if (!Send(HDM_GETITEMW, index, reinterpret_cast<LPARAM>(&item))) return;
  if (image < 0) {
    item.fmt &= ~(HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
  } else {
    item.mask |= HDI_IMAGE;
    item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
    item.iImage = image;
  }
  Send(HDM_SETITEMW, index, reinterpret_cast<LPARAM>(&item));
}

}  // namespace px
