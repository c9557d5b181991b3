#include <gtest/gtest.h>

#include "program/fc/FcCustomColors.h"
#include "program/fc/FcFrameController.h"
#include "program/fc/FcRegIniFile.h"
#include "rtl/Exceptions.h"
#include "vcl/GraphicControl.h"
#include "vcl/Reader.h"
#include "vcl/Classes.h"
#include "vcl/Writer.h"

namespace {

// A control that takes the settings through its published properties, with one property of
// a wrong kind ("FlatButtons" as text) and one it lacks ("FrameHotColor").
class TProbeFramed : public TGraphicControl {
  BRANTWELL_CLASS(TProbeFramed, TGraphicControl)

 public:
  explicit TProbeFramed(TComponent* owner) : TGraphicControl(owner) {}
  static void DescribeClass(TClassBuilder<TProbeFramed>& c) {
    c.Property("FocusColor", &TProbeFramed::GetFocusColor, &TProbeFramed::SetFocusColor).Type(ColorTypeInfo());
    c.Property("FrameStyle", &TProbeFramed::FFrameStyle);
    c.Property("FrameHotStyle", &TProbeFramed::FFrameHotStyle);
    c.Property("FrameSides", &TProbeFramed::FFrameSides);
    c.Property("FrameVisible", &TProbeFramed::FFrameVisible);
    c.Property("FlatButtons", &TProbeFramed::FFlatButtons);
    c.Property("FramingPreference", &TProbeFramed::FFraming);
    c.Property("FrameControllerNotifications", &TProbeFramed::FNotifications);
  }
  TColor GetFocusColor() const { return FFocusColor; }
  void SetFocusColor(TColor value) {
    FFocusColor = value;
    ++focusWrites;
  }

  TColor FFocusColor = clRed;
  TFrameStyleEx FFrameStyle = fsRaised;
  int FFrameHotStyle = 77;  // an integer, not the style enumeration
  TSides FFrameSides{sdLeft};
  bool FFrameVisible = false;
  AnsiString FFlatButtons = "text";
  TFramingPreference FFraming = fpCustomFraming;
  TFcFrameControllerNotifications FNotifications = TFcFrameControllerNotifications::FromBits(AllFrameNotifications);
  int focusWrites = 0;
};

// A control that reads the controller itself.
class TProbeReceiver : public TGraphicControl, public IFrameSettingsReceiver {
  BRANTWELL_CLASS(TProbeReceiver, TGraphicControl)

 public:
  explicit TProbeReceiver(TComponent* owner) : TGraphicControl(owner) {}
  void FrameSettingsChanged() override { ++calls; }
  int calls = 0;
};

}  // namespace

TEST(FcFrameController, RegistrationHandsEverySettingOnce) {
  TComponent owner(nullptr);
  auto* controller = new TFcFrameController(&owner);
  auto* receiver = new TProbeReceiver(&owner);
  auto* probe = new TProbeFramed(&owner);
  controller->AddControl(receiver);
  controller->AddControl(receiver);
  EXPECT_EQ(receiver->calls, 1) << "registering twice updates once";
  EXPECT_EQ(controller->ControlCount(), 1);

  controller->AddControl(probe);
  EXPECT_EQ(probe->FFrameStyle, fsFlat);
  EXPECT_EQ(probe->FFrameSides, AllSides);
  EXPECT_EQ(probe->FFocusColor, clWindow);
  EXPECT_EQ(probe->Color(), clWindow);
  EXPECT_FALSE(probe->ParentColor());
  EXPECT_EQ(probe->FFraming, fpXPThemes);
  // Properties of another kind are left alone.
  EXPECT_EQ(probe->FFlatButtons, "text");
  EXPECT_EQ(probe->FFrameHotStyle, 77);

  controller->SetFrameStyle(fsLowered);
  EXPECT_EQ(probe->FFrameStyle, fsLowered);
  EXPECT_EQ(receiver->calls, 2);
  controller->SetFrameStyle(fsLowered);
  EXPECT_EQ(receiver->calls, 2) << "an unchanged value sends nothing";

  controller->RemoveControl(receiver);
  controller->SetFrameVisible(true);
  EXPECT_EQ(receiver->calls, 2);
  EXPECT_TRUE(probe->FFrameVisible);

  // A registered control that is freed drops out of the list.
  controller->FreeNotification(probe);
  delete probe;
  EXPECT_EQ(controller->ControlCount(), 0);
  controller->SetFrameColor(clRed);
}

