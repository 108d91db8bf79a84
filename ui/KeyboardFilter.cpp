#include "ui/KeyboardFilter.h"

#include "core/text/CaseFold.h"
#include "framework/Wide.h"
#include "panels/PanelPair.h"
#include "res/resource.h"

namespace px {

namespace {

wchar_t LayoutCharacter(UINT virtualKey, UINT scanCode, bool ctrlAlt) {
  BYTE state[256];
  if (!GetKeyboardState(state)) return 0;
  for (int key : {VK_CONTROL, VK_LCONTROL, VK_RCONTROL, VK_MENU, VK_LMENU, VK_RMENU})
    state[key] = 0;
  if (ctrlAlt) state[VK_CONTROL] = state[VK_LCONTROL] = state[VK_MENU] = state[VK_RMENU] = 0x80;
  wchar_t text[4] = {};
  // Flag 4: the layout's dead-key state stays as it was.
  const int length = ToUnicodeEx(virtualKey, scanCode, state, text, 4, 4, GetKeyboardLayout(0));
  return length == 1 ? text[0] : 0;
}

KeyboardFilter::KeyCharacter keyCharacter = &LayoutCharacter;

bool Down(int key) { return GetKeyState(key) < 0; }

bool SameLetter(wchar_t a, wchar_t b) {
  const wchar_t one[2] = {a, 0};
  const wchar_t two[2] = {b, 0};
  return FoldName(Narrow(one)) == FoldName(Narrow(two));
}

bool Printable(wchar_t c) { return c >= L' ' && c != 0x7F; }

}  // namespace

void KeyboardFilter::SetKeyCharacterForTests(KeyCharacter character) {
  keyCharacter = character != nullptr ? character : &LayoutCharacter;
}

void KeyboardFilter::Attach(HWND commandLine) {
  commandLine_ = commandLine;
  accelerators_.Reset(
      LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS)));
}

// While a box is open, what is typed into the list goes into the box: its
// characters, Backspace, Up and Down (the previous and next match), Esc;
// any other key closes a search box and then does what it always does
// (Enter opens the entry found), and Enter closes a filter's box leaving
// the filter on.
bool KeyboardFilter::FilterBoxKey(MSG& msg, FilePanel& panel) {
  using Mode = FilePanel::BoxMode;
  const bool ctrl = Down(VK_CONTROL);
  const bool alt = Down(VK_MENU);
  const bool keyDown = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  const UINT key = static_cast<UINT>(msg.wParam);
  const UINT scan = (static_cast<UINT>(msg.lParam) >> 16) & 0xFF;

  if (panel.Box() != Mode::kClosed) {
    if (msg.message == WM_CHAR) {
      const wchar_t c = static_cast<wchar_t>(msg.wParam);
      if (Printable(c)) panel.TypeInBox(c);
      return true;  // the control characters of the keys below are theirs alone
    }
    if (!keyDown) return false;
    if (!ctrl && !alt) {
      switch (key) {
        case VK_BACK: panel.EraseInBox(); return true;
        case VK_ESCAPE:
          if (panel.Box() == Mode::kFilter) {
            panel.ClearFilter();
          } else {
            panel.CloseBox();
          }
          return true;
        case VK_UP:
        case VK_DOWN:
          if (panel.Box() == Mode::kSearch) {
            panel.StepSearch(key == VK_DOWN);
            return true;
          }
          break;
        case VK_RETURN:
          if (panel.Box() == Mode::kFilter) {
            panel.CloseBox();
            return true;
          }
          break;
        default:
          // A key that types a character: made into one here, and kept
          // from the list (whose Space would mark a row).
          if (key != VK_TAB && keyCharacter(key, scan, false) != 0) {
            TranslateMessage(&msg);
            return true;
          }
          break;
      }
    } else if (ctrl && alt) {
      // Ctrl+Alt with a character key goes on typing: what the layout types
      // with AltGr, else the key's own character.
      wchar_t c = keyCharacter(key, scan, true);
      if (c == 0 || !Printable(c)) c = keyCharacter(key, scan, false);
      if (c != 0 && Printable(c)) {
        panel.TypeInBox(c);
        return true;
      }
    }
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return false;
    panel.CloseBox();
    return false;
  }

  // Ctrl+Alt and a character key opens the search, unless the layout types
  // another character with them (AltGr): that one is the command line's.
  if (keyDown && ctrl && alt) {
    const wchar_t own = keyCharacter(key, scan, false);
    if (own == 0 || !Printable(own) || own == L' ') return false;
    const wchar_t altGr = keyCharacter(key, scan, true);
    if (altGr != 0 && Printable(altGr) && !SameLetter(altGr, own)) {
      if (context_.GetOptions().showComLine != 1) return true;
      SetFocus(commandLine_);
      PostMessageW(commandLine_, WM_CHAR, altGr, msg.lParam & 0xFFFF);
      return true;
    }
    panel.OpenBox(Mode::kSearch);
    panel.TypeInBox(own);
    return true;
  }
  // Letters alone start it too when so set, while the command line is empty.
  if (msg.message == WM_CHAR && context_.GetOptions().quickSearchLetters == 1 && !ctrl && !alt) {
    const wchar_t c = static_cast<wchar_t>(msg.wParam);
    const bool lineEmpty = context_.GetOptions().showComLine != 1 || GetWindowTextLengthW(commandLine_) == 0;
    if (lineEmpty && Printable(c) && c != L' ') {
      panel.OpenBox(Mode::kSearch);
      panel.TypeInBox(c);
      return true;
    }
  }
  return false;
}

