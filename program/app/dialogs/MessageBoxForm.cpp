#include "program/app/dialogs/MessageBoxForm.h"

#include <algorithm>
#include <cwctype>
#include <memory>

#include "platform/kernel/Threads.h"
#include "platform/kernel/WinError.h"
#include "program/controls/FSButton.h"
#include "program/controls/FSSkinImage.h"
#include "program/engine/LanguageEngine.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"
#include "vcl/Label.h"

namespace {

struct ButtonSpec {
  int id;
  const char16_t* key;  // the caption's text key
};

std::vector<ButtonSpec> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK: return {{IDOK, u"MB_BTN_OK"}};
    case MB_OKCANCEL: return {{IDOK, u"MB_BTN_OK"}, {IDCANCEL, u"MB_BTN_Cancel"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, u"MB_BTN_Abort"}, {IDRETRY, u"MB_BTN_Retry"}, {IDIGNORE, u"MB_BTN_Ignore"}};
    case MB_YESNOCANCEL: return {{IDYES, u"MB_BTN_Yes"}, {IDNO, u"MB_BTN_No"}, {IDCANCEL, u"MB_BTN_Cancel"}};
    case MB_YESNO: return {{IDYES, u"MB_BTN_Yes"}, {IDNO, u"MB_BTN_No"}};
    case MB_RETRYCANCEL: return {{IDRETRY, u"MB_BTN_Retry"}, {IDCANCEL, u"MB_BTN_Cancel"}};
    case MB_CANCELTRYCONTINUE:
      return {{IDCANCEL, u"MB_BTN_Cancel"}, {IDTRYAGAIN, u"MB_BTN_TryAgain"}, {IDCONTINUE, u"MB_BTN_Continue"}};
    default: return {};
  }
}

// The skin part of each icon: information, question, warning, error.
int IconPart(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONASTERISK: return 10;
    case MB_ICONQUESTION: return 11;
    case MB_ICONEXCLAMATION: return 12;
    case MB_ICONHAND: return 13;
    default: return -1;
  }
}

char16_t MnemonicOf(const WideString& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i)
    if (caption[i] == u'&') {
      if (caption[i + 1] != u'&') return static_cast<char16_t>(std::towlower(caption[i + 1]));
      ++i;
    }
  return 0;
}

void CollectThreadWindows(std::vector<HWND>* out) {
  EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
    return TRUE;
  }, reinterpret_cast<LPARAM>(out));
}

}  // namespace

TMessageBoxForm::TMessageBoxForm(TComponent* owner) : TSkinForm(owner) {
  SetAutoModalOwner(false);
  SetKeyPreview(false);
  OnCloseQuery = [this](TObject* sender, bool& canClose) { FormCloseQuery(sender, canClose); };
}

TMessageBoxForm::~TMessageBoxForm() = default;

void TMessageBoxForm::DescribeClass(TClassBuilder<TMessageBoxForm>& c) {
  c.Field("imgIcon", &TMessageBoxForm::imgIcon);
  c.Field("lblText", &TMessageBoxForm::lblText);
  c.Field("btnFirst", &TMessageBoxForm::btnFirst);
  c.Field("btnSecond", &TMessageBoxForm::btnSecond);
  c.Field("btnThird", &TMessageBoxForm::btnThird);
}

// The desktop knows the box by the dialog class.
void TMessageBoxForm::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.WinClassName = "#32770";
}

