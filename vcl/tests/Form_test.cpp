// Forms on the headless window manager: what their form files hold, the window's icon and
// layered attributes, the owner a popup mode gives, the create order, the window state
// reported to Resizing, keeping a form on its monitor, and the form's own scroll bars.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "platform/user/Icons.h"
#include "platform/user/PaintApi.h"
#include "platform/user/ScrollBars.h"
#include "platform/user/SystemParams.h"
#include "vcl/Application.h"
#include "vcl/GraphicControl.h"
#include "vcl/HintWindow.h"
#include "vcl/Icon.h"
#include "vcl/Reader.h"
#include "vcl/Screen.h"
#include "vcl/Writer.h"

namespace {

using namespace std::chrono_literals;
using platform::testing::Watchdog;

class FormTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetInitInheritedComponentProc(nullptr);
    DoneApplication();
  }
};

TForm* NewForm() { return TCustomForm::CreateNew<TForm>(Application); }

RawByteString WriteForm(TComponent* root) {
  TStringStream stream;
  {
    TWriter writer(&stream, 4096);
    writer.WriteRootComponent(root);
  }
  return stream.DataString();
}

void ReadForm(const RawByteString& data, TComponent* root) {
  TStringStream stream(data);
  TReader reader(&stream, 4096);
  reader.ReadRootComponent(root);
}

// A 16 x 16 icon of one colour.
std::unique_ptr<TIcon> SolidIcon(TColor color) {
  TBitmap picture(16, 16, pf24bit);
  picture.Canvas()->Brush()->SetColor(color);
  picture.Canvas()->FillRect(Rect(0, 0, 16, 16));
  auto icon = std::make_unique<TIcon>();
  icon->SetBitmaps(&picture, nullptr);
  return icon;
}

HICON ShownIcon(HWND window) { return reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0)); }

