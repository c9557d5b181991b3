// The skinned form: metrics from the frame part, the inner client rectangle of an extended
// frame, the window shape, the caption text, a design read from a form file, a skin change
// reaching every control, items without a frame, and the published caption buttons.

#include <gtest/gtest.h>

#include <stdlib.h>

#include "SkinFormTestSupport.h"
#include "program/core/FSXMLPersistent.h"
#include "platform/testing/Synthetic.h"
#include "program/skin/FSHintWindow.h"
#include "vcl/GraphicControl.h"
#include "vcl/Icon.h"

using namespace skin_form_test;
using platform::testing::RunUntilIdle;

namespace {

using SkinForms = SkinFormFixture;

// A form that exposes its shape.
class TShapeForm : public TSkinForm {
  BRANTWELL_CLASS(TShapeForm, TSkinForm)
 public:
  using TSkinForm::TSkinForm;
  HRGN Shape() { return CreateFormRegion(); }
};

// A control that counts the skin changes it hears.
class TSkinListener : public TCustomControl {
  BRANTWELL_CLASS(TSkinListener, TCustomControl)
 public:
  using TCustomControl::TCustomControl;
  int changes = 0;

 protected:
  void Dispatch(TMessage& m) override {
    if (m.Msg == CM_SKINCHANGED) ++changes;
    inherited::Dispatch(m);
  }
};

class TDesignedForm : public TSkinForm {
  BRANTWELL_CLASS(TDesignedForm, TSkinForm)
 public:
  using TSkinForm::TSkinForm;
  static void DescribeClass(TClassBuilder<TDesignedForm>& c) { c.Field("Panel", &TDesignedForm::Panel); }
  TSkinListener* Panel = nullptr;
};

class TUndesignedForm : public TSkinForm {
  BRANTWELL_CLASS(TUndesignedForm, TSkinForm)
 public:
  using TSkinForm::TSkinForm;
};

TEST_F(SkinForms, FrameMarginsGiveTheMetricsAboveTheSystemFrame) {
  struct Case {
    TFormBorderStyle style;
    int top, caption;
  } cases[] = {{bsSingle, 3, 27}, {bsSizeable, 4, 26}};
  for (const Case& c : cases) {
    TSkinForm* form = MakeForm(c.style);
    ASSERT_EQ(form->SystemMetrics()->Top(), c.top) << "the system frame's thickness";
    const TNCMetrics* nc = form->NCMetrics();
    EXPECT_EQ(nc->Left(), 5);
    EXPECT_EQ(nc->Top(), c.top) << "the system frame's thickness";
    EXPECT_EQ(nc->CaptionHeight(), c.caption);
    EXPECT_EQ(nc->Right(), 5);
    EXPECT_EQ(nc->Bottom(), 5);
    EXPECT_TRUE(form->SkinActive());
    EXPECT_EQ(form->SkinItem(), item);
  }
}

TEST_F(SkinForms, AnExtendedFrameLeavesAnInnerClientRectangle) {
  TSkinForm* form = MakeForm(bsSizeable, 410, 335);
  ASSERT_EQ(form->ClientWidth(), 400);
  ASSERT_EQ(form->ClientHeight(), 300);
  form->ExtendFrame()->SetLeft(10);
  form->ExtendFrame()->SetTop(10);
  form->ExtendFrame()->SetRight(10);
  form->ExtendFrame()->SetBottom(10);
  EXPECT_TRUE(form->PaintsClientFrame());
  EXPECT_FALSE(form->FullSkin());
  EXPECT_EQ(form->GetInnerClientRect(false), TRect(10, 10, 390, 290));
  EXPECT_EQ(form->GetInnerClientRect(true), TRect(15, 40, 395, 320));

  form->Show();
  RunUntilIdle();
  const auto image = platform::testing::ReadWindow(form->Handle());
  const uint32_t band = image.At(5, 150) & 0xFFFFFF;
  EXPECT_TRUE(band == kInactiveFrame || band == kActiveFrame) << "the frame picture continues into the band";
  EXPECT_NE(image.At(5, 150) & 0xFFFFFF, image.At(200, 150) & 0xFFFFFF) << "only the inner rectangle is erased";

  form->ExtendFrame()->SetTop(-1);
  EXPECT_TRUE(form->FullSkin());
  EXPECT_EQ(form->GetInnerClientRect(false), TRect(0, 0, 0, 0));
}

TEST_F(SkinForms, TheShapeBecomesTheWindowRegionAndFollowsChanges) {
  auto* form = ShowForm<TShapeForm>(bsSizeable, 200, 100);
  form->FormShape()->SetValue1(8);
  form->FormShape()->SetValue2(8);
  form->FormShape()->SetShapeType(fstRoundRect);
  HRGN shape = form->Shape();
  ASSERT_NE(shape, nullptr);
  HRGN expected = CreateRoundRectRgn(0, 0, 201, 101, 8, 8);
  EXPECT_TRUE(EqualRgn(shape, expected)) << "a round rectangle of 201 x 101";
  DeleteObject(expected);
  DeleteObject(shape);
  HRGN applied = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(form->Handle(), applied), ERROR);
  EXPECT_FALSE(PtInRegion(applied, 0, 0)) << "the corner is cut";
  EXPECT_TRUE(PtInRegion(applied, 100, 50));
  form->FormShape()->SetShapeType(fstNormal);
  EXPECT_EQ(GetWindowRgn(form->Handle(), applied), ERROR) << "the region goes at once";
  DeleteObject(applied);
}

