// Windows built from form files end to end: a form class of the class library reads its
// ".xfm" design from the program folder's "xforms" folder when it is created, its controls
// get their parents, bounds, look, tab order and handlers from the file, and the form then
// lives on the headless display: clicks reach the handlers, a modal run returns its result,
// and a worker's Synchronize runs on the GUI thread while the form is modal.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "TestFolder.h"
#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "program/core/FSXMLPersistent.h"
#include "vcl/Application.h"
#include "vcl/Collection.h"
#include "vcl/Fixups.h"
#include "vcl/GraphicControl.h"
#include "vcl/Menu.h"
#include "vcl/Screen.h"
#include "vcl/StringList.h"
#include "vcl/Thread.h"

namespace {

void PaintFace(TCanvas* canvas, TControl* control, const TRect& rect, const AnsiString& text) {
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(control->Color());
  canvas->FillRect(rect);
  canvas->Font()->Assign(control->Font());
  canvas->Brush()->SetStyle(bsClear);
  canvas->TextOut(rect.Left + 4, rect.Top + 4, text);
}

// A push button: a click sets its form's modal result when it has one.
class TTestButton : public TCustomControl {
  BRANTWELL_CLASS(TTestButton, TCustomControl)
 public:
  explicit TTestButton(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
  }
  static void DescribeClass(TClassBuilder<TTestButton>& c) {
    c.Property("Caption", &TControl::Caption, &TControl::SetCaption);
    c.Property("ModalResult", &TTestButton::FModalResult).Default(mrNone);
  }
  void Click() override {
    if (FModalResult != mrNone)
      if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
    inherited::Click();
  }
  int32_t FModalResult = mrNone;

 protected:
  void Paint() override {
    PaintFace(Canvas(), this, ClientRect(), Caption());
    Canvas()->Brush()->SetColor(clBlack);
    Canvas()->FrameRect(ClientRect());
  }
};

// A window-less caption.
class TTestLabel : public TGraphicControl {
  BRANTWELL_CLASS(TTestLabel, TGraphicControl)
 public:
  explicit TTestLabel(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 60, 16); }
  static void DescribeClass(TClassBuilder<TTestLabel>& c) {
    c.Property("Caption", &TControl::Caption, &TControl::SetCaption);
  }

 protected:
  void Paint() override { PaintFace(Canvas(), this, ClientRect(), Caption()); }
};

class TTestColumn : public TCollectionItem {
  BRANTWELL_CLASS(TTestColumn, TCollectionItem)
 public:
  using TCollectionItem::TCollectionItem;
  static void DescribeClass(TClassBuilder<TTestColumn>& c) {
    c.Property("Title", &TTestColumn::FTitle);
    c.Property("Width", &TTestColumn::FWidth);
  }
  AnsiString FTitle;
  int32_t FWidth = 0;
};

// A windowed container with a collection of columns.
class TTestPanel : public TCustomControl {
  BRANTWELL_CLASS(TTestPanel, TCustomControl)
 public:
  explicit TTestPanel(TComponent* owner)
      : TCustomControl(owner), FColumns(std::make_unique<TOwnedCollection>(this, TTestColumn::StaticClass())) {
    FControlStyle.Include(csAcceptsControls);
    SetBounds(0, 0, 100, 60);
  }
  static void DescribeClass(TClassBuilder<TTestPanel>& c) {
    c.Property("Caption", &TControl::Caption, &TControl::SetCaption);
    c.Property("Columns", &TTestPanel::GetColumns);
  }
  TOwnedCollection* GetColumns() const { return FColumns.get(); }
  TTestColumn* Column(int i) const { return static_cast<TTestColumn*>(FColumns->Items(i)); }

 protected:
  void Paint() override {
    TRect r = ClientRect();
    PaintFace(Canvas(), this, r, "");
    Canvas()->TextOut(r.Right - 60, 4, Caption());
  }

 private:
  std::unique_ptr<TOwnedCollection> FColumns;
};