TEST_F(FormTest, SizeGoesToTheFormFileAsWindowOrClientSize) {
  struct Case {
    const char* name;
    bool autoScroll;
    int horizontalRange;
    int verticalRange;
    bool windowSizeStored;
  };
  const Case cases[] = {
      {"auto scroll", true, 0, 0, true},
      {"no scrolling", false, 0, 0, false},
      {"a horizontal range", false, 400, 0, true},
      {"a vertical range", false, 0, 300, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TForm* form = NewForm();
    form->SetAutoScroll(c.autoScroll);
    if (c.horizontalRange) form->HorzScrollBar()->SetRange(c.horizontalRange);
    if (c.verticalRange) form->VertScrollBar()->SetRange(c.verticalRange);
    for (const char* name : {"Width", "Height"}) EXPECT_EQ(IsStoredProp(form, GetPropInfo(form, name)), c.windowSizeStored) << name;
    for (const char* name : {"ClientWidth", "ClientHeight"})
      EXPECT_EQ(IsStoredProp(form, GetPropInfo(form, name)), !c.windowSizeStored) << name;
    delete form;
  }
}

TEST_F(FormTest, NewPropertiesRoundTripThroughAFormStream) {
  TForm* source = NewForm();
  source->SetName("Source");
  source->SetBorderStyle(bsDialog);
  source->SetAutoScroll(false);
  source->SetClientWidth(333);
  source->SetClientHeight(222);
  source->Icon()->Assign(SolidIcon(clRed).get());
  source->SetAlphaBlend(true);
  source->SetAlphaBlendValue(128);
  source->SetTransparentColor(true);
  source->SetTransparentColorValue(clFuchsia);
  source->SetPopupMode(pmAuto);
  source->SetSnapBuffer(20);
  source->SetOldCreateOrder(true);
  source->HorzScrollBar()->SetIncrement(16);  // "HorzScrollBar.Increment": a name past 21 characters
  source->HorzScrollBar()->SetVisible(false);

  const RawByteString data = WriteForm(source);
  TForm* target = NewForm();
  ReadForm(data, target);
  EXPECT_EQ(target->BorderStyle(), bsDialog);
  EXPECT_EQ(target->ClientWidth(), 333);
  EXPECT_EQ(target->ClientHeight(), 222);
  EXPECT_FALSE(target->AutoScroll());
  EXPECT_EQ(target->Icon()->Width(), 16);
  ASSERT_NE(target->Icon()->ColorBitmap(), nullptr);
  EXPECT_EQ(target->Icon()->ColorBitmap()->Canvas()->Pixels(8, 8), clRed);
  EXPECT_TRUE(target->AlphaBlend());
  EXPECT_EQ(target->AlphaBlendValue(), 128);
  EXPECT_TRUE(target->TransparentColor());
  EXPECT_EQ(target->TransparentColorValue(), clFuchsia);
  EXPECT_EQ(target->PopupMode(), pmAuto);
  EXPECT_EQ(target->SnapBuffer(), 20);
  EXPECT_TRUE(target->OldCreateOrder());
  EXPECT_EQ(target->HorzScrollBar()->Increment(), 16);
  EXPECT_FALSE(target->HorzScrollBar()->Visible());

  // A form file that names the border after the client size keeps the client size.
  auto shortString = [](const std::string& text) { return std::string(1, char(text.size())) + text; };
  std::string stream = "TPF0" + shortString("TForm") + shortString("Late");
  stream += shortString("ClientWidth") + std::string("\x03\x4d\x01", 3);  // 333 as a 16-bit value
  stream += shortString("BorderStyle") + "\x07" + shortString("bsSizeable");
  stream += std::string(2, '\0');
  TForm* late = NewForm();
  late->SetBorderStyle(bsNone);
  ReadForm(RawByteString(stream), late);
  EXPECT_EQ(late->BorderStyle(), bsSizeable);
  EXPECT_EQ(late->ClientWidth(), 333);

  // Defaults stay out of the stream.
  TForm* plain = NewForm();
  plain->SetName("Plain");
  const RawByteString plainData = WriteForm(plain);
  for (const char* name : {"AlphaBlend", "SnapBuffer", "PopupMode", "OldCreateOrder", "AutoScroll", "TransparentColor"})
    EXPECT_EQ(plainData.find(name), RawByteString::npos) << name;
}

TEST_F(FormTest, LayeredAttributesFollowAlphaBlendAndTransparentColor) {
  TForm* form = NewForm();
  form->SetAlphaBlendValue(100);
  form->SetAlphaBlend(true);  // before the window exists: applied when it is made
  HWND window = form->Handle();
  auto attributes = [&] {
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(window, &key, &alpha, &flags));
    return std::tuple{key, alpha, flags};
  };
  auto layered = [&] { return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; };
  EXPECT_TRUE(layered());
  EXPECT_EQ(std::get<1>(attributes()), 100);
  EXPECT_EQ(std::get<2>(attributes()), LWA_ALPHA);

  form->SetTransparentColorValue(clRed);
  form->SetTransparentColor(true);
  EXPECT_EQ(attributes(), std::tuple(COLORREF(RGB(255, 0, 0)), BYTE(100), DWORD(LWA_ALPHA | LWA_COLORKEY)));
  form->SetAlphaBlend(false);
  EXPECT_EQ(std::get<2>(attributes()), LWA_COLORKEY);
  EXPECT_TRUE(layered());
  form->SetTransparentColor(false);
  EXPECT_FALSE(layered());
  form->SetAlphaBlend(true);
  form->RecreateWnd();
  window = form->Handle();
  EXPECT_TRUE(layered());
}

TEST_F(FormTest, WindowIconIsTheFormsElseTheApplicationsElseTheSystems) {
  TForm* form = NewForm();
  const HICON system = LoadIconW(nullptr, IDI_APPLICATION);
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(ShownIcon(form->Handle()), system);
  EXPECT_EQ(ShownIcon(Application->Handle()), system);

  Application->Icon()->Assign(SolidIcon(clBlue).get());
  const HICON application = Application->Icon()->Handle();
  ASSERT_NE(application, nullptr);
  EXPECT_EQ(ShownIcon(Application->Handle()), application);
  EXPECT_EQ(ShownIcon(form->Handle()), application);

  form->Icon()->Assign(SolidIcon(clLime).get());
  ASSERT_NE(form->Icon()->Handle(), nullptr);
  EXPECT_EQ(ShownIcon(form->Handle()), form->Icon()->Handle());
  // The icon handle is a real icon of the window manager.
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(form->Icon()->Handle(), &info));
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);

  form->Icon()->Assign(nullptr);
  EXPECT_EQ(ShownIcon(form->Handle()), application);
}