void TMessageBoxForm::Prepare(const WideString& text, UINT type) {
  HandleNeeded();
  const std::vector<ButtonSpec> specs = ButtonsOf(type);
  TFSButton* const slots[3] = {btnFirst, btnSecond, btnThird};
  FButtons.clear();
  FIds.clear();
  FMnemonics.clear();
  FCancelAnswer = (type & MB_TYPEMASK) == MB_OK ? IDOK : 0;
  for (size_t i = 0; i < 3; ++i) {
    TFSButton* button = slots[i];
    if (!button) continue;
    button->SetVisible(i < specs.size());
    button->SetDefault(false);
    button->SetCancel(false);
    if (i >= specs.size()) continue;
    const WideString caption = LanguageText(specs[i].key);
    button->SetCaption(WideToUTF8(caption));
    button->SetModalResult(specs[i].id);
    button->SetTabOrder(static_cast<int>(i));
    FButtons.push_back(button);
    FIds.push_back(specs[i].id);
    FMnemonics.push_back(MnemonicOf(caption));
    if (specs[i].id == IDCANCEL) FCancelAnswer = IDCANCEL;
  }
  const int defaultIndex = static_cast<int>((type & MB_DEFMASK) >> 8);
  FDefaultIndex = defaultIndex < static_cast<int>(FButtons.size()) ? defaultIndex : 0;
  // The default button wears the accent.
  for (size_t i = 0; i < FButtons.size(); ++i) {
    const bool isDefault = static_cast<int>(i) == FDefaultIndex;
    FButtons[i]->SetDefault(isDefault);
    FButtons[i]->SetSkinName(isDefault ? AnsiString(DefaultButtonSkin) : AnsiString("Button"));
  }

  // The text's size in the box's font, wrapped at MaxTextWidth.
  RECT textRect{0, 0, MaxTextWidth, 0};
  if (HDC dc = CreateCompatibleDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, (lblText ? lblText->Font() : Font())->Handle());
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  const int textWidth = textRect.right - textRect.left + 2;
  const int textHeight = std::max<int>(textRect.bottom - textRect.top, 16);
  const int iconPart = IconPart(type);
  const bool icon = iconPart >= 0;
  const int textLeft = Margin + (icon ? IconSize + Margin : 0);
  const int contentHeight = std::max(textHeight, icon ? IconSize : 0);
  if (imgIcon) {
    imgIcon->SetVisible(icon);
    if (icon) {
      imgIcon->SetSkinName("MessageBoxForm(" + std::to_string(iconPart) + ")");
      imgIcon->SetBounds(Margin, Margin, IconSize, IconSize);
    }
  }
  if (lblText) {
    lblText->SetCaption(WideToUTF8(text));
    const int top = Margin + (icon && textHeight < IconSize ? (IconSize - textHeight) / 2 : 0);
    lblText->SetBounds(textLeft, top, textWidth, textHeight);
  }
  const int count = static_cast<int>(FButtons.size());
  const int rowWidth = count * ButtonWidth + (count - 1) * Gap;
  const int width = std::max({textLeft + textWidth + Margin, rowWidth + 2 * Margin, 280});
  const int buttonTop = Margin + contentHeight + 2 * Gap;
  // Buttons bottom-right, in their order.
  int x = width - Margin - rowWidth;
  for (TFSButton* button : FButtons) {
    button->SetBounds(x, buttonTop, ButtonWidth, ButtonHeight);
    x += ButtonWidth + Gap;
  }
  SetClientWidth(width);
  SetClientHeight(buttonTop + ButtonHeight + Margin);
}

void TMessageBoxForm::DoShow() {
  inherited::DoShow();
  if (!FButtons.empty() && FButtons[FDefaultIndex]->CanFocus()) FButtons[FDefaultIndex]->SetFocus();
}

int TMessageBoxForm::FocusedIndex() const {
  for (size_t i = 0; i < FButtons.size(); ++i)
    if (FButtons[i]->Focused()) return static_cast<int>(i);
  return FDefaultIndex;
}

void TMessageBoxForm::MoveFocus(int step) {
  if (FButtons.empty()) return;
  const int count = static_cast<int>(FButtons.size());
  const int next = ((FocusedIndex() + step) % count + count) % count;
  if (FButtons[next]->CanFocus()) FButtons[next]->SetFocus();
}

void TMessageBoxForm::Answer(int id) { SetModalResult(id); }

void TMessageBoxForm::FormCloseQuery(TObject*, bool& canClose) {
  // Closing asks for mrCancel: only a box with a cancelling answer takes it.
  if (ModalResult() == mrCancel && FCancelAnswer == 0) canClose = false;
}