TEST(FcFrameController, UpdateBracketsSendOneFullUpdate) {
  TComponent owner(nullptr);
  auto* controller = new TFcFrameController(&owner);
  auto* receiver = new TProbeReceiver(&owner);
  auto* probe = new TProbeFramed(&owner);
  controller->AddControl(receiver);
  controller->AddControl(probe);
  probe->focusWrites = 0;

  controller->BeginUpdate();
  controller->BeginUpdate();
  controller->SetFrameStyle(fsGroove);
  controller->SetFocusColor(clYellow);
  controller->SetFrameVisible(true);
  controller->EndUpdate();
  EXPECT_EQ(receiver->calls, 1);
  EXPECT_EQ(probe->FFrameStyle, fsFlat) << "held while an update is open";
  controller->EndUpdate();
  EXPECT_EQ(receiver->calls, 2);
  EXPECT_EQ(probe->FFrameStyle, fsGroove);
  EXPECT_EQ(probe->FFocusColor, clYellow);
  EXPECT_EQ(probe->focusWrites, 1);

  // An unmatched EndUpdate settles at zero and still sends.
  controller->EndUpdate();
  EXPECT_EQ(receiver->calls, 3);
  controller->SetFrameColor(clRed);
  EXPECT_EQ(receiver->calls, 4);

  // Assign copies every setting and sends them once.
  TFcFrameController other(nullptr);
  other.SetFrameStyle(fsBump);
  other.SetColor(clAqua);
  other.SetFrameSides(TSides{sdTop});
  controller->Assign(&other);
  EXPECT_EQ(receiver->calls, 5);
  EXPECT_EQ(probe->FFrameStyle, fsBump);
  EXPECT_EQ(probe->Color(), clAqua);
  EXPECT_EQ(probe->FFrameSides, TSides{sdTop});
}

TEST(FcFrameController, NotificationMasksChooseTheSettings) {
  TComponent owner(nullptr);
  auto* controller = new TFcFrameController(&owner);
  auto* probe = new TProbeFramed(&owner);
  probe->FNotifications.Exclude(fcpFrameStyle).Exclude(fcpColor);
  probe->SetColor(clGreen);
  controller->AddControl(probe);
  EXPECT_EQ(probe->FFrameStyle, fsRaised) << "not taken with the full update";
  EXPECT_EQ(probe->Color(), clGreen);
  EXPECT_EQ(probe->FFrameSides, AllSides);
  controller->SetFrameStyle(fsBump);
  controller->SetColor(clRed);
  EXPECT_EQ(probe->FFrameStyle, fsRaised);
  EXPECT_EQ(probe->Color(), clGreen);
  controller->SetFrameSides(TSides{sdBottom});
  EXPECT_EQ(probe->FFrameSides, TSides{sdBottom});

  // The receiver is told whatever its mask; it reads the mask itself.
  auto* receiver = new TProbeReceiver(&owner);
  controller->AddControl(receiver);
  controller->SetFrameStyle(fsFlat);
  EXPECT_EQ(receiver->calls, 2);
}

TEST(FcFrameController, ParentColorAndColour) {
  TComponent owner(nullptr);
  auto* controller = new TFcFrameController(&owner);
  auto* probe = new TProbeFramed(&owner);
  probe->SetColor(clGreen);

  // Colour carries the focus colour along while they were equal, and clears ParentColor.
  controller->SetColor(clYellow);
  EXPECT_EQ(controller->FocusColor(), clYellow);
  controller->SetFocusColor(clRed);
  controller->SetColor(clAqua);
  EXPECT_EQ(controller->FocusColor(), clRed);

  controller->SetParentColor(true);
  controller->AddControl(probe);
  EXPECT_TRUE(probe->ParentColor());
  EXPECT_EQ(probe->FFocusColor, clRed);
  controller->SetParentColor(false);
  EXPECT_FALSE(probe->ParentColor());
  EXPECT_EQ(probe->Color(), clAqua) << "leaving ParentColor sends the colour too";
  controller->SetParentColor(true);
  controller->SetColor(clLime);
  EXPECT_FALSE(controller->ParentColor());
  EXPECT_FALSE(probe->ParentColor());
  EXPECT_EQ(probe->Color(), clLime);

  // Hot tracking makes the frame visible on every side.
  controller->SetFrameSides(TSides{sdLeft});
  controller->SetFrameHotTrack(true);
  EXPECT_TRUE(controller->FrameVisible());
  EXPECT_EQ(controller->FrameSides(), AllSides);
}