class TToolsForm : public TForm {
  BRANTWELL_CLASS(TToolsForm, TForm)
 public:
  using TForm::TForm;
  static void DescribeClass(TClassBuilder<TToolsForm>& c) {
    c.Field("ToolsMenu", &TToolsForm::ToolsMenu);
    c.Method("EjectClick", &TToolsForm::EjectClick);
  }
  void EjectClick(TObject*) { ++ejects; }
  TPopupMenu* ToolsMenu = nullptr;
  int ejects = 0;
};

class TDiscForm : public TForm {
  BRANTWELL_CLASS(TDiscForm, TForm)
 public:
  explicit TDiscForm(TComponent* owner) : TForm(owner) {}
  TDiscForm(TComponent* owner, int dummy) : TForm(owner, dummy) {}
  static void DescribeClass(TClassBuilder<TDiscForm>& c) {
    c.Property("Tracks", &TDiscForm::GetTracks);
    c.Field("Panel", &TDiscForm::Panel);
    c.Field("TitleLabel", &TDiscForm::TitleLabel);
    c.Field("PlayButton", &TDiscForm::PlayButton);
    c.Field("OkButton", &TDiscForm::OkButton);
    c.Field("CancelButton", &TDiscForm::CancelButton);
    c.Field("Status", &TDiscForm::Status);
    c.Method("FormShow", &TDiscForm::FormShow);
    c.Method("PlayClick", &TDiscForm::PlayClick);
    c.Method("LabelClick", &TDiscForm::LabelClick);
    c.Method("CancelClick", &TDiscForm::CancelClick);
  }
  TStringList* GetTracks() const { return FTracks.get(); }
  void FormShow(TObject*) {
    if (whenShown) whenShown();
  }
  void PlayClick(TObject* sender) { clickedBy.push_back(sender); }
  void LabelClick(TObject* sender) { clickedBy.push_back(sender); }
  void CancelClick(TObject*) { SetModalResult(mrAbort); }

  TTestPanel* Panel = nullptr;
  TTestLabel* TitleLabel = nullptr;
  TTestButton* PlayButton = nullptr;
  TTestButton* OkButton = nullptr;
  TTestButton* CancelButton = nullptr;
  TTestLabel* Status = nullptr;
  std::unique_ptr<TStringList> FTracks = std::make_unique<TStringList>();
  std::vector<TObject*> clickedBy;
  std::function<void()> whenShown;
};

const char* const kDiscForm = R"(<?xml version="1.0" encoding="UTF-8"?>
<xform>
  <TDiscForm Name="DiscForm" Caption="Burn disc" Left="40" Top="30" BorderStyle="bsDialog"
      ClientWidth="320" ClientHeight="200" Color="clBtnFace" OnShow="FormShow" KeyPreview="True"
      ActiveControl="OkButton">
    <Font ClassName="TFont" Size="11"/>
    <Tracks ClassName="TStringList"><Strings>Intro
Main menu
Chapter 1</Strings></Tracks>
    <TTestPanel Name="Panel" Left="10" Top="10" Width="300" Height="110" Color="16769216"
        Caption="Titles" Anchors="[akLeft, akTop, akRight]" TabOrder="2">
      <Columns ClassName="TOwnedCollection">
        <Column Title="Name" Width="120"/>
        <Column Title="Length" Width="60"/>
      </Columns>
      <TTestLabel Name="TitleLabel" Left="8" Top="8" Width="150" Height="22" Caption="My holiday"
          Hint="The volume label" Color="clYellow" Font.Style="[fsBold]" OnClick="LabelClick"/>
      <TTestButton Name="PlayButton" Left="8" Top="50" Width="80" Height="30" Caption="Play"
          Color="clSilver" OnClick="PlayClick" Cursor="-21"/>
    </TTestPanel>
    <TTestButton Name="OkButton" Left="150" Top="140" Width="75" Height="30" Caption="Burn"
        ModalResult="1" TabOrder="1" Color="clLime"/>
    <TTestButton Name="CancelButton" Left="235" Top="140" Width="75" Height="30" Caption="Cancel"
        TabOrder="0" Color="clSilver" OnClick="CancelClick" PopupMenu="ToolsForm.ToolsMenu"/>
    <TTestLabel Name="Status" Align="alBottom" Height="20" Caption="Ready" Color="clWhite"
        Visible="True" Enabled="False"/>
  </TDiscForm>
