// Thin wrappers over controls: each holds only the window handle and each
// method is one message with typed arguments. They borrow the handle.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>

namespace px {

class Window {
 public:
  Window() = default;
  explicit Window(HWND hwnd) : hwnd_(hwnd) {}
  HWND Handle() const { return hwnd_; }
  explicit operator bool() const { return hwnd_ != nullptr; }

  int Id() const { return GetDlgCtrlID(hwnd_); }
  std::string Text() const;
  void SetText(std::string_view utf8) const;
  void Show(bool show) const { ShowWindow(hwnd_, show ? SW_SHOW : SW_HIDE); }
  bool IsVisible() const { return IsWindowVisible(hwnd_) != FALSE; }
  void Move(int x, int y, int width, int height, bool repaint = true) const {
    MoveWindow(hwnd_, x, y, width, height, repaint ? TRUE : FALSE);
  }
  void Focus() const { SetFocus(hwnd_); }
  // Invalidates the control with its frame and repaints it now.
  void RedrawWithFrame() const {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
  }
  LONG_PTR Style() const { return GetWindowLongPtrW(hwnd_, GWL_STYLE); }
  void SetStyle(LONG_PTR style) const { SetWindowLongPtrW(hwnd_, GWL_STYLE, style); }
  void ModifyStyle(LONG_PTR remove, LONG_PTR add) const {
    SetStyle((Style() & ~remove) | add);
  }
  void SetRedraw(bool on) const { SendMessageW(hwnd_, WM_SETREDRAW, on ? TRUE : FALSE, 0); }
  // The control's rectangle in the client coordinates of its parent.
  RECT RectInParent() const;
  LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return SendMessageW(hwnd_, msg, wParam, lParam);
  }

 protected:
  HWND hwnd_ = nullptr;
};

class ListView : public Window {
 public:
  using Window::Window;
  void SetExtendedStyle(DWORD style) const {
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, static_cast<WPARAM>(-1), style);
  }
  void SetItemCount(int count) const {
    Send(LVM_SETITEMCOUNT, count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  }
  int ItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
  void InsertColumn(int index, std::string_view title, int format, int width) const;
  void SetColumnTitle(int index, std::string_view title) const;
  int ColumnWidth(int index) const { return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, index)); }
  HWND Header() const { return reinterpret_cast<HWND>(Send(LVM_GETHEADER)); }
  void SetSmallImages(HIMAGELIST images) const {
    Send(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  }
  void SetCallbackMask(UINT mask) const { Send(LVM_SETCALLBACKMASK, mask); }
  void SetItemState(int item, UINT state, UINT mask) const;
  UINT ItemState(int item, UINT mask) const {
    return static_cast<UINT>(Send(LVM_GETITEMSTATE, item, mask));
  }
  int NextItem(int start, UINT flags) const {
    return static_cast<int>(Send(LVM_GETNEXTITEM, start, flags));
  }
  int TopIndex() const { return static_cast<int>(Send(LVM_GETTOPINDEX)); }
  int CountPerPage() const { return static_cast<int>(Send(LVM_GETCOUNTPERPAGE)); }
  void EnsureVisible(int item) const { Send(LVM_ENSUREVISIBLE, item, FALSE); }
  int SelectionMark() const { return static_cast<int>(Send(LVM_GETSELECTIONMARK)); }
  // The first selected row; -1 for none.
  int SelectedRow() const { return NextItem(-1, LVNI_SELECTED); }
  DWORD ViewStyle() const { return static_cast<DWORD>(Style() & LVS_TYPEMASK); }
  void SetViewStyle(DWORD view) const { ModifyStyle(LVS_TYPEMASK, view); }
  std::string ItemText(int item, int column) const;
};

class ComboBoxEx : public Window {
 public:
  using Window::Window;
  void SetImages(HIMAGELIST images) const {
    Send(CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  }
  int AddItem(std::string_view text, int image) const;
  int Count() const { return static_cast<int>(Send(CB_GETCOUNT)); }
  int Selection() const { return static_cast<int>(Send(CB_GETCURSEL)); }
  void Select(int index) const { Send(CB_SETCURSEL, index); }
  std::string ItemText(int index) const;
};

class TreeView : public Window {
 public:
  using Window::Window;
  void SetImages(HIMAGELIST images) const {
    Send(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
  }
  // relation is a TVGN_ value; null when there is no such item.
  HTREEITEM Next(HTREEITEM item, UINT relation) const {
    return reinterpret_cast<HTREEITEM>(
        Send(TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
  }
  // Wide for callers that build file-system paths from the texts.
  std::wstring WideItemText(HTREEITEM item) const;
  std::string ItemText(HTREEITEM item) const;
  // The first child whose text is exactly text (letter case counts).
  HTREEITEM ChildWithText(HTREEITEM parent, std::wstring_view text) const;
};

class HeaderControl : public Window {
 public:
  using Window::Window;
  void SetImages(HIMAGELIST images) const {
    Send(HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  }
  // Shows image `image` right of the text of column `index`, or no image for -1.
  void SetSortImage(int index, int image) const;
};

class ListBox : public Window {
 public:
  using Window::Window;
  // The text of row index; empty when there is no such row.
  std::string ItemText(int index) const;
};

class TabControl : public Window {
 public:
  using Window::Window;
  // Adds a tab at index showing text, its item data the index.
  void InsertTab(int index, const std::string& text) const;
  // Where its pages go, in the client coordinates of parent: its client area
  // below the tabs, inside the frame.
  RECT PageArea(HWND parent) const;
};

}  // namespace px