namespace {

// Writes the frame properties that older form files carry.
class TLegacyFramed : public TComponent {
  BRANTWELL_CLASS(TLegacyFramed, TComponent)

 public:
  explicit TLegacyFramed(TComponent* owner) : TComponent(owner) {}

 protected:
  void DefineProperties(TFiler* filer) override {
    filer->DefineProperty("FrameFlat", nullptr, [](TWriter* w) { w->WriteBoolean(true); }, true);
    filer->DefineProperty("FrameFocusStyle", nullptr, [](TWriter* w) { w->WriteIdent("fsRaised"); }, true);
    filer->DefineProperty("FrameFlatStyle", nullptr, [](TWriter* w) { w->WriteIdent("fsBump"); }, true);
  }
};

}  // namespace

TEST(FcFrameController, OldFramePropertiesAreRead) {
  TLegacyFramed legacy(nullptr);
  legacy.SetName("Frames");
  TStringStream stream;
  {
    TWriter writer(&stream, 4096);
    writer.WriteRootComponent(&legacy);
  }
  TFcFrameController controller(nullptr);
  stream.SetPosition(0);
  TReader reader(&stream, 4096);
  reader.ReadRootComponent(&controller);
  EXPECT_TRUE(controller.FrameHotTrack());
  EXPECT_TRUE(controller.FrameVisible());
  EXPECT_EQ(controller.FrameStyle(), fsStatus);
  EXPECT_EQ(controller.FrameHotStyle(), fsRaised) << "FrameFocusStyle is read after FrameFlat";
}

TEST(FcCustomColors, SixteenWhiteEntriesAndNormalisedLines) {
  TFcCustomColors colors(nullptr);
  ASSERT_EQ(colors.Colors()->Count(), 16);
  EXPECT_EQ(colors.Colors()->Strings(0), "ColorA=FFFFFF");
  EXPECT_EQ(colors.Colors()->Strings(15), "ColorP=FFFFFF");

  TStringList lines;
  lines.Add("ColorA=ff");
  lines.Add("ColorB=1234abcd");
  lines.Add("ColorC=0");
  colors.SetColors(&lines);
  ASSERT_EQ(colors.Colors()->Count(), 3);
  EXPECT_EQ(colors.Colors()->Strings(0), "ColorA=0000FF");
  EXPECT_EQ(colors.Colors()->Strings(1), "ColorB=34ABCD");
  EXPECT_EQ(colors.Colors()->Strings(2), "ColorC=000000");
  EXPECT_EQ(lines.Strings(0), "ColorA=ff") << "the caller's lines are not changed";

  // A bad line reaches the caller and leaves the kept colours whole.
  TStringList bad;
  bad.Add("ColorA=00FF00");
  bad.Add("ColorB=green");
  EXPECT_THROW(colors.SetColors(&bad), EConvertError);
  ASSERT_EQ(colors.Colors()->Count(), 3);
  EXPECT_EQ(colors.Colors()->Strings(0), "ColorA=0000FF");

  // The settings location is dropped when it goes.
  auto* location = new TFcRegIniFile(nullptr);
  colors.SetRegIniFile(location);
  delete location;
  EXPECT_EQ(colors.RegIniFile(), nullptr);
}

TEST(FcRegIniFile, DefaultsAndChanges) {
  TFcRegIniFile file(nullptr);
  EXPECT_EQ(file.PathType(), ptIniFile);
  EXPECT_EQ(file.RegKey(), hkeyCurrentUser);
  EXPECT_EQ(file.RegAccess(), TFcRegAccess{keyAllAccess});
  EXPECT_TRUE(file.Changed());
  file.SetPath("Software\\Brantwell");
  EXPECT_EQ(file.Path(), "Software\\Brantwell");
}