bool KeyboardFilter::Filter(MSG& msg) {
  PanelPair& panels = panels_;
  if ((msg.message == WM_MBUTTONUP || msg.message == WM_LBUTTONDBLCLK) && panels.OnTabBarMouse(msg)) return true;
  // A click anywhere closes the search boxes (a filter stays on).
  if (msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN || msg.message == WM_MBUTTONDOWN ||
      msg.message == WM_NCLBUTTONDOWN || msg.message == WM_NCRBUTTONDOWN) {
    if (msg.hwnd == context_.owner || IsChild(context_.owner, msg.hwnd)) {
      panels.Panel(Side::kLeft).CloseBox();
      panels.Panel(Side::kRight).CloseBox();
    }
    return false;
  }
  // Every message of the loop passes here: only key messages are looked at.
  if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR && msg.message != WM_SYSKEYDOWN)
    return false;
  // The keys of other windows are theirs: no accelerator of this one fires there.
  if (msg.hwnd != context_.owner && !IsChild(context_.owner, msg.hwnd)) return false;
  HWND leftList = panels.Panel(Side::kLeft).List().Handle();
  HWND rightList = panels.Panel(Side::kRight).List().Handle();
  bool editing = panels.LabelEditOpen();
  bool aimedAtList = msg.hwnd == leftList || msg.hwnd == rightList;
  FilePanel& aimedAt = panels.Panel(msg.hwnd == leftList ? Side::kLeft : Side::kRight);
  const bool listShown = aimedAtList && !editing && !aimedAt.Tree().IsVisible();
  if (listShown && FilterBoxKey(msg, aimedAt)) return true;
  // A key for the command line or another control closes a search box.
  if (!aimedAtList && msg.message != WM_CHAR) {
    panels.Panel(Side::kLeft).CloseBox();
    panels.Panel(Side::kRight).CloseBox();
  }
  if (msg.hwnd != commandLine_ && !editing && accelerators_ &&
      TranslateAcceleratorW(context_.owner, accelerators_.Get(), &msg)) {
    return true;
  }
  // Insert marks the cursor row and moves on; so does Space while the
  // command line holds nothing (else the blank is the command line's), and
  // Space counts a folder so marked.
  if (listShown) {
    const bool plain = GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0 && GetKeyState(VK_SHIFT) >= 0;
    const bool lineEmpty = context_.GetOptions().showComLine != 1 || GetWindowTextLengthW(commandLine_) == 0;
    const bool space = lineEmpty && plain &&
                       ((msg.message == WM_KEYDOWN && msg.wParam == VK_SPACE) ||
                        (msg.message == WM_CHAR && msg.wParam == L' '));
    if ((msg.message == WM_KEYDOWN && msg.wParam == VK_INSERT && plain) || space) {
      if (msg.message == WM_KEYDOWN) aimedAt.ToggleMarkAndMoveDown(msg.wParam == VK_SPACE);
      return true;
    }
    // A blank for the command line: the list must not take it as its own
    // Space (which marks the cursor row alone).
    if (!lineEmpty && plain && msg.message == WM_KEYDOWN && msg.wParam == VK_SPACE) {
      msg.hwnd = commandLine_;
      SetFocus(commandLine_);
      return false;
    }
  }
  // The panel whose list it is sees the key before the command line does.
  if (aimedAtList && !editing && aimedAt.PreTranslateKey(msg)) {
    return true;
  }
  if (msg.message == WM_CHAR && aimedAtList && !editing &&
      context_.GetOptions().showComLine == 1) {
    msg.hwnd = commandLine_;
    SetFocus(commandLine_);
  }
  if (msg.message == WM_KEYDOWN) {
    // The rename edit takes Enter (commit) and Escape (cancel) itself.
    if (editing && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) return false;
    if (msg.wParam == VK_ESCAPE && !editing) {
      // Esc stops a count of folder sizes, else ends a filter.
      FilePanel& active = panels.Active();
      if (active.Counting()) {
        active.StopCounting();
      } else if (!active.Filter().empty()) {
        active.ClearFilter();
      }
      return true;
    }
    if ((msg.wParam == VK_UP || msg.wParam == VK_DOWN) && msg.hwnd == commandLine_) {
      panels.Active().List().Focus();
      return true;
    }
    if (msg.wParam != VK_RETURN && (GetKeyState(VK_CONTROL) & 0x8000) && aimedAtList) return true;
  }
  return false;
}

}  // namespace px
