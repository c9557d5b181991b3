// The self-drawn frame's protocol: hit testing against the skin's metrics, the client area the
// frame leaves, the modal loop that disables only the owner, message boxes centred on their
// form, redraw switched off around border sizing, and maximizing into a work area.

#include <gtest/gtest.h>

#include "SkinFormTestSupport.h"
#include "platform/user/Taskbar.h"
#include "vcl/GraphicControl.h"

using namespace skin_form_test;
using platform::testing::RunUntilIdle;

namespace {

using BaseForm = SkinFormFixture;

// A form that records the WM_SETREDRAW it gets and runs a step when WM_APP arrives.
class TProbeForm : public TSkinForm {
  BRANTWELL_CLASS(TProbeForm, TSkinForm)
 public:
  using TSkinForm::TSkinForm;
  std::vector<WPARAM> redraws;
  std::function<void()> onApp;

 protected:
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_SETREDRAW) redraws.push_back(m.WParam);
    if (m.Msg == WM_APP && onApp) {
      onApp();
      return;
    }
    inherited::Dispatch(m);
  }
};

class TCaptionLabel : public TGraphicControl {
  BRANTWELL_CLASS(TCaptionLabel, TGraphicControl)
 public:
  using TGraphicControl::TGraphicControl;
};

TEST_F(BaseForm, HitTestFollowsTheSkinFrame) {
  TSkinForm* form = ShowForm();
  ASSERT_TRUE(form->IsSkinActive());
  form->NCMetrics()->BeginUpdate();
  form->NCMetrics()->SetTop(3);
  form->NCMetrics()->SetCaptionHeight(27);
  form->NCMetrics()->EndUpdate();
  form->UpdateNonClient(true);
  const int w = form->Width(), h = form->Height();
  struct Case {
    int x, y;
    LRESULT hit;
    const char* what;
  } cases[] = {
      {2, 2, HTTOPLEFT, "corner"},
      {2, 3, HTLEFT, "the side wins over the caption band"},
      {10, 3, HTCAPTION, "first row of the band"},
      {10, 29, HTCAPTION, "last row of the band"},
      {10, 31, HTCLIENT, "client area keeps the default"},
      {w - 2, h - 2, HTBOTTOMRIGHT, "corner"},
      {w / 2, h - 2, HTBOTTOM, "bottom border"},
      {w - 10, 12, HTCLOSE, "close button"},
      {w - 28, 12, HTMAXBUTTON, "maximize button"},
      {w - 46, 12, HTMINBUTTON, "minimize button"},
      {12, 14, HTSYSMENU, "system-menu icon"},
  };
  for (const Case& c : cases) EXPECT_EQ(HitTest(form, c.x, c.y), c.hit) << c.what << " at " << c.x << "," << c.y;

  form->CloseButton()->SetEnabled(false);
  EXPECT_EQ(HitTest(form, w - 10, 12), HTCAPTIONBUTTON) << "a disabled button";
  form->SysMenuIcon()->SetEnabled(false);
  EXPECT_EQ(HitTest(form, 12, 14), HTCAPTION) << "a disabled icon is caption";

  ShowWindow(form->Handle(), SW_MAXIMIZE);
  RunUntilIdle();
  const LRESULT maximized = HitTest(form, 4, 150);
  EXPECT_FALSE(maximized >= HTLEFT && maximized <= HTBOTTOMRIGHT) << "a maximized form has no sizing borders: " << maximized;
}

TEST_F(BaseForm, AGraphicControlInTheCaptionBandOfABorderlessFormTakesTheClick) {
  TSkinForm* form = ShowForm(bsNone);
  form->NCMetrics()->SetCaptionHeight(24);
  auto* label = new TCaptionLabel(form);
  label->SetParent(form);
  label->SetBounds(50, 2, 40, 16);
  EXPECT_EQ(HitTest(form, 20, 10), HTCAPTION) << "the top rows of a borderless form act as its caption";
  EXPECT_EQ(HitTest(form, 60, 10), HTCLIENT);
  label->SetEnabled(false);
  EXPECT_EQ(HitTest(form, 60, 10), HTCAPTION);
}

TEST_F(BaseForm, TheClientAreaIsWhatTheSkinFrameLeaves) {
  TSkinForm* form = ShowForm(bsSizeable, 400, 300);
  RECT client{};
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 400 - 5 - 5);
  EXPECT_EQ(client.bottom, 300 - 30 - 5);
  const TPoint origin = form->ClientToWindow(TPoint(0, 0));
  EXPECT_EQ(origin, TPoint(5, 30));
  EXPECT_EQ(form->WindowToClient(TPoint(5, 30)), TPoint(0, 0));

  form->SetSkinEnabled(false);
  RunUntilIdle();
  RECT classic{};
  GetClientRect(form->Handle(), &classic);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(form->Handle(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE)));
  EXPECT_EQ(classic.right, form->Width() - (frame.right - frame.left)) << "without the skin the system frame is back";
}

TEST_F(BaseForm, TaskIconGivesAShownFormItsOwnTaskBarButtonAndTakesItAway) {
  TSkinForm* form = ShowForm();
  ASSERT_EQ(GetWindow(form->Handle(), GW_OWNER), Application->Handle());
  EXPECT_FALSE(platform::HasTaskbarButton(form->Handle())) << "owned by the application window";
  form->SetTaskIcon(true);
  EXPECT_TRUE(platform::HasTaskbarButton(form->Handle()));
  EXPECT_NE(GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
  form->SetTaskIcon(false);
  EXPECT_FALSE(platform::HasTaskbarButton(form->Handle()));
  EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), Application->Handle()) << "back with the application window";
}