void TMessageBoxForm::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_DIALOGKEY: {
      if (GetKeyState(VK_MENU) < 0 || GetKeyState(VK_CONTROL) < 0) break;
      switch (message.WParam) {
        case VK_TAB: MoveFocus(GetKeyState(VK_SHIFT) < 0 ? -1 : 1); break;
        case VK_RIGHT: case VK_DOWN: MoveFocus(1); break;
        case VK_LEFT: case VK_UP: MoveFocus(-1); break;
        case VK_RETURN:
          if (!FIds.empty()) Answer(FIds[FocusedIndex()]);
          break;
        case VK_ESCAPE:
          if (FCancelAnswer) Answer(FCancelAnswer);
          break;
        default: inherited::Dispatch(message); return;
      }
      message.Result = 1;
      return;
    }
    case CM_DIALOGCHAR: {
      const char16_t key = static_cast<char16_t>(std::towlower(static_cast<wint_t>(message.WParam)));
      for (size_t i = 0; i < FMnemonics.size(); ++i)
        if (FMnemonics[i] && FMnemonics[i] == key) {
          Answer(FIds[i]);
          message.Result = 1;
          return;
        }
      message.Result = 0;
      return;
    }
    case WM_COMMAND:
      // A button's id posted to the box (not a notification from a child) answers with it.
      if (message.LParam == 0) {
        const int id = LOWORD(message.WParam);
        if (std::find(FIds.begin(), FIds.end(), id) != FIds.end()) Answer(id);
        else if (id == IDCANCEL && FCancelAnswer) Answer(FCancelAnswer);
        message.Result = 0;
        return;
      }
      break;
    default: break;
  }
  inherited::Dispatch(message);
}

int TMessageBoxForm::Run(HWND owner, const WideString& text, const WideString& caption, UINT type) {
  if (owner && !IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (ButtonsOf(type).empty() || (type & MB_ICONMASK) > MB_ICONASTERISK) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (owner) owner = GetAncestor(owner, GA_ROOT);
  std::unique_ptr<TMessageBoxForm> form(TCustomForm::Create<TMessageBoxForm>(Application));
  if (owner) form->SetOwnerWindow(owner);
  form->SetCaption(WideToUTF8(caption));
  form->Prepare(text, type);
  if (owner) SetWindowLongPtrW(form->Handle(), GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  if ((type & (MB_TOPMOST | MB_SYSTEMMODAL)) != 0)
    SetWindowPos(form->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  // Centred on the owner when it shows, else on the work area.
  RECT area;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  RECT work = area;
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &area);
  const int width = form->Width(), height = form->Height();
  form->SetLeft(std::clamp<int>((area.left + area.right - width) / 2, work.left, std::max<int>(work.left, work.right - width)));
  form->SetTop(std::clamp<int>((area.top + area.bottom - height) / 2, work.top, std::max<int>(work.top, work.bottom - height)));

  // A task-modal box without an owner holds every window of the thread.
  std::vector<HWND> disabled;
  if (!owner && (type & MB_TASKMODAL)) {
    std::vector<HWND> windows;
    CollectThreadWindows(&windows);
    for (HWND h : windows)
      if (h != form->Handle() && IsWindowEnabled(h)) {
        EnableWindow(h, FALSE);
        disabled.push_back(h);
      }
  }
  // The owner hears when the box waits for input, as with every dialog.
  TIdleEvent previousIdle = Application->OnIdle;
  const HWND box = form->Handle();
  Application->OnIdle = [owner, box, previousIdle](TObject* sender, bool& done) {
    if (owner && IsWindow(owner) && IsWindow(box)) SendMessageW(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(box));
    if (previousIdle) previousIdle(sender, done);
  };
  // Keys belong to the control that has the focus when they are handled: a key queued before
  // Tab moved the focus goes to the button Tab chose.
  TMessageEvent previousMessage = Application->OnMessage;
  Application->OnMessage = [box, previousMessage](MSG& msg, bool& handled) {
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && IsWindow(box)) {
      const HWND focus = GetFocus();
      if (focus && (focus == box || IsChild(box, focus)) && (msg.hwnd == box || IsChild(box, msg.hwnd))) msg.hwnd = focus;
    }
    if (previousMessage) previousMessage(msg, handled);
  };
  TModalResult result = mrCancel;
  try {
    result = form->ShowModal();
  } catch (...) {
    Application->OnMessage = previousMessage;
    Application->OnIdle = previousIdle;
    for (HWND h : disabled)
      if (IsWindow(h)) EnableWindow(h, TRUE);
    throw;
  }
  Application->OnMessage = previousMessage;
  Application->OnIdle = previousIdle;
  for (HWND h : disabled)
    if (IsWindow(h)) EnableWindow(h, TRUE);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  const std::vector<int> ids = form->ButtonIds();
  const int cancel = form->CancelAnswer();
  if (Application->Terminated() || std::find(ids.begin(), ids.end(), result) == ids.end())
    return cancel ? cancel : ids.back();
  return result;
}
