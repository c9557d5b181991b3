// Controls, forms and the application on the headless window manager: message dispatch,
// control messages, alignment, focus and tab order, window re-creation, clicks from
// synthetic input, modal forms, worker threads, timers, actions and menus.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/testing/Pictures.h"
#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "platform/user/Present.h"
#include "platform/user/Menus.h"
#include "platform/user/MessageBox.h"
#include "vcl/ActionList.h"
#include "vcl/Application.h"
#include "vcl/GraphicControl.h"
#include "vcl/Menu.h"
#include "vcl/Screen.h"
#include "vcl/Thread.h"
#include "vcl/Timer.h"

namespace {

using namespace std::chrono_literals;
using platform::testing::Watchdog;

// What a popup menu holds, read through the menu calls as the window manager shows it.
struct MenuItemShown {
  UINT type = 0;
  UINT state = 0;
  UINT id = 0;
  HMENU submenu = nullptr;
  std::u16string text;
};

std::vector<MenuItemShown> ItemsOf(HMENU menu) {
  std::vector<MenuItemShown> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char16_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 256;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) break;
    items.push_back({info.fType, info.fState, info.wID, info.hSubMenu, text});
  }
  return items;
}

class ControlsTest : public ::testing::Test {
 protected:
  void TearDown() override { DoneApplication(); }
};

// A window-less control that records what reaches it.
class TProbe : public TGraphicControl {
  BRANTWELL_CLASS(TProbe, TGraphicControl)
 public:
  explicit TProbe(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 40, 20); }
  std::vector<UINT> seen;
  int clicks = 0;
  int paints = 0;
  void WndProc(TMessage& m) override {
    if (m.Msg >= CM_BASE && m.Msg < CM_BASE + 100) seen.push_back(m.Msg);
    inherited::WndProc(m);
  }
  void Click() override {
    ++clicks;
    inherited::Click();
  }

 protected:
  void Paint() override {
    ++paints;
    Canvas()->Brush()->SetColor(clRed);
    Canvas()->FillRect(ClientRect());
  }
};

// A windowed control that can take the focus.
class TBox : public TCustomControl {
  BRANTWELL_CLASS(TBox, TCustomControl)
 public:
  explicit TBox(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 50, 30);
    SetTabStop(true);
  }
  int dialogKeys = 0;
  bool isDefault = false;

 protected:
  void CMDialogKey(TWMKey& m) override {
    if (isDefault && m.CharCode == VK_RETURN) {
      ++dialogKeys;
      m.SetResult(1);
      return;
    }
    inherited::CMDialogKey(m);
  }
};

TForm* NewForm() { return TCustomForm::CreateNew<TForm>(Application); }

TEST_F(ControlsTest, PerformReachesTypedHandlersAndTextGoesThroughMessages) {
  TForm* form = NewForm();
  auto* probe = new TProbe(form);
  probe->SetParent(form);
  probe->seen.clear();
  probe->SetEnabled(false);
  probe->SetVisible(false);
  probe->SetColor(clBlue);
  probe->SetCaption("Title");
  EXPECT_EQ(probe->Caption(), "Title");
  EXPECT_EQ(probe->seen, (std::vector<UINT>{CM_ENABLEDCHANGED, CM_VISIBLECHANGED, CM_COLORCHANGED, CM_TEXTCHANGED}));
  // A replaced WindowProc sees everything first and may keep a message from the control.
  int hooked = 0;
  auto previous = probe->WindowProc;
  probe->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_USER + 5) {
      ++hooked;
      m.Result = 42;
      return;
    }
    previous(m);
  };
  EXPECT_EQ(probe->Perform(WM_USER + 5), 42);
  EXPECT_EQ(hooked, 1);
  // The form's text is its window's text once the window exists, and survives re-creation.
  form->SetCaption("Form one");
  HWND first = form->Handle();
  char buffer[32] = {};
  GetWindowTextA(first, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "Form one");
}