</xform>
)";

const char* const kToolsForm = R"(<?xml version="1.0" encoding="UTF-8"?>
<xform>
  <TToolsForm Name="ToolsForm" Caption="Tools">
    <TPopupMenu Name="ToolsMenu">
      <TMenuItem Name="EjectItem" Caption="Eject" OnClick="EjectClick"/>
    </TPopupMenu>
  </TToolsForm>
</xform>
)";

class XMLFormWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = getenv("BRANTWELL_PROGRAM_DIR")) m_oldProgramDir = old;
    setenv("BRANTWELL_PROGRAM_DIR", m_folder.Root().c_str(), 1);
    m_oldProc = GetInitInheritedComponentProc();
    RegisterXMLFormReader();
    RegisterClasses({TMenuItem::StaticClass()});
    // The installed forms' folder and the program folder itself are both searched.
    m_folder.Write("xforms/TDiscForm.xfm", kDiscForm);
    m_folder.Write("TToolsForm.xfm", kToolsForm);
  }
  void TearDown() override {
    DoneApplication();
    SetInitInheritedComponentProc(m_oldProc);
    if (m_oldProgramDir.empty()) unsetenv("BRANTWELL_PROGRAM_DIR");
    else setenv("BRANTWELL_PROGRAM_DIR", m_oldProgramDir.c_str(), 1);
  }

  // Clicks the middle of a control (its own window, or its parent's for a window-less one)
  // and handles the input.
  static void ClickOn(TControl* control, bool process = true) {
    POINT p;
    if (auto* win = dynamic_cast<TWinControl*>(control))
      p = platform::testing::ScreenPoint(win->Handle(), control->Width() / 2, control->Height() / 2);
    else
      p = platform::testing::ScreenPoint(control->Parent()->Handle(), control->Left() + control->Width() / 2,
                                         control->Top() + control->Height() / 2);
    platform::testing::MouseMove(p);
    platform::testing::Click(p);
    if (process) Application->ProcessMessages();
  }

  TestFolder m_folder;
  std::string m_oldProgramDir;
  TInitInheritedComponentProc m_oldProc = nullptr;
};