// The rightmost column of the caption's white text in the caption band.
int CaptionInkRight(TSkinForm* form) {
  const auto image = platform::testing::ReadWindow(form->Handle(), true);
  int right = -1;
  for (int y = 6; y < 26; ++y)
    for (int x = 0; x < image.width; ++x)
      if ((image.At(x, y) & 0xFFFFFF) == kCaptionText) right = std::max(right, x);
  return right;
}

TEST_F(SkinForms, TheCaptionIsCutWithAnEllipsisAndShowsPrefixCharacters) {
  TSkinForm* form = ShowForm(bsSizeable, 300, 200);
  // Caption part: 8 pixels in from each side, less 50 for the buttons.
  const int textRight = 300 - 8 - 50;
  form->SetCaption(AnsiString(200, 'W'));
  RunUntilIdle();
  const int longRight = CaptionInkRight(form);
  EXPECT_GT(longRight, textRight - 20) << "the text runs up to its rectangle";
  EXPECT_LT(longRight, textRight);
  form->SetCaption("A");
  RunUntilIdle();
  const int plain = CaptionInkRight(form);
  form->SetCaption("&A");
  RunUntilIdle();
  EXPECT_GT(CaptionInkRight(form), plain + 3) << "the & is drawn, not taken as a prefix";
}

TEST_F(SkinForms, ADesignIsReadFromItsFormFile) {
  std::string oldProgramDir;
  if (const char* old = getenv("BRANTWELL_PROGRAM_DIR")) oldProgramDir = old;
  setenv("BRANTWELL_PROGRAM_DIR", folder.string().c_str(), 1);
  RegisterClasses({TSkinListener::StaticClass()});
  skin_test::WriteText(folder / "xforms" / "TDesignedForm.xfm", R"xfm(<?xml version="1.0" encoding="UTF-8"?>
<xform>
  <TDesignedForm Name="DesignedForm" Caption="Designed" ClientWidth="320" ClientHeight="200" BorderStyle="bsSingle"
      ShowAnimate="False" AnimateTime="120" KeepingSize="kstClient" AutoDock="True">
    <FormShape ClassName="TSkinFormShape" ShapeType="fstEllipse"/>
    <ExtendFrame ClassName="TExtendFrame" Left="3" Bottom="4"/>
    <CloseButton ClassName="TCaptionButton" Hint="Shut"/>
    <CustomButton ClassName="TCaptionButton" SkinName="SkinForm(6)" Hint="Extra"/>
    <TSkinListener Name="Panel" Left="10" Top="10" Width="100" Height="50"/>
  </TDesignedForm>
</xform>
)xfm");
  auto* form = TCustomForm::Create<TDesignedForm>(nullptr);
  forms.push_back(form);
  EXPECT_NE(form->XMLFormFile().find("TDesignedForm.xfm"), AnsiString::npos);
  EXPECT_EQ(form->Caption(), "Designed");
  EXPECT_EQ(form->BorderStyle(), bsSingle);
  EXPECT_FALSE(form->ShowAnimate());
  EXPECT_EQ(form->AnimateTime(), 120);
  EXPECT_EQ(form->KeepingSize(), kstClient);
  EXPECT_TRUE(form->AutoDock());
  EXPECT_EQ(form->FormShape()->ShapeType(), fstNormal) << "the skin's frame part decides the shape";
  EXPECT_EQ(form->ExtendFrame()->Left(), 3);
  EXPECT_EQ(form->ExtendFrame()->Bottom(), 4);
  EXPECT_EQ(form->CloseButton()->Hint(), "Shut");
  EXPECT_EQ(form->CustomButton()->SkinName(), "SkinForm(6)");
  EXPECT_EQ(form->CustomButton()->Part(), item->FindPart(6)) << "the custom button resolves its own reference";
  ASSERT_NE(form->Panel, nullptr);
  EXPECT_EQ(form->Panel->Parent(), form);
  EXPECT_TRUE(form->SkinActive());
  form->HandleNeeded();
  EXPECT_EQ(form->ClientWidth(), 320) << "the client size read survives the skin's frame";
  EXPECT_EQ(form->ClientHeight(), 200);

  EXPECT_THROW(TCustomForm::Create<TUndesignedForm>(nullptr), EResNotFound);
  if (oldProgramDir.empty()) unsetenv("BRANTWELL_PROGRAM_DIR");
  else setenv("BRANTWELL_PROGRAM_DIR", oldProgramDir.c_str(), 1);
}