TEST_F(FormTest, OldCreateOrderRunsOnCreateRightAfterTheDesign) {
  static std::vector<std::string> steps;
  class TOrderForm : public TForm {
    BRANTWELL_CLASS(TOrderForm, TForm)
   public:
    explicit TOrderForm(TComponent* owner) : TForm(owner) {}
    void Created(TObject*) { steps.push_back("OnCreate"); }
    void AfterConstruction() override {
      steps.push_back("AfterConstruction");
      inherited::AfterConstruction();
    }
  };
  for (bool oldOrder : {false, true}) {
    SCOPED_TRACE(oldOrder ? "old order" : "new order");
    steps.clear();
    static bool useOldOrder;
    useOldOrder = oldOrder;
    SetInitInheritedComponentProc([](TComponent* instance, TClass) {
      auto* form = static_cast<TOrderForm*>(instance);
      steps.push_back("design");
      form->SetOldCreateOrder(useOldOrder);
      form->OnCreate = TNotifyEvent(form, &TOrderForm::Created);
      return true;
    });
    delete TCustomForm::Create<TOrderForm>(Application);
    const std::vector<std::string> expected =
        oldOrder ? std::vector<std::string>{"design", "OnCreate", "AfterConstruction"}
                 : std::vector<std::string>{"design", "AfterConstruction", "OnCreate"};
    EXPECT_EQ(steps, expected);
  }
}

TEST_F(FormTest, ResizingHearsEachWindowStateOnce) {
  class TStateForm : public TForm {
    BRANTWELL_CLASS(TStateForm, TForm)
   public:
    using TForm::TForm;
    std::vector<TWindowState> states;

   protected:
    void Resizing(TWindowState state) override {
      states.push_back(state);
      inherited::Resizing(state);
    }
  };
  auto* form = TCustomForm::CreateNew<TStateForm>(Application);
  form->SetWindowState(wsMaximized);
  form->Show();  // the size the hidden window had at its creation is not a state
  ASSERT_FALSE(form->states.empty());
  EXPECT_EQ(form->states.front(), wsMaximized);
  form->states.clear();
  for (TWindowState state : {wsMinimized, wsMaximized, wsNormal, wsMinimized, wsNormal}) {
    form->SetWindowState(state);
    ASSERT_FALSE(form->states.empty());
    EXPECT_EQ(form->states.back(), state);
    EXPECT_EQ(form->WindowState(), state);
  }
}

TEST_F(FormTest, MakeFullyVisibleKeepsTheFormInTheWorkArea) {
  RECT saved{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &saved, 0));
  RECT area{100, 50, 900, 650};  // a panel on the left and one on top
  ASSERT_TRUE(SystemParametersInfoA(SPI_SETWORKAREA, 0, &area, 0));
  struct Case {
    TRect bounds;
    TPoint expected;
  };
  const Case cases[] = {
      {Bounds(300, 200, 200, 100), {300, 200}},  // inside: untouched
      {Bounds(850, 600, 200, 100), {700, 550}},  // past the right and bottom edges
      {Bounds(-40, 0, 200, 100), {100, 50}},     // under the panels
      {Bounds(500, 100, 1000, 700), {100, 50}},  // larger than the area: its corner shows
  };
  TForm* form = NewForm();
  form->HandleNeeded();
  for (const Case& c : cases) {
    form->SetBoundsRect(c.bounds);
    form->MakeFullyVisible();
    EXPECT_EQ(TPoint(form->Left(), form->Top()), c.expected);
  }
  EXPECT_EQ(form->Monitor(), Screen->Monitors(0));
  EXPECT_EQ(form->Monitor()->WorkareaRect(), TRect(area));
  SystemParametersInfoA(SPI_SETWORKAREA, 0, &saved, 0);
}