TEST_F(BaseForm, ShowModalDisablesOnlyItsOwner) {
  TSkinForm* owner = ShowForm();
  TSkinForm* other = ShowForm();
  auto* dialog = MakeForm<TProbeForm>(bsSingle, 200, 120);
  SetActiveWindow(owner->Handle());
  bool ownerEnabled = true, otherEnabled = false;
  dialog->onApp = [&] {
    ownerEnabled = IsWindowEnabled(owner->Handle());
    otherEnabled = IsWindowEnabled(other->Handle());
    dialog->SetModalResult(mrOk);
  };
  dialog->OnShow = TNotifyEvent([&](TObject*) { PostMessageW(dialog->Handle(), WM_APP, 0, 0); });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(GetWindow(dialog->Handle(), GW_OWNER), owner->Handle()) << "the active window owns the modal form";
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(otherEnabled) << "other windows stay usable";
  EXPECT_TRUE(IsWindowEnabled(owner->Handle())) << "the owner is enabled again";
  EXPECT_THROW(other->ShowModal(), EInvalidOperation) << "a visible form cannot be made modal";
}

TEST_F(BaseForm, AMessageBoxOfTheFormIsCentredOnItOnce) {
  TSkinForm* form = ShowForm(bsSizeable, 400, 300);
  WNDCLASSA dialogClass{};
  if (!GetClassInfoA(nullptr, "#32770", &dialogClass)) {
    dialogClass.lpfnWndProc = DefWindowProcA;
    dialogClass.lpszClassName = "#32770";
    RegisterClassA(&dialogClass);
  }
  HWND box = CreateWindowExA(0, "#32770", "Question", WS_POPUP | WS_CAPTION, 0, 0, 200, 100, form->Handle(), nullptr,
                             nullptr, nullptr);
  ASSERT_NE(box, nullptr);
  SendMessageW(form->Handle(), WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(box));
  RECT r{};
  GetWindowRect(box, &r);
  EXPECT_EQ(r.left, 100 + (400 - 200) / 2);
  EXPECT_EQ(r.top, 80 + (300 - 100) / 2);
  SetWindowPos(box, nullptr, 7, 9, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(form->Handle(), WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(box));
  GetWindowRect(box, &r);
  EXPECT_EQ(r.left, 7) << "a second activation of the same box leaves it where it is";
  DestroyWindow(box);
}

TEST_F(BaseForm, RedrawIsOffWhileTheBorderIsPressedAndOnWhenSizingStarts) {
  auto* form = ShowForm<TProbeForm>(bsSizeable, 400, 300);
  form->redraws.clear();
  platform::testing::Drag(At(form, 399 - 1, 150), At(form, 440, 150), 4);
  RunUntilIdle();
  ASSERT_GE(form->redraws.size(), 2u);
  EXPECT_EQ(form->redraws[0], 0u) << "off at the press";
  EXPECT_EQ(form->redraws[1], 1u) << "on again once the size loop starts";
  EXPECT_FALSE(form->RedrawOff());
  EXPECT_GT(form->Width(), 400) << "the border sized the window";
}

TEST_F(BaseForm, MaximizingFillsAWorkAreaThatDoesNotStartAtTheOrigin) {
  RECT saved{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &saved, 0);
  RECT work{saved.left + 60, saved.top + 40, saved.right - 20, saved.bottom - 30};
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0));
  TSkinForm* form = ShowForm(bsSizeable, 400, 300);
  const TNCMetrics* sys = form->SystemMetrics();
  MINMAXINFO info{};
  SendMessageW(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMaxSize.x, (work.right - work.left) + sys->Left() + sys->Right());
  EXPECT_EQ(info.ptMaxSize.y, (work.bottom - work.top) + sys->Top() + sys->Bottom());

  ShowWindow(form->Handle(), SW_MAXIMIZE);
  RunUntilIdle();
  RECT r{};
  GetWindowRect(form->Handle(), &r);
  EXPECT_EQ(r.left, work.left - sys->Left());
  EXPECT_EQ(r.top, work.top - sys->Top());
  EXPECT_EQ(r.right, work.right + sys->Right());
  EXPECT_EQ(r.bottom, work.bottom + sys->Bottom());
  EXPECT_FALSE(form->MaxButton()->Visible()) << "maximize and restore swap";
  EXPECT_TRUE(form->RestoreButton()->Visible());
  SystemParametersInfoW(SPI_SETWORKAREA, 0, &saved, 0);
}

TEST_F(BaseForm, TheFrameIsPaintedFromTheSkinInItsActiveAndInactiveLooks) {
  TSkinForm* form = ShowForm(bsSizeable, 400, 300);
  SendMessageW(form->Handle(), WM_NCACTIVATE, TRUE, 0);
  RunUntilIdle();
  auto image = platform::testing::ReadWindow(form->Handle(), true);
  ASSERT_EQ(image.width, 400);
  EXPECT_EQ(image.At(200, 2) & 0xFFFFFF, kActiveFrame);
  EXPECT_EQ(image.At(2, 150) & 0xFFFFFF, kActiveFrame);
  EXPECT_EQ(image.At(400 - 10, 12) & 0xFFFFFF, kButtonNormal) << "the close button";
  SendMessageW(form->Handle(), WM_NCACTIVATE, FALSE, 0);
  RunUntilIdle();
  image = platform::testing::ReadWindow(form->Handle(), true);
  EXPECT_EQ(image.At(200, 2) & 0xFFFFFF, kInactiveFrame);
  EXPECT_FALSE(form->RestoreButton()->Visible());
}

}  // namespace