TEST_F(ControlsTest, ParentColorAndFontFollowTheParentUntilSetOwnValue) {
  TForm* form = NewForm();
  auto* a = new TProbe(form);
  auto* b = new TProbe(form);
  a->SetParent(form);
  b->SetParent(form);
  b->SetColor(clYellow);
  form->SetColor(clGreen);
  EXPECT_EQ(a->Color(), clGreen);
  EXPECT_TRUE(a->ParentColor());
  EXPECT_EQ(b->Color(), clYellow);
  form->Font()->SetSize(14);
  EXPECT_EQ(a->Font()->Size(), 14);
  EXPECT_TRUE(a->ParentFont());
}

TEST_F(ControlsTest, AlignmentFillsEdgesInOrderAndAnchorsKeepDistances) {
  TForm* form = NewForm();
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 200, 100);
  auto make = [&](TAlign align, int w, int h) {
    auto* c = new TProbe(form);
    c->SetBounds(0, 0, w, h);
    c->SetParent(form);
    c->SetAlign(align);
    return c;
  };
  TProbe* top = make(alTop, 10, 20);
  TProbe* bottom = make(alBottom, 10, 10);
  TProbe* left = make(alLeft, 30, 10);
  TProbe* client = make(alClient, 1, 1);
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 200, 20));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 90, 200, 100));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 20, 30, 90));
  EXPECT_EQ(client->BoundsRect(), Rect(30, 20, 200, 90));
  auto* anchored = new TProbe(form);
  anchored->SetParent(form);
  anchored->SetBounds(150, 40, 20, 10);
  anchored->SetAnchors({akRight, akBottom});
  form->SetBounds(0, 0, 300, 150);
  EXPECT_EQ(anchored->BoundsRect(), Rect(250, 90, 270, 100));
  // Anchored on neither side of an axis, a control keeps its centre in proportion.
  auto* centred = new TProbe(form);
  centred->SetParent(form);
  centred->SetBounds(130, 40, 40, 10);  // centre x 150 of 300
  centred->SetAnchors({akTop});
  form->SetBounds(0, 0, 200, 150);
  EXPECT_EQ(centred->BoundsRect(), Rect(80, 40, 120, 50));
  form->SetBounds(0, 0, 300, 150);
  EXPECT_EQ(client->BoundsRect(), Rect(30, 20, 300, 140));
  // Hiding an aligned control gives its edge back.
  top->SetVisible(false);
  EXPECT_EQ(left->BoundsRect(), Rect(0, 0, 30, 140));
}

TEST_F(ControlsTest, TabOrderAndDialogKeysMoveTheFocus) {
  Watchdog watchdog(20s);
  TForm* form = NewForm();
  form->SetBounds(100, 100, 300, 200);
  auto* a = new TBox(form);
  auto* b = new TBox(form);
  auto* c = new TBox(form);
  for (TBox* box : {a, b, c}) box->SetParent(form);
  c->SetTabOrder(0);  // c, a, b
  b->SetTabStop(false);
  std::vector<AnsiString> entered;
  a->SetName("A");
  c->SetName("C");
  for (TBox* box : {a, b, c}) box->OnEnter = TNotifyEvent([&entered](TObject* s) { entered.push_back(static_cast<TBox*>(s)->Name()); });
  form->Show();
  Application->ProcessMessages();
  c->SetFocus();
  EXPECT_TRUE(c->Focused());
  EXPECT_EQ(form->ActiveControl(), c);
  form->SelectNext(c, true, true);
  EXPECT_TRUE(a->Focused());
  form->SelectNext(a, true, true);  // b has no tab stop
  EXPECT_TRUE(c->Focused());
  EXPECT_EQ(entered, (std::vector<AnsiString>{"C", "A", "C"}));
  // Enter goes to the form as a dialog key and reaches the default "button".
  a->isDefault = true;
  EXPECT_EQ(SendMessageA(c->Handle(), CN_KEYDOWN, VK_RETURN, 0), 1);
  EXPECT_EQ(a->dialogKeys, 1);
  // A disabled control cannot take the focus.
  a->SetEnabled(false);
  EXPECT_THROW(a->SetFocus(), EInvalidOperation);
}

