// Label editing (the control's own editor or one the program hands out, captions and
// sub-items), the drag support (cursors, auto-scroll zones) and the insert mark.

#include <algorithm>

#include "platform/comctl/Header.h"
#include "platform/kernel/Modules.h"
#include "platform/user/Caret.h"
#include "program/controls/FSListView.h"
#include "program/skin/DrawUtils.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"
#include "vcl/Screen.h"

using namespace platform;

namespace {

constexpr char kEditOwnerProp[] = "BrantwellListViewEditor";

// ---- cursors

int g_cursorStarts = 0;
TListViewCursors g_cursors;
HCURSOR g_cursorHandles[5] = {};

TCursor AddResourceCursor(const char* name, HCURSOR& handle) {
  handle = LoadCursorA(GetModuleHandleA(nullptr), name);
  return handle ? static_cast<TCursor>(AddCursor(handle)) : 0;
}

void FreeResourceCursor(TCursor& index, HCURSOR& handle) {
  if (index != 0 && Screen && Screen->Cursors(index) == handle) Screen->SetCursors(index, nullptr);
  if (handle) DestroyCursor(handle);
  index = 0;
  handle = nullptr;
}

// The whole text of a window, however long (asked in UTF-16, the editors' own form).
AnsiString WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  WideString text(static_cast<size_t>(std::max(length, 0)) + 1, u'\0');
  const int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return WideToUTF8(text);
}

}  // namespace

const TListViewCursors& ListViewCursors() { return g_cursors; }

void StartListViewCursors() {
  if (g_cursorStarts++ > 0) return;
  g_cursors.DragMulti = AddResourceCursor("DragMultiIcon", g_cursorHandles[0]);
  g_cursors.ScrollUp = AddResourceCursor("AutoScrollUp", g_cursorHandles[1]);
  g_cursors.ScrollDown = AddResourceCursor("AutoScrollDown", g_cursorHandles[2]);
  g_cursors.ScrollLeft = AddResourceCursor("AutoScrollLeft", g_cursorHandles[3]);
  g_cursors.ScrollRight = AddResourceCursor("AutoScrollRight", g_cursorHandles[4]);
}

void StopListViewCursors() {
  if (g_cursorStarts == 0 || --g_cursorStarts > 0) return;
  FreeResourceCursor(g_cursors.DragMulti, g_cursorHandles[0]);
  FreeResourceCursor(g_cursors.ScrollUp, g_cursorHandles[1]);
  FreeResourceCursor(g_cursors.ScrollDown, g_cursorHandles[2]);
  FreeResourceCursor(g_cursors.ScrollLeft, g_cursorHandles[3]);
  FreeResourceCursor(g_cursors.ScrollRight, g_cursorHandles[4]);
}

// ---- label editing ---------------------------------------------------------------------------

LRESULT TFSCustomListView::EditLabel(WPARAM row, LPARAM text) {
  TMessage m{LVM_EDITLABELA, row, text, 0};
  if (static_cast<int>(row) == -1) {
    // Ends an open edit (a custom editor is ours to close).
    if (FCustomEditor) EndEdit(false);
    DefaultHandler(m);
    return m.Result;
  }
  HWND editor = OnGetEditControl ? OnGetEditControl(this) : nullptr;
  FCustomEditor = editor != nullptr;
  if (!editor) {
    DefaultHandler(m);
    return m.Result;
  }
  SetWindowLongPtrA(editor, GWLP_ID, 1);
  SetWindowTextW(editor, UTF8ToWide(text ? reinterpret_cast<LPCSTR>(text) : "").c_str());
  ::SetFocus(editor);
  ShowWindow(editor, SW_SHOW);
  FEditHandle = editor;
  NMLVDISPINFOA info{};
  info.hdr.hwndFrom = Handle();
  info.hdr.idFrom = 1;
  info.hdr.code = LVN_BEGINLABELEDITA;
  info.item.iItem = static_cast<int>(row);
  info.item.iSubItem = FEditSubItem;
  if (!FOwnerData)
    if (TFSListItem* item = Items()->Item(static_cast<int>(row))) info.item.lParam = reinterpret_cast<LPARAM>(item);
  const LRESULT refused = Perform(CN_NOTIFY, 1, reinterpret_cast<LPARAM>(&info));
  FOwnerDataItem = nullptr;
  return refused ? 0 : reinterpret_cast<LRESULT>(editor);
}