TEST_F(FormTest, PopupModesChooseTheOwnerAndModalFormsTakeTheFocusedFormPlace) {
  Watchdog watchdog(30s);
  TForm* main = NewForm();
  Application->SetMainForm(main);
  main->Show();
  TForm* tools = NewForm();
  tools->Show();
  Screen->SetActiveForm(tools);
  Screen->SetFocusedForm(tools);
  auto owner = [](TForm* form) { return GetWindow(form->Handle(), GW_OWNER); };

  TForm* plain = NewForm();
  EXPECT_EQ(owner(plain), main->Handle());
  TForm* automatic = NewForm();
  automatic->SetPopupMode(pmAuto);
  EXPECT_EQ(owner(automatic), tools->Handle());
  automatic->SetPopupMode(pmExplicit);
  EXPECT_EQ(owner(automatic), main->Handle());

  // A modal form without a mode of its own follows the application's while it shows.
  Application->SetModalPopupMode(pmAuto);
  HWND ownerMeanwhile = nullptr;
  TCustomForm* focusedMeanwhile = nullptr;
  plain->OnShow = TNotifyEvent([&](TObject*) {
    ownerMeanwhile = owner(plain);
    focusedMeanwhile = Screen->FocusedForm();
    plain->SetModalResult(mrOk);
    PostMessageA(Application->Handle(), WM_NULL, 0, 0);
  });
  EXPECT_EQ(plain->ShowModal(), mrOk);
  EXPECT_EQ(ownerMeanwhile, tools->Handle());
  EXPECT_EQ(focusedMeanwhile, plain);
  EXPECT_EQ(owner(plain), main->Handle());
  EXPECT_EQ(Screen->FocusedForm(), tools);
  EXPECT_EQ(Screen->SavedFocusedFormCount(), 0);
}

TEST_F(FormTest, FocusedFormStackForgetsFreedForms) {
  TForm* first = NewForm();
  TForm* second = NewForm();
  Screen->SetFocusedForm(first);
  Screen->PushFocusedForm(second);
  EXPECT_EQ(Screen->FocusedForm(), second);
  delete first;  // its place in the stack must not dangle
  Screen->PopFocusedForm();
  EXPECT_EQ(Screen->FocusedForm(), nullptr);
  Screen->PopFocusedForm();  // popping an empty stack leaves no focused form
  EXPECT_EQ(Screen->FocusedForm(), nullptr);
  Screen->PushFocusedForm(second);
  delete second;
  EXPECT_EQ(Screen->FocusedForm(), nullptr);
}

// A window-less control that stands where it is put.
class TBlock : public TGraphicControl {
  BRANTWELL_CLASS(TBlock, TGraphicControl)
 public:
  using TGraphicControl::TGraphicControl;
};

TEST_F(FormTest, ScrollBarsShowForTheirRangeAndScrollTheControls) {
  TForm* form = NewForm();
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 200, 150);
  HWND window = form->Handle();
  auto style = [&] { return GetWindowLongPtrA(window, GWL_STYLE); };
  auto* block = new TBlock(form);
  block->SetParent(form);
  block->SetBounds(10, 300, 50, 20);

  TControlScrollBar* vertical = form->VertScrollBar();
  EXPECT_EQ(vertical->Range(), 320);
  EXPECT_TRUE(vertical->IsScrollBarVisible());
  EXPECT_TRUE(style() & WS_VSCROLL);
  EXPECT_FALSE(style() & WS_HSCROLL);
  EXPECT_EQ(form->ClientHeight(), 150);
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(window, SB_VERT, &info));
  EXPECT_EQ(info.nMax, 319);
  EXPECT_EQ(info.nPage, 150u);

  struct Step {
    WORD code;
    int position;
  };
  const Step steps[] = {
      {SB_LINEDOWN, 8}, {SB_PAGEDOWN, 158}, {SB_PAGEDOWN, 170}, {SB_LINEUP, 162}, {SB_TOP, 0}, {SB_BOTTOM, 170},
  };
  for (const Step& step : steps) {
    SendMessageA(window, WM_VSCROLL, MAKEWPARAM(step.code, 0), 0);
    EXPECT_EQ(vertical->Position(), step.position) << step.code;
    EXPECT_EQ(block->Top(), 300 - step.position) << step.code;
    EXPECT_EQ(GetScrollPos(window, SB_VERT), step.position);
  }
  // The control comes back into the client area: the bar goes and the controls move back.
  block->SetTop(100 - vertical->Position());
  EXPECT_FALSE(vertical->IsScrollBarVisible());
  EXPECT_FALSE(style() & WS_VSCROLL);
  EXPECT_EQ(vertical->Position(), 0);
  EXPECT_EQ(block->Top(), 100);

  // A range of its own: no automatic range any more.
  form->HorzScrollBar()->SetRange(1000);
  EXPECT_FALSE(form->AutoScroll());
  EXPECT_TRUE(style() & WS_HSCROLL);
  EXPECT_EQ(form->VertScrollBar()->Range(), 120);  // kept from the last automatic range
  form->HorzScrollBar()->SetPosition(5000);
  EXPECT_EQ(form->HorzScrollBar()->Position(), 800);
  EXPECT_EQ(block->Left(), 10 - 800);
  form->HorzScrollBar()->SetRange(0);
  EXPECT_FALSE(style() & WS_HSCROLL);
  EXPECT_EQ(block->Left(), 10);
  EXPECT_THROW(form->HorzScrollBar()->SetIncrement(0), EInvalidOperation);

  // A window made anew gets its bars again.
  form->VertScrollBar()->SetRange(400);
  form->VertScrollBar()->SetPosition(30);
  form->RecreateWnd();
  window = form->Handle();
  EXPECT_TRUE(style() & WS_VSCROLL);
  EXPECT_EQ(GetScrollPos(window, SB_VERT), 30);
}

}  // namespace