TEST_F(ControlsTest, RecreatedWindowKeepsTextBoundsAndFocus) {
  TForm* form = NewForm();
  form->SetBounds(10, 10, 200, 150);
  auto* box = new TBox(form);
  box->SetParent(form);
  box->SetBounds(5, 6, 70, 40);
  form->Show();
  box->SetCaption("kept");
  box->SetFocus();
  HWND old = box->Handle();
  form->SetBorderStyle(bsDialog);  // re-creates the form and its children
  EXPECT_FALSE(IsWindow(old));
  EXPECT_NE(box->Handle(), old);
  EXPECT_EQ(box->Caption(), "kept");
  EXPECT_EQ(box->BoundsRect(), Rect(5, 6, 75, 46));
  EXPECT_TRUE(box->Focused());
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

TEST_F(ControlsTest, SyntheticClickReachesAGraphicControlsHandler) {
  Watchdog watchdog(20s);
  TForm* form = NewForm();
  form->SetBorderStyle(bsNone);
  form->SetBounds(50, 60, 200, 100);
  auto* probe = new TProbe(form);
  probe->SetParent(form);
  probe->SetBounds(20, 30, 40, 20);
  int clicked = 0;
  probe->OnClick = TNotifyEvent([&](TObject*) { ++clicked; });
  int entered = 0;
  probe->OnMouseEnter = TNotifyEvent([&](TObject*) { ++entered; });
  form->Show();
  Application->ProcessMessages();
  POINT inside{50 + 25, 60 + 35};
  platform::testing::Click(inside);
  Application->ProcessMessages();
  EXPECT_EQ(clicked, 1);
  EXPECT_EQ(entered, 1);
  // Pressed inside, released outside: no click.
  platform::testing::MouseDown(inside);
  platform::testing::MouseMove({50 + 150, 60 + 80});
  platform::testing::MouseUp({50 + 150, 60 + 80});
  Application->ProcessMessages();
  EXPECT_EQ(clicked, 1);
  EXPECT_GT(probe->paints, 0);
}

TEST_F(ControlsTest, ModalFormReturnsItsResultAndSynchronizeRunsMeanwhile) {
  Watchdog watchdog(30s);
  TForm* main = NewForm();
  main->Show();
  TForm* dialog = NewForm();
  std::atomic<bool> ranOnGuiThread{false};
  bool mainDisabledMeanwhile = false;
  std::thread worker;
  dialog->OnShow = TNotifyEvent([&](TObject*) {
    worker = std::thread([&] {
      TThread::Synchronize(nullptr, [&] {
        ranOnGuiThread = IsMainThread();
        mainDisabledMeanwhile = !IsWindowEnabled(main->Handle());
        dialog->SetModalResult(mrOk);
      });
    });
  });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  worker.join();
  EXPECT_TRUE(ranOnGuiThread);
  EXPECT_TRUE(mainDisabledMeanwhile);
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  EXPECT_FALSE(dialog->Visible());
  dialog->OnShow = nullptr;
  EXPECT_THROW({
    dialog->Show();
    dialog->ShowModal();
  }, EInvalidOperation);
}

TEST_F(ControlsTest, CloseQueryAndCloseActions) {
  Watchdog watchdog(20s);
  TForm* form = NewForm();
  form->Show();
  bool allow = false;
  form->OnCloseQuery = TCloseQueryEvent([&](TObject*, bool& canClose) { canClose = allow; });
  TCloseAction chosen = caHide;
  form->OnClose = TCloseEvent([&](TObject*, TCloseAction& action) { action = chosen; });
  form->Close();
  EXPECT_TRUE(form->Visible());
  allow = true;
  form->Close();
  EXPECT_FALSE(form->Visible());
  form->Show();
  chosen = caFree;
  bool destroyed = false;
  form->OnDestroy = TNotifyEvent([&](TObject*) { destroyed = true; });
  form->Close();
  Application->ProcessMessages();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(Screen->FormCount(), 0);
}

TEST_F(ControlsTest, DesignlessFormClassIsReportedAndDesignHookRuns) {
  class TNoDesign : public TForm {
    BRANTWELL_CLASS(TNoDesign, TForm)
   public:
    explicit TNoDesign(TComponent* owner) : TForm(owner) {}
    TNoDesign(TComponent* owner, int dummy) : TForm(owner, dummy) {}
  };
  SetInitInheritedComponentProc(nullptr);
  try {
    TCustomForm::Create<TNoDesign>(Application);
    FAIL() << "no error";
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Resource TNoDesign not found");
  }
  EXPECT_EQ(Screen->FormCount(), 0);
  static TClass seenClass = nullptr;
  SetInitInheritedComponentProc([](TComponent* instance, TClass root) {
    seenClass = instance->ClassType();
    return root == TForm::StaticClass();
  });
  bool created = false;
  auto* form = TCustomForm::Create<TNoDesign>(Application);
  (void)created;
  EXPECT_EQ(seenClass, TNoDesign::StaticClass());
  delete form;
  SetInitInheritedComponentProc(nullptr);
  // CreateNew reads no design.
  EXPECT_NO_THROW(delete TCustomForm::CreateNew<TNoDesign>(nullptr));
}

TEST_F(ControlsTest, TimerFiresOnTheManualClock) {
  Watchdog watchdog(20s);
  platform::testing::UseManualClock(true);
  struct Restore {
    ~Restore() { platform::testing::UseManualClock(false); }
  } restore;
  auto* timer = new TTimer(Application);
  int ticks = 0;
  timer->SetInterval(100);
  timer->SetOnTimer(TNotifyEvent([&](TObject*) { ++ticks; }));
  Application->ProcessMessages();
  EXPECT_EQ(ticks, 0);
  platform::testing::AdvanceClock(100);
  Application->ProcessMessages();
  EXPECT_EQ(ticks, 1);
  timer->SetEnabled(false);
  platform::testing::AdvanceClock(300);
  Application->ProcessMessages();
  EXPECT_EQ(ticks, 1);
}

TEST_F(ControlsTest, ActionsDriveTheirClientsAndRunOnce) {
  TForm* form = NewForm();
  auto* list = new TActionList(form);
  auto* action = new TAction(form);
  action->SetActionList(list);
  int executed = 0;
  action->OnExecute = TNotifyEvent([&](TObject*) { ++executed; });
  action->SetCaption("&Burn");
  auto* probe = new TProbe(form);
  probe->SetParent(form);
  probe->SetAction(action);
  auto* item = new TMenuItem(form);
  item->SetAction(action);
  EXPECT_EQ(probe->Caption(), "&Burn");
  EXPECT_EQ(item->Caption(), "&Burn");
  action->SetEnabled(false);
  EXPECT_FALSE(probe->Enabled());
  EXPECT_FALSE(item->Enabled());
  item->Click();
  EXPECT_EQ(executed, 0);
  action->SetEnabled(true);
  probe->Click();
  item->Click();
  EXPECT_EQ(executed, 2);
  // The list sees the action first and may take it.
  list->OnExecute = TActionEvent2([](TBasicAction*, bool& handled) { handled = true; });
  action->Execute();
  EXPECT_EQ(executed, 2);
  // Freeing the action unlinks its clients.
  delete action;
  EXPECT_EQ(probe->Action(), nullptr);
  EXPECT_EQ(item->Action(), nullptr);
}

TEST_F(ControlsTest, MenuCommandsAndRadioGroupsDispatch) {
  TForm* form = NewForm();
  auto* menu = new TMainMenu(form);
  form->SetMenu(menu);
  auto* file = new TMenuItem(form);
  file->SetCaption("&File");
  menu->Items()->Add(file);
  auto* open = new TMenuItem(form);
  open->SetCaption("&Open");
  open->SetShortCut(ShortCut('O', {ssCtrl}));
  file->Add(open);
  int opened = 0;
  open->OnClick = TNotifyEvent([&](TObject*) { ++opened; });
  EXPECT_EQ(file->Find("open"), open);
  SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(open->Command(), 0), 0);
  EXPECT_EQ(opened, 1);
  open->SetEnabled(false);
  SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(open->Command(), 0), 0);
  EXPECT_EQ(opened, 1);
  // Popup menus answer WM_COMMAND too.
  auto* popup = new TPopupMenu(form);
  auto* small = new TMenuItem(form);
  auto* large = new TMenuItem(form);
  for (TMenuItem* item : {small, large}) {
    item->SetRadioItem(true);
    item->SetGroupIndex(1);
    item->SetAutoCheck(true);
    popup->Items()->Add(item);
  }
  SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(small->Command(), 0), 0);
  EXPECT_TRUE(small->Checked());
  SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(large->Command(), 0), 0);
  EXPECT_TRUE(large->Checked());
  EXPECT_FALSE(small->Checked());
  // Freed items give their command ids back.
  WORD id = small->Command();
  delete small;
  EXPECT_EQ(TMenuItem::FindByCommand(id), nullptr);
  EXPECT_EQ(popup->Items()->Count(), 1);
}