LRESULT TFSCustomListView::GetEditControl() {
  TMessage m{LVM_GETEDITCONTROL, 0, 0, 0};
  DefaultHandler(m);
  if (FCustomEditor) return reinterpret_cast<LRESULT>(FEditHandle);
  auto* own = reinterpret_cast<HWND>(m.Result);
  if (!own || !OnGetEditControl) return m.Result;
  HWND editor = OnGetEditControl(this);
  if (!editor) return m.Result;
  // An edit the control began by itself gets the program's editor too, with its text whole.
  FCustomEditor = true;
  SetWindowTextW(editor, UTF8ToWide(WindowText(own)).c_str());
  DestroyWindow(own);
  FEditHandle = editor;
  return reinterpret_cast<LRESULT>(editor);
}

void TFSCustomListView::BeginLabelEdit(TWMNotify& m, NMLVDISPINFOA* info) {
  TFSListItem* item = NotifyItem(info->item);
  if (!CanEdit(item)) {
    m.SetResult(1);
    // A refused edit leaves nothing open: the program's editor goes.
    if (FCustomEditor && FEditHandle) {
      HWND editor = FEditHandle;
      FEditHandle = nullptr;
      FCustomEditor = false;
      ShowWindow(editor, SW_HIDE);
      DestroyWindow(editor);
    }
    return;
  }
  FEditingItem = item;
  FEditingIndex = info->item.iItem;
  FEditHandle = reinterpret_cast<HWND>(Perform(LVM_GETEDITCONTROL));
  if (!FEditHandle) return;
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(FEditHandle, GWLP_WNDPROC)) != &TFSCustomListView::EditProc) {
    SetPropA(FEditHandle, kEditOwnerProp, reinterpret_cast<HANDLE>(this));
    // Subclassed as a UTF-16 window, as the editors are: their text messages pass unchanged.
    FDefEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(FEditHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TFSCustomListView::EditProc)));
  }
  if (FCustomEditor) {
    ::SetFocus(FEditHandle);
    ShowWindow(FEditHandle, SW_SHOW);
    SetWindowPos(FEditHandle, nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TFSCustomListView::Edit(const LVITEMA& info) {
  AnsiString text = info.pszText ? AnsiString(info.pszText) : AnsiString();
  TFSListItem* item = FOwnerData ? NotifyItem(info) : (FEditingItem ? FEditingItem : NotifyItem(info));
  if (OnEdited) OnEdited(this, item, text);
  if (!item) return;
  if (FEditSubItem < 1) {
    item->SetCaption(text);
    return;
  }
  TSubItems* subItems = item->SubItems();
  while (subItems->Count() < FEditSubItem) subItems->Add("");
  subItems->Put(FEditSubItem - 1, text);
}

void TFSCustomListView::EndLabelEdit(NMLVDISPINFOA* info) {
  if (info->item.pszText && info->item.iItem != -1 && FEditingIndex != -1) Edit(info->item);
  FEditingIndex = -1;
  FEditSubItem = 0;
  FEditingItem = nullptr;
  HWND editor = FEditHandle;
  FEditHandle = nullptr;
  if (FCustomEditor) {
    FCustomEditor = false;
    if (editor) {
      ShowWindow(editor, SW_HIDE);
      DestroyWindow(editor);
    }
  }
  if (!FRedraw) return;
  Invalidate();
}

void TFSCustomListView::EndEdit(bool save) {
  if (FEditingIndex == -1 || !HandleAllocated()) return;
  const bool custom = FCustomEditor;
  HWND editor = FEditHandle;
  AnsiString text;
  NMLVDISPINFOA info{};
  info.hdr.hwndFrom = Handle();
  info.hdr.idFrom = 1;
  info.hdr.code = LVN_ENDLABELEDITA;
  info.item.iItem = FEditingIndex;
  info.item.iSubItem = FEditSubItem;
  if (save && editor) {
    text = WindowText(editor);
    info.item.pszText = text.data();
    info.item.cchTextMax = static_cast<int>(text.size()) + 1;
  }
  Perform(CN_NOTIFY, 1, reinterpret_cast<LPARAM>(&info));
  FOwnerDataItem = nullptr;
  // The control's own editor is closed by the control (its notification then finds no edit).
  if (!custom) Perform(LVM_CANCELEDITLABEL);
}

LRESULT TFSCustomListView::EditProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* view = reinterpret_cast<TFSCustomListView*>(GetPropA(window, kEditOwnerProp));
  if (!view) return DefWindowProcW(window, msg, wParam, lParam);
  return view->EditWndProc(window, msg, wParam, lParam);
}

LRESULT TFSCustomListView::EditWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous = FDefEditProc;
  switch (msg) {
    case WM_KILLFOCUS: {
      auto* receiving = reinterpret_cast<HWND>(wParam);
      if (FCustomEditor && window == FEditHandle && receiving != window && !IsChild(window, receiving)) {
        EndEdit(false);
        if (!IsWindow(window)) return 0;
      }
      break;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      if (FCustomEditor && window == FEditHandle) {
        if (wParam == VK_RETURN) {
          EndEdit(true);
          return 0;
        }
        if (wParam == VK_ESCAPE) {
          EndEdit(false);
          return 0;
        }
      }
      TMessage m{msg, wParam, lParam, 0};
      TWMKey key(m);
      if (DoKeyDown(key)) return 0;
      break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      TMessage m{msg, wParam, lParam, 0};
      TWMKey key(m);
      if (DoKeyUp(key)) return 0;
      break;
    }
    case WM_CHAR: {
      TMessage m{msg, wParam, lParam, 0};
      TWMKey key(m);
      if (DoKeyPress(key)) return 0;
      break;
    }
    case WM_NCDESTROY: {
      RemovePropA(window, kEditOwnerProp);
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      if (FEditHandle == window) FEditHandle = nullptr;
      FDefEditProc = nullptr;
      return CallWindowProcW(previous, window, msg, wParam, lParam);
    }
    default: break;
  }
  const LRESULT result = CallWindowProcW(previous, window, msg, wParam, lParam);
  if (msg == WM_WINDOWPOSCHANGING && window == FEditHandle && FEditingIndex != -1)
    PlaceEditor(reinterpret_cast<WINDOWPOS*>(lParam));
  return result;
}