TEST_F(SkinForms, ASkinChangeReachesEveryControlAndReloadsTheForm) {
  TSkinForm* form = ShowForm();
  auto* outer = new TSkinListener(form);
  outer->SetParent(form);
  auto* inner = new TSkinListener(form);
  inner->SetParent(outer);
  int loads = 0;
  form->OnLoadSkin = TNotifyEvent([&](TObject*) { ++loads; });
  SkinEngine->Reload();
  RunUntilIdle();
  EXPECT_GE(outer->changes, 1);
  EXPECT_GE(inner->changes, 1);
  EXPECT_GE(loads, 1);
  EXPECT_TRUE(form->SkinActive());
  EXPECT_NE(form->SkinItem(), nullptr) << "the item of the reloaded skin";
  EXPECT_EQ(form->SkinItem(), SkinEngine->FindSkinItem("SkinForm"));
}

TEST_F(SkinForms, AnItemWithoutAFramePartIsNoFormItem) {
  LoadItem("NoFrame", "NoFrame", R"(<Part id="1"><State><Font Color="clRed"/></State></Part>)");
  TSkinForm* form = ShowForm();
  ASSERT_TRUE(form->SkinActive());
  form->SetSkinName("NoFrame");
  EXPECT_FALSE(form->SkinActive());
  EXPECT_EQ(form->SkinItem(), nullptr);
  EXPECT_EQ(form->Color(), clBtnFace);
  EXPECT_FALSE(form->CloseButton()->Visible()) << "no skin, no caption buttons";
  EXPECT_EQ(form->NCMetrics()->CaptionHeight(), 24) << "metrics back to their defaults";
  form->SetSkinName("SkinForm");
  EXPECT_TRUE(form->SkinActive());
}

TEST_F(SkinForms, PublishedButtonsAssignIntoTheFormsOwnButtons) {
  TSkinForm* form = MakeForm();
  TSkinForm* other = MakeForm();
  other->CustomButton()->SetHint("Help");
  other->CustomButton()->SetBoundsRect(TRect(50, 4, 66, 20));
  TCaptionButton* own = form->CustomButton();
  SetObjectProp(form, "CustomButton", other->CustomButton());
  EXPECT_EQ(form->CustomButton(), own) << "the form keeps its own button";
  EXPECT_EQ(own->Form(), form);
  EXPECT_EQ(own->Hint(), "Help");
  EXPECT_EQ(own->BoundsRect(), TRect(50, 4, 66, 20));
}