// A form with a coloured window-less control and a double-buffered windowed one, as shown.
TEST_F(ControlsTest, FormPaintsItsControlsThroughTheParent) {
  Watchdog watchdog(20s);
  TForm* form = NewForm();
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 160, 100);
  form->SetColor(RGB(0, 0, 255));
  auto* probe = new TProbe(form);
  probe->SetParent(form);
  probe->SetBounds(10, 10, 40, 20);
  auto* box = new TBox(form);
  box->SetParent(form);
  box->SetBounds(80, 40, 60, 40);
  box->SetColor(RGB(0, 200, 0));
  box->SetDoubleBuffered(true);
  form->Show();
  Application->ProcessMessages();
  form->Update();
  const platform::testing::Image shot = platform::testing::ReadWindow(form->Handle());
  ASSERT_EQ(shot.width, 160);
  auto at = [&](int x, int y) { return shot.pixels[static_cast<size_t>(y) * shot.width + x] & 0xFFFFFF; };
  EXPECT_EQ(at(20, 20), 0xFF0000u);   // the probe's red
  EXPECT_EQ(at(5, 5), 0x0000FFu);     // the form's blue
  EXPECT_EQ(at(100, 60), 0x00C800u);  // the box's green, through its buffer
  platform::testing::SavePng(shot, BRANTWELL_TEST_BIN_DIR "/vcl-form.png");
}