void TFSCustomListView::PlaceEditor(WINDOWPOS* pos) {
  if (!pos) return;
  RECT label{};
  BOOL found = FALSE;
  if (FEditSubItem >= 1) {
    label.top = FEditSubItem;
    label.left = LVIR_LABEL;
    found = static_cast<BOOL>(Perform(LVM_GETSUBITEMRECT, static_cast<WPARAM>(FEditingIndex), reinterpret_cast<LPARAM>(&label)));
  } else {
    label.left = LVIR_LABEL;
    found = static_cast<BOOL>(Perform(LVM_GETITEMRECT, static_cast<WPARAM>(FEditingIndex), reinterpret_cast<LPARAM>(&label)));
  }
  if (!found) return;
  pos->x = label.left + 3;
  pos->y = label.top;
  pos->flags &= ~SWP_NOMOVE;
  if (FCustomEditor || FEditSubItem >= 1) {
    pos->cx = std::max(pos->cx, static_cast<int>(label.right - label.left - 4));
    pos->flags &= ~SWP_NOSIZE;
  }
  if (pos->cy < label.bottom - label.top) {
    pos->cy = label.bottom - label.top;
    pos->flags &= ~SWP_NOSIZE;
  }
}

// ---- drag and auto-scroll --------------------------------------------------------------------