namespace {

// A form whose caption shows two hint areas, as caption buttons would: "Minimize" over
// x 0..99 and "Close" over x 100..199 of the caption; its client area has no hint.
class TCaptionHintForm : public TForm {
  BRANTWELL_CLASS(TCaptionHintForm, TForm)
 public:
  using TForm::TForm;

 protected:
  void CMHintShow(TMessage& m) override {
    auto* info = reinterpret_cast<THintInfo*>(m.LParam);
    if (info->CursorPos.Y < 0 && info->CursorPos.X >= 0 && info->CursorPos.X < 200) {
      const bool left = info->CursorPos.X < 100;
      info->HintStr = left ? "Minimize" : "Close";
      info->CursorRect = left ? Rect(0, -20, 100, 0) : Rect(100, -20, 200, 0);
    }
    inherited::CMHintShow(m);
  }
};

TEST_F(FormTest, HintMouseMessageShowsHintsForPartsOfACaption) {
  Watchdog watchdog(20s);
  platform::testing::UseManualClock(true);
  struct Restore {
    ~Restore() { platform::testing::UseManualClock(false); }
  } restore;
  auto* form = TCustomForm::CreateNew<TCaptionHintForm>(Application);
  form->SetBounds(100, 100, 300, 200);
  form->SetShowHint(true);
  form->Show();
  POINT origin{0, 0};
  ClientToScreen(form->Handle(), &origin);
  EXPECT_EQ(form->ClientOrigin(), TPoint(origin.x, origin.y));  // a top-level form has no parent to ask
  auto moveTo = [&](int x, int y) {
    const TPoint screen = form->ClientToScreen({x, y});
    SetCursorPos(screen.X, screen.Y);
    TMessage move{WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(x, y), 0};
    Application->HintMouseMessage(form, move);
    Application->ProcessMessages();
  };
  auto shown = [&]() -> AnsiString { return Application->HintShowing() ? Application->HintWindow()->Caption() : AnsiString("(none)"); };

  moveTo(50, -10);
  EXPECT_EQ(shown(), "(none)");
  platform::testing::AdvanceClock(Application->HintPause());
  Application->ProcessMessages();
  EXPECT_EQ(shown(), "Minimize");

  moveTo(60, -12);  // within the same part: the hint stays
  EXPECT_EQ(shown(), "Minimize");

  moveTo(150, -10);  // the next part: its hint follows after the short pause
  EXPECT_EQ(shown(), "(none)");
  platform::testing::AdvanceClock(Application->HintShortPause());
  Application->ProcessMessages();
  EXPECT_EQ(shown(), "Close");

  // Moving over the frame does not take the hint away; a press on it does.
  PostMessageA(form->Handle(), WM_NCMOUSEMOVE, HTCAPTION, 0);
  Application->ProcessMessages();
  EXPECT_EQ(shown(), "Close");
  PostMessageA(form->Handle(), WM_NCLBUTTONDOWN, HTNOWHERE, 0);  // no move loop
  Application->ProcessMessages();
  EXPECT_EQ(shown(), "(none)");

  // A part without a hint shows nothing, and without ShowHint nothing starts at all.
  moveTo(250, -10);
  platform::testing::AdvanceClock(Application->HintPause());
  Application->ProcessMessages();
  EXPECT_EQ(shown(), "(none)");
  form->SetShowHint(false);
  moveTo(50, -10);
  platform::testing::AdvanceClock(Application->HintPause());
  Application->ProcessMessages();
  EXPECT_EQ(shown(), "(none)");
}

}  // namespace