// An error that reaches the application is shown in a message box with the application's
// title; a worker thread's goes to the error stream.
TEST_F(ControlsTest, ShowExceptionAsksInAMessageBox) {
  Watchdog watchdog(20s);
  Application->SetTitle("Brantwell test");
  HWND box = nullptr;
  char caption[64] = {};
  TWindowHook hook = [&](TMessage& m) {
    if (m.Msg == WM_ENTERIDLE && m.WParam == MSGF_DIALOGBOX && !box) {
      box = reinterpret_cast<HWND>(m.LParam);
      GetWindowTextA(box, caption, sizeof caption);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return false;
  };
  Application->HookMainWindow(&hook);
  ::testing::internal::CaptureStderr();
  Application->ShowException(std::make_exception_ptr(EInvalidOperation("The drive is empty")));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  Application->UnhookMainWindow(&hook);
  ASSERT_NE(box, nullptr);
  EXPECT_STREQ(caption, "Brantwell test");
  EXPECT_FALSE(IsWindow(box));

  ::testing::internal::CaptureStderr();
  std::thread([] { Application->ShowException(std::make_exception_ptr(EInvalidOperation("No disc"))); }).join();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Brantwell test: No disc.\n");
}

// A popup menu is built from its items (separators, greyed, checked and radio items,
// submenus, hidden items left out), tracked on its control's form, and the choice clicks the item.
TEST_F(ControlsTest, PopupMenuTracksItsItemsAndClicksTheChoice) {
  Watchdog watchdog(30s);
  TForm* form = NewForm();
  form->SetBounds(100, 100, 300, 200);
  auto* box = new TBox(form);
  box->SetParent(form);
  form->Show();
  Application->ProcessMessages();
  auto* popup = new TPopupMenu(form);
  popup->SetPopupComponent(box);
  auto add = [&](TMenuItem* parent, const char* caption) {
    auto* item = new TMenuItem(form);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
  };
  std::vector<std::string> clicked;
  auto onClick = TNotifyEvent([&](TObject* sender) { clicked.push_back(static_cast<TMenuItem*>(sender)->Caption()); });
  TMenuItem* copy = add(popup->Items(), "&Copy");
  add(popup->Items(), "-");
  TMenuItem* paste = add(popup->Items(), "&Paste");
  paste->SetEnabled(false);
  TMenuItem* hidden = add(popup->Items(), "Secret");
  hidden->SetVisible(false);
  TMenuItem* more = add(popup->Items(), "&More");
  TMenuItem* deep = add(more, "&Deep");
  TMenuItem* small = add(popup->Items(), "&Small");
  TMenuItem* large = add(popup->Items(), "&Large");
  for (TMenuItem* item : {copy, paste, hidden, deep, small, large}) item->OnClick = onClick;
  for (TMenuItem* item : {small, large}) {
    item->SetRadioItem(true);
    item->SetGroupIndex(1);
    item->SetAutoCheck(true);
  }
  large->SetChecked(true);

  std::vector<MenuItemShown> shown;
  std::vector<int> keys;
  bool keysSent = false;
  auto original = form->WindowProc;
  form->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_INITMENUPOPUP && shown.empty())
      shown = ItemsOf(reinterpret_cast<HMENU>(m.WParam));
    if (m.Msg == WM_ENTERIDLE && m.WParam == MSGF_MENU && !keysSent) {
      keysSent = true;
      for (int key : keys) {
        platform::testing::KeyPress(key);
      }
    }
    original(m);
  };

  struct Case {
    const char* name;
    std::vector<int> keys;
    std::vector<std::string> clicked;
  };
  const Case cases[] = {
      {"first item", {VK_DOWN, VK_RETURN}, {"&Copy"}},
      {"radio item from the end", {VK_UP, VK_UP, VK_RETURN}, {"&Small"}},
      {"into the submenu", {VK_UP, VK_UP, VK_UP, VK_RIGHT, VK_RETURN}, {"&Deep"}},
      {"cancelled", {VK_DOWN, VK_ESCAPE}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    keys = c.keys;
    keysSent = false;
    clicked.clear();
    popup->Popup(150, 150);
    Application->ProcessMessages();
    EXPECT_TRUE(keysSent);
    EXPECT_EQ(clicked, c.clicked);
  }
  EXPECT_TRUE(small->Checked());
  EXPECT_FALSE(large->Checked());

  ASSERT_EQ(shown.size(), 6u);
  EXPECT_EQ(shown[0].id, copy->Command());
  EXPECT_EQ(shown[0].text, u"&Copy");
  EXPECT_TRUE(shown[1].type & MFT_SEPARATOR);
  EXPECT_TRUE(shown[2].state & MFS_GRAYED);
  EXPECT_NE(shown[3].submenu, nullptr);
  EXPECT_TRUE(shown[4].type & MFT_RADIOCHECK);
  EXPECT_TRUE(shown[5].state & MFS_CHECKED);
  EXPECT_FALSE(shown[4].state & MFS_CHECKED);
  form->WindowProc = original;
}

}  // namespace

TEST(ScreenDensity, TestsMaySetItAndTheDesktopStaysAt96) {
  EXPECT_EQ(Screen->PixelsPerInch(), 96);
  Screen->SetPixelsPerInch(144);
  EXPECT_EQ(Screen->PixelsPerInch(), 144);
  Screen->SetPixelsPerInch(0);
  EXPECT_EQ(Screen->PixelsPerInch(), 96) << "no density is the desktop's";
}