TEST_F(XMLFormWindow, DesignReadIntoLiveControlsAndShown) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(30));
  int pendingBefore = GlobalFixupCount();
  TDiscForm* form = nullptr;
  Application->CreateForm(form);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(Application->MainForm(), form);

  // Every published field points at its control, and each control hangs where the file put it.
  ASSERT_TRUE(form->Panel && form->TitleLabel && form->PlayButton && form->OkButton && form->CancelButton &&
              form->Status);
  for (TComponent* c : std::initializer_list<TComponent*>{form->Panel, form->TitleLabel, form->PlayButton,
                                                          form->OkButton, form->CancelButton, form->Status})
    EXPECT_EQ(c->Owner(), form) << c->Name();
  EXPECT_EQ(form->Panel->Parent(), form);
  EXPECT_EQ(form->TitleLabel->Parent(), form->Panel);
  EXPECT_EQ(form->PlayButton->Parent(), form->Panel);
  EXPECT_EQ(form->OkButton->Parent(), form);
  for (int i = 0; i < form->ComponentCount(); ++i) {
    TComponentState state = form->Components(i)->ComponentState();
    EXPECT_FALSE(state.Contains(csLoading) || state.Contains(csReading)) << form->Components(i)->Name();
  }
  EXPECT_FALSE(form->ComponentState().Contains(csLoading));

  // Values of several kinds.
  EXPECT_EQ(form->Caption(), "Burn disc");
  EXPECT_EQ(form->BorderStyle(), bsDialog);
  EXPECT_EQ(form->ClientWidth(), 320);
  EXPECT_EQ(form->ClientHeight(), 200);
  EXPECT_EQ(form->Color(), clBtnFace);
  EXPECT_TRUE(form->KeyPreview());
  EXPECT_EQ(form->ActiveControl(), form->OkButton);
  EXPECT_EQ(form->Font()->Size(), 11);
  EXPECT_EQ(form->PlayButton->Font()->Size(), 11);  // taken from the parent chain
  EXPECT_TRUE(form->TitleLabel->Font()->Style().Contains(fsBold));
  EXPECT_EQ(form->TitleLabel->Font()->Size(), 11);
  EXPECT_EQ(form->Panel->BoundsRect(), Bounds(10, 10, 300, 110));
  EXPECT_EQ(form->Panel->Color(), 16769216);
  EXPECT_EQ(form->Panel->Anchors(), (TAnchors{akLeft, akTop, akRight}));
  EXPECT_EQ(form->Panel->Caption(), "Titles");
  EXPECT_EQ(form->TitleLabel->Caption(), "My holiday");
  EXPECT_EQ(form->TitleLabel->Hint(), "The volume label");
  EXPECT_EQ(form->TitleLabel->Color(), clYellow);
  EXPECT_EQ(form->PlayButton->Cursor(), crHandPoint);
  EXPECT_EQ(form->OkButton->FModalResult, mrOk);
  EXPECT_FALSE(form->Status->Enabled());
  EXPECT_EQ(form->Status->Align(), alBottom);
  EXPECT_EQ(form->Status->BoundsRect(), Bounds(0, 180, 320, 20));  // aligned once loaded
  // The collection and the string list's defined property.
  ASSERT_EQ(form->Panel->GetColumns()->Count(), 2);
  EXPECT_EQ(form->Panel->Column(1)->FTitle, "Length");
  EXPECT_EQ(form->Panel->Column(1)->FWidth, 60);
  ASSERT_EQ(form->GetTracks()->Count(), 3);
  EXPECT_EQ(form->GetTracks()->Strings(1), "Main menu");
  // Tab order as read, whatever order the children came in.
  std::vector<TWinControl*> tabs;
  form->GetTabOrderList(tabs);
  ASSERT_GE(tabs.size(), 3u);
  EXPECT_EQ(tabs[0], form->CancelButton);
  EXPECT_EQ(tabs[1], form->OkButton);
  EXPECT_EQ(tabs[2], form->Panel);
  EXPECT_EQ(form->CancelButton->TabOrder(), 0);

  // The popup menu lives in another form that does not exist yet: the reference waits.
  EXPECT_EQ(form->CancelButton->PopupMenu(), nullptr);
  EXPECT_EQ(GlobalFixupCount(), pendingBefore + 1);
  auto* tools = TCustomForm::Create<TToolsForm>(Application);
  EXPECT_EQ(form->CancelButton->PopupMenu(), tools->ToolsMenu);
  EXPECT_EQ(GlobalFixupCount(), pendingBefore);
  ASSERT_EQ(tools->ToolsMenu->Items()->Count(), 1);
  tools->ToolsMenu->Items()->Items(0)->Click();
  EXPECT_EQ(tools->ejects, 1);

  // Shown on the display: clicks reach the handlers bound by name.
  form->Show();
  Application->ProcessMessages();
  form->Update();
  ClickOn(form->PlayButton);
  ClickOn(form->TitleLabel);
  ClickOn(form->Status);  // disabled: nothing
  ASSERT_EQ(form->clickedBy.size(), 2u);
  EXPECT_EQ(form->clickedBy[0], form->PlayButton);
  EXPECT_EQ(form->clickedBy[1], form->TitleLabel);

  // What the user sees: the panel's colour around its children, the lime button, the label.
  form->Repaint();
  platform::testing::Image shot = platform::testing::ReadWindow(form->Handle());
  ASSERT_EQ(shot.width, 320);
  auto at = [&](int x, int y) { return shot.pixels[static_cast<size_t>(y) * shot.width + x] & 0xFFFFFF; };
  EXPECT_EQ(at(10 + 200, 10 + 90), 0xC0E0FFu);   // the panel's colour (TColor 0xFFE0C0 is BGR)
  EXPECT_EQ(at(150 + 3, 140 + 25), 0x00FF00u);   // the Burn button's lime
  EXPECT_EQ(at(10 + 8 + 140, 10 + 8 + 2), 0xFFFF00u);  // the label's yellow, drawn by the panel
  EXPECT_EQ(at(300, 182), 0xFFFFFFu);                  // the status line aligned at the bottom
  std::string error;
  EXPECT_TRUE(platform::testing::SaveWindowPng(form->Handle(), BRANTWELL_TEST_BIN_DIR "/xml-form-window.png", &error))
      << error;
}