void TFSCustomListView::DoStartDrag() {
  const TCursor multi = g_cursors.DragMulti ? g_cursors.DragMulti : crDrag;
  SetDragCursor(GetSelCount() >= 2 ? multi : crDrag);
  FSavedDragCursor = DragCursor();
  FLastDropTarget = nullptr;
}

void TFSCustomListView::DoEndDrag() {
  FLastDropTarget = nullptr;
  SetAutoScroll(false);
}

void TFSCustomListView::ListDragOver(TObject* source, int x, int y, TDragState state, bool& accept) {
  if (FOwnerData && source == this) SetDropTarget(GetItemAt(x, y));
  if (OnDragOver) OnDragOver(this, source, x, y, state, accept);
  const bool inZone = UpdateAutoScroll(x, y);
  if (state == dsDragLeave && FSavedDragCursor != 0) SetDragCursor(FSavedDragCursor);
  if (inZone && state != dsDragLeave) {
    FAutoScrollFlag = true;
    SetAutoScroll(true);
  } else {
    FAutoScrollFlag = false;
    SetAutoScroll(false);
  }
}

bool TFSCustomListView::UpdateAutoScroll(int x, int y) {
  if (FSavedDragCursor != 0) SetDragCursor(FSavedDragCursor);
  if (!HandleAllocated()) return false;
  const LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
  const int width = ClientWidth(), height = ClientHeight();
  auto cursorOr = [](TCursor cursor) { return cursor ? cursor : crDrag; };
  if (FIconOptions->Arrangement() == iaTop) {
    if (!(style & WS_VSCROLL)) return false;
    if (!(y < kAutoScrollZone || (y < height && height - y < kAutoScrollZone))) return false;
    FScrollDeltaX = 0;
    if (y < kAutoScrollZone) {
      SetDragCursor(cursorOr(g_cursors.ScrollUp));
      FScrollDeltaY = y - kAutoScrollZone;
    } else {
      SetDragCursor(cursorOr(g_cursors.ScrollDown));
      FScrollDeltaY = y - height + kAutoScrollZone;
    }
    return true;
  }
  if (!(style & WS_HSCROLL)) return false;
  if (!(x < kAutoScrollZone || (x < width && width - x < kAutoScrollZone))) return false;
  FScrollDeltaY = 0;
  if (x < kAutoScrollZone) {
    SetDragCursor(cursorOr(g_cursors.ScrollLeft));
    FScrollDeltaX = x - kAutoScrollZone;
  } else {
    SetDragCursor(cursorOr(g_cursors.ScrollRight));
    FScrollDeltaX = x - width + kAutoScrollZone;
  }
  return true;
}

void TFSCustomListView::SetAutoScroll(bool value) {
  if (value) {
    if (FAutoScrollTimer == 0 && HandleAllocated()) FAutoScrollTimer = SetTimer(Handle(), kAutoScrollTimer, 25, nullptr);
    return;
  }
  if (FAutoScrollTimer != 0 && HandleAllocated()) KillTimer(Handle(), kAutoScrollTimer);
  FAutoScrollTimer = 0;
  FScrollDeltaX = FScrollDeltaY = 0;
  FAutoScrollFlag = false;
}

void TFSCustomListView::AutoScrollTimer() {
  if (!Perform(LVM_SCROLL, static_cast<WPARAM>(FScrollDeltaX), FScrollDeltaY)) SetAutoScroll(false);
}

// ---- insert mark -----------------------------------------------------------------------------

void TFSCustomListView::CreateCaretBitmap() {
  RECT bounds{};
  bounds.left = LVIR_SELECTBOUNDS;
  Perform(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&bounds));
  const int width = std::max(8, static_cast<int>(bounds.right - bounds.left));
  const int height = std::max(8, static_cast<int>(bounds.bottom - bounds.top));
  const bool left = FIconOptions->Arrangement() == iaLeft;
  const int bitmapWidth = left ? width : 8, bitmapHeight = left ? 8 : height;
  HDC screen = GetDC(nullptr);
  FCaretBitmap = CreateCompatibleBitmap(screen, bitmapWidth, bitmapHeight);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, FCaretBitmap);
  HBRUSH brush = CreateSolidBrush(0xFFFF00);
  auto fill = [&](int l, int t, int r, int b) {
    RECT rect{l, t, r, b};
    FillRect(memory, &rect, brush);
  };
  for (int i = 0; i < 3; ++i) {
    if (left) {
      fill(i, i, i + 1, 8 - i);
      fill(width - i - 1, i, width - i, 8 - i);
    } else {
      fill(i, i, 8 - i, i + 1);
      fill(i, height - i - 1, 8 - i, height - i);
    }
  }
  if (left) fill(3, 3, width - 3, 5);
  else fill(3, 3, 5, height - 3);
  DeleteObject(brush);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