TEST_F(FormTest, APlainHintWindowHoldsEveryLineOfItsMeasuredText) {
  auto hint = std::make_unique<THintWindow>(nullptr);
  const AnsiString text = "A first line of hint\nand a second one";
  const TRect measured = hint->CalcHintRect(300, text);
  hint->ActivateHint(TRect(40, 40, 40 + measured.Width(), 40 + measured.Height()), text);
  RECT client{};
  GetClientRect(hint->Handle(), &client);
  // The paint insets the text by 2 pixels on each side; the text measured is 2 less than the
  // measured rectangle.
  EXPECT_GE(client.bottom - 4, measured.Height() - 2);
  EXPECT_GE(client.right - 4, measured.Width() - 6);
  hint->ReleaseHandle();
}

namespace {

// A control that counts the system-colour changes it is told of.
class TSysColorCounter : public TGraphicControl {
 public:
  explicit TSysColorCounter(TComponent* owner) : TGraphicControl(owner) {}
  int changes = 0;

 protected:
  void CMSysColorChange(TMessage& m) override {
    ++changes;
    TGraphicControl::CMSysColorChange(m);
  }
};

// The program losing and regaining the desktop's activation reaches the application:
// Active, its events, and CM_DEACTIVATE / CM_ACTIVATE posted to its window.
TEST_F(FormTest, ApplicationFollowsTheDesktopActivation) {
  TForm* form = NewForm();
  form->Show();
  platform::testing::RunUntilIdle();
  std::vector<std::string> seen;
  Application->OnActivate = [&](TObject*) { seen.push_back("activate"); };
  Application->OnDeactivate = [&](TObject*) { seen.push_back("deactivate"); };
  EXPECT_TRUE(Application->Active());
  platform::testing::SimulateDesktopActivation(false);
  EXPECT_FALSE(Application->Active());
  EXPECT_FALSE(form->Active());
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, Application->Handle(), CM_DEACTIVATE, CM_DEACTIVATE, PM_REMOVE));
  platform::testing::SimulateDesktopActivation(true);
  EXPECT_TRUE(Application->Active());
  EXPECT_TRUE(form->Active());
  EXPECT_TRUE(PeekMessageA(&msg, Application->Handle(), CM_ACTIVATE, CM_ACTIVATE, PM_REMOVE));
  EXPECT_EQ(seen, (std::vector<std::string>{"deactivate", "activate"}));
  Application->OnActivate = nullptr;
  Application->OnDeactivate = nullptr;
}

// A change of the system colours tells every control of every form once, shown or not.
TEST_F(FormTest, SystemColourChangeReachesEveryFormOnce) {
  TForm* shown = NewForm();
  TForm* hidden = NewForm();
  auto* a = new TSysColorCounter(shown);
  a->SetParent(shown);
  auto* b = new TSysColorCounter(hidden);
  b->SetParent(hidden);
  shown->Show();
  Application->Handle();
  platform::testing::RunUntilIdle();
  const int colors[] = {COLOR_BTNFACE};
  const COLORREF values[] = {GetSysColor(COLOR_BTNFACE)};
  ASSERT_TRUE(SetSysColors(1, colors, values));
  platform::testing::RunUntilIdle();
  EXPECT_EQ(a->changes, 1);
  EXPECT_EQ(b->changes, 1);
}

}  // namespace