TEST_F(XMLFormWindow, ModalRunsReturnTheirResultWhileWorkersSynchronize) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(30));
  TDiscForm* form = nullptr;
  Application->CreateForm(form);
  auto* tools = TCustomForm::Create<TToolsForm>(Application);
  (void)tools;

  // A worker hands a call to the GUI thread while the form is modal; the call presses the
  // Burn button, whose modal result ends the run.
  std::atomic<bool> ranOnGuiThread{false};
  bool modalMeanwhile = false;
  std::thread worker;
  form->whenShown = [&] {
    worker = std::thread([&] {
      TThread::Synchronize(nullptr, [&] {
        ranOnGuiThread = IsMainThread();
        modalMeanwhile = form->FormState().Contains(fsModal);
        ClickOn(form->OkButton, false);
      });
    });
  };
  EXPECT_EQ(form->ShowModal(), mrOk);
  worker.join();
  EXPECT_TRUE(ranOnGuiThread);
  EXPECT_TRUE(modalMeanwhile);
  EXPECT_FALSE(form->Visible());

  // The Cancel button's handler sets the result itself. (OnShow comes before the window is
  // on the screen, so the click waits for the modal loop.)
  form->whenShown = [&] {
    worker = std::thread([&] { TThread::Synchronize(nullptr, [&] { ClickOn(form->CancelButton, false); }); });
  };
  EXPECT_EQ(form->ShowModal(), mrAbort);
  worker.join();
}

TEST_F(XMLFormWindow, BadDesignFailsTheCreationAndLeavesNothingBehind) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(30));
  int formsBefore = Screen->FormCount();
  int ownedBefore = Application->ComponentCount();
  int pendingBefore = GlobalFixupCount();
  struct Case {
    const char* name;
    std::string body;
    const char* error;
  };
  // A pending cross-form reference comes before the fault in each file.
  const std::string head = R"(<xform><TDiscForm Name="Broken">
      <TTestButton Name="CancelButton" PopupMenu="Elsewhere.Menu"/>)";
  const Case cases[] = {
      {"unknown handler", head + R"(<TTestButton Name="OkButton" OnClick="NoSuchMethod"/></TDiscForm></xform>)",
       "Invalid property value"},
      {"unknown class", head + R"(<TFancyDial Name="Dial"/></TDiscForm></xform>)", "Class TFancyDial not found"},
      {"unknown property path", head + R"(<TTestLabel Name="Status" Shade.Depth="3"/></TDiscForm></xform>)",
       "Property Shade does not exist"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_folder.Write("xforms/TDiscForm.xfm", c.body);
    TDiscForm* form = nullptr;
    try {
      Application->CreateForm(form);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.error);
    }
    EXPECT_EQ(Screen->FormCount(), formsBefore);
    EXPECT_EQ(Application->ComponentCount(), ownedBefore);
    EXPECT_EQ(GlobalFixupCount(), pendingBefore);
  }

  // A form class with no form file anywhere.
  std::remove(m_folder.Path("xforms/TDiscForm.xfm").c_str());
  try {
    TCustomForm::Create<TDiscForm>(Application);
    ADD_FAILURE() << "no error";
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Resource TDiscForm not found");
  }
  EXPECT_EQ(Screen->FormCount(), formsBefore);
}

}  // namespace