TEST_F(SkinForms, ACaptionButtonGivesItsHintAndTheHintSurvivesMovesOverTheFrame) {
  TSkinForm* form = ShowForm(bsSizeable, 400, 300);
  form->CloseButton()->SetHint("Close the window");
  const POINT close = At(form, 400 - 10, 12);
  THintInfo info;
  info.HintControl = form;
  info.HintPos = TPoint(close.x, close.y + 20);
  info.CursorPos = form->ScreenToClientPoint(TPoint(close.x, close.y));
  form->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, "Close the window");
  const TRect button = form->CloseButton()->BoundsRect();
  EXPECT_EQ(info.CursorRect, TRect(button.Left - 5, button.Top - 30, button.Right - 5, button.Bottom - 30))
      << "the button in client coordinates";
  EXPECT_EQ(Application->HintWindowClass, &CreateFSHintWindow);

  info.CursorPos = form->ScreenToClientPoint(TPoint(close.x - 100, close.y));
  info.HintStr = "";
  form->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, "") << "away from the button";

  auto* hint = static_cast<TFSHintWindow*>(CreateFSHintWindow(nullptr));
  std::unique_ptr<THintWindow> owned(hint);
  hint->ActivateHint(TRect(close.x, close.y + 20, close.x + 80, close.y + 36), "Close the window");
  EXPECT_TRUE(IsWindowVisible(hint->Handle()));
  EXPECT_NE(GetWindow(hint->Handle(), GW_OWNER), Application->Handle()) << "owned by the desktop, not the application";
  EXPECT_EQ(hint->Height(), 16 + 4);
  struct Case {
    UINT message;
    bool cancels;
  } cases[] = {{WM_NCMOUSEMOVE, false}, {WM_MOUSEMOVE, false}, {WM_NCLBUTTONDOWN, true}, {WM_NCRBUTTONUP, true},
               {WM_LBUTTONDOWN, true}, {WM_KEYDOWN, true}};
  for (const Case& c : cases) {
    MSG msg{form->Handle(), c.message, HTCAPTION, 0, 0, {}};
    EXPECT_EQ(hint->IsHintMsg(msg), c.cancels) << std::hex << c.message;
  }
}

TEST_F(SkinForms, MovingOverACaptionButtonShowsItsHintThroughTheApplication) {
  platform::testing::UseManualClock(true);
  struct Restore {
    ~Restore() { platform::testing::UseManualClock(false); }
  } restore;
  TSkinForm* form = ShowForm(bsSizeable, 400, 300);
  form->CloseButton()->SetHint("Close the window");
  auto moveTo = [&](POINT p) {
    SetCursorPos(p.x, p.y);
    SendMessageW(form->Handle(), WM_NCMOUSEMOVE, SendMessageW(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)),
                 MAKELPARAM(p.x, p.y));
    RunUntilIdle();
  };
  auto shown = [&]() -> AnsiString {
    return Application->HintShowing() ? Application->HintWindow()->Caption() : AnsiString("(none)");
  };
  moveTo(At(form, 400 - 10, 12));
  EXPECT_EQ(shown(), "(none)");
  platform::testing::AdvanceClock(Application->HintPause());
  RunUntilIdle();
  EXPECT_EQ(shown(), "Close the window");
  moveTo(At(form, 400 - 12, 14));
  EXPECT_EQ(shown(), "Close the window") << "a move within the button keeps the hint";
  moveTo(At(form, 150, 12));
  platform::testing::AdvanceClock(Application->HintShortPause());
  RunUntilIdle();
  EXPECT_EQ(shown(), "(none)") << "the caption between the buttons has no hint";
}

TEST_F(SkinForms, TheSystemMenuIconIsTheFormsElseTheApplicationsElseTheStockOne) {
  TSkinForm* form = MakeForm();
  EXPECT_EQ(form->FormIcon(), LoadIconW(nullptr, IDI_APPLICATION));
  auto application = std::make_unique<TIcon>();
  application->SetHandle(CopyIcon(LoadIconW(nullptr, IDI_WARNING)));
  Application->SetIcon(application.get());
  EXPECT_EQ(form->FormIcon(), Application->Icon()->Handle());
  auto own = std::make_unique<TIcon>();
  own->SetHandle(CopyIcon(LoadIconW(nullptr, IDI_ERROR)));
  form->SetIcon(own.get());
  EXPECT_EQ(form->FormIcon(), form->Icon()->Handle());
  Application->SetIcon(nullptr);
}

TEST_F(SkinForms, AFormWithTheOldCreateOrderStillTakesItsSkin) {
  // OnCreate runs right after the design is read; the skin follows all the same.
  class TOldOrderForm : public TSkinForm {
    BRANTWELL_CLASS(TOldOrderForm, TSkinForm)
   public:
    explicit TOldOrderForm(TComponent* owner, int dummy) : TSkinForm(owner, dummy) { SetOldCreateOrder(true); }
  };
  auto* form = TCustomForm::CreateNew<TOldOrderForm>(nullptr);
  forms.push_back(form);
  EXPECT_TRUE(form->SkinActive());
  EXPECT_EQ(form->SkinItem(), item);
}

}  // namespace