// The mark is a caret of our own bitmap (visual themes are never active). The system's caret
// blink time is left alone: the mark blinks at the user's rate.
void TFSCustomListView::SetInsertMark(int index, bool after) {
  if (!HandleAllocated()) return;
  if (index != -1) {
    if (!FCaretCreated) {
      CreateCaretBitmap();
      CreateCaret(Handle(), FCaretBitmap, 0, 0);
      FCaretCreated = true;
    }
    RECT r{};
    r.left = LVIR_BOUNDS;
    Perform(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    const TRect client = ClientRect();
    POINT at{};
    const bool left = FIconOptions->Arrangement() == iaLeft;
    if (!after) {
      if (left) at = r.top < 5 ? POINT{r.left, r.top} : POINT{r.left, r.top - 5};
      else at = r.left < 5 ? POINT{r.left, r.top} : POINT{r.left - 5, r.top};
    } else {
      if (left) at = client.Bottom >= r.bottom + 5 ? POINT{r.left, r.bottom + 5} : POINT{r.left, r.bottom};
      else at = client.Right >= r.right + 5 ? POINT{r.right + 5, r.top} : POINT{r.right, r.top};
    }
    const bool moved = index != FInsertMarkIndex;
    if (FCaretShown) HideCaret(Handle());
    SetCaretPos(at.x, at.y);
    ShowCaret(Handle());
    FCaretShown = true;
    if (moved) Update();
    FInsertMarkIndex = index;
    return;
  }
  if (FCaretCreated && FCaretShown) {
    FCaretShown = false;
    HideCaret(Handle());
    Update();
  }
  FInsertMarkIndex = -1;
}

void TFSCustomListView::DestroyInsertMarkCaret() {
  if (!FCaretCreated) return;
  if (FCaretShown && HandleAllocated()) HideCaret(Handle());
  DestroyCaret();
  FCaretCreated = false;
  FCaretShown = false;
  FInsertMarkIndex = -1;
  if (FCaretBitmap) {
    DeleteObject(FCaretBitmap);
    FCaretBitmap = nullptr;
  }
}

int TFSCustomListView::GetInsertMarkIndex(int x, int y, bool& after) {
  after = false;
  if (!HandleAllocated()) return -1;
  const int count = Items()->Count();
  int result = -1;
  if (!FOwnerData && !FGroupView) {
    POINT point{x, y};
    LVINSERTMARK mark{};
    mark.cbSize = sizeof(mark);
    if (!Perform(LVM_INSERTMARKHITTEST, reinterpret_cast<WPARAM>(&point), reinterpret_cast<LPARAM>(&mark))) return -1;
    after = (mark.dwFlags & LVIM_AFTER) != 0;
    result = mark.iItem;
  } else {
    LVHITTESTINFO hit{};
    hit.pt = POINT{x, y};
    int index = static_cast<int>(Perform(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (FOwnerData && index >= 0) {
      result = index;
    } else {
      LVFINDINFOA find{};
      find.flags = LVFI_NEARESTXY;
      find.pt = POINT{x, y};
      const int nearest = static_cast<int>(Perform(LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
      if (nearest != -1) {
        if (index >= 0 && index <= nearest) {
          result = index;
        } else {
          after = true;
          result = nearest;
        }
      } else {
        result = index >= 0 ? index : -1;
      }
    }
  }
  return result > count - 1 ? -1 : result;
}
