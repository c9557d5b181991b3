#pragma once

// TFcFrameController: one set of frame and colour settings that it pushes to every control
// registered with it, so that the edits, borders and panels of a form look alike and change
// together. A control that implements IFrameSettingsReceiver is told and reads the
// controller itself; any other control gets each setting written into its published property
// of the same name and kind. A control's published FrameControllerNotifications (a set of
// TFcFrameControllerPropertyConnection) chooses the settings it takes.
//
// TFcOldPropReader reads and drops properties that old form files still carry.
//
// GUI thread only. The controller does not own the controls; they register when their
// FrameController is set and unregister when it changes or when they are destroyed.

#include <vector>

#include "program/fc/FcDraw.h"
#include "vcl/Component.h"
#include "vcl/Control.h"

class TFcRegIniFile;
class TReader;

BRANTWELL_ENUM(TFcFrameControllerProperty, fcpColor, fcpFocusColor, fcpDisabledColor, fcpReadOnlyColor,
               fcpReadOnlyColorOnFocus, fcpParentColor, fcpFlatButtonColor, fcpFlatButtons, fcpFrameColor,
               fcpFrameHotColor, fcpFrameHotTrack, fcpFrameHotStyle, fcpFrameSides, fcpFrameStyle,
               fcpFrameVisible, fcpFramingPreference, fcpAll)
// The settings a control can take (every property but fcpAll); the set is 16 bits.
using TFcFrameControllerPropertyConnection = TFcFrameControllerProperty;
using TFcFrameControllerNotifications = TSet<TFcFrameControllerPropertyConnection>;
constexpr uint32_t AllFrameNotifications = 0xFFFF;

// Implemented by controls that read the controller's settings themselves when told.
class IFrameSettingsReceiver {
 public:
  virtual ~IFrameSettingsReceiver() = default;
  virtual void FrameSettingsChanged() = 0;
};

class TFcFrameController : public TComponent {
  BRANTWELL_CLASS(TFcFrameController, TComponent)

 public:
  explicit TFcFrameController(TComponent* owner);
  ~TFcFrameController() override;
  static void DescribeClass(TClassBuilder<TFcFrameController>& c);

  // Hands the control the settings: all (fcpAll) or one.
  virtual void ApplySettings(TControl* control, TFcFrameControllerProperty property);
  // ApplySettings for every registered control, unless updates are held.
  virtual void BroadcastChange(TFcFrameControllerProperty property);
  void Assign(TPersistent* source) override;

  // Registers a control (once) and hands it every setting.
  void AddControl(TControl* control);
  void RemoveControl(TControl* control);
  bool HasControl(TControl* control) const;
  int ControlCount() const { return static_cast<int>(FControls.size()); }
  // Hold the broadcasts; the last EndUpdate sends every setting once.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();

  TColor Color() const { return FColor; }
  virtual void SetColor(TColor value);
  bool ParentColor() const { return FParentColor; }
  virtual void SetParentColor(bool value);
  TColor FlatButtonColor() const { return FFlatButtonColor; }
  virtual void SetFlatButtonColor(TColor value);
  bool FlatButtons() const { return FFlatButtons; }
  virtual void SetFlatButtons(bool value);
  TColor DisabledColor() const { return FDisabledColor; }
  virtual void SetDisabledColor(TColor value);
  TColor ReadOnlyColor() const { return FReadOnlyColor; }
  virtual void SetReadOnlyColor(TColor value);
  bool ReadOnlyColorOnFocus() const { return FReadOnlyColorOnFocus; }
  virtual void SetReadOnlyColorOnFocus(bool value);
  TColor FocusColor() const { return FFocusColor; }
  virtual void SetFocusColor(TColor value);
  TColor FrameColor() const { return FFrameColor; }
  virtual void SetFrameColor(TColor value);
  TColor FrameHotColor() const { return FFrameHotColor; }
  virtual void SetFrameHotColor(TColor value);
  bool FrameHotTrack() const { return FFrameHotTrack; }
  virtual void SetFrameHotTrack(bool value);
  TFrameStyle FrameHotStyle() const { return FFrameHotStyle; }
  virtual void SetFrameHotStyle(TFrameStyle value);
  TSides FrameSides() const { return FFrameSides; }
  virtual void SetFrameSides(TSides value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  virtual void SetFrameStyle(TFrameStyle value);
  bool FrameVisible() const { return FFrameVisible; }
  virtual void SetFrameVisible(bool value);
  TFramingPreference FramingPreference() const { return FFramingPreference; }
  virtual void SetFramingPreference(TFramingPreference value);
  TFcRegIniFile* RegIniFile() const { return FRegIniFile; }
  virtual void SetRegIniFile(TFcRegIniFile* value);

 protected:
  void DefineProperties(TFiler* filer) override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  bool IsColorStored() const { return !FParentColor; }

  TColor FColor = clWindow;
  bool FParentColor = false;
  std::vector<TControl*> FControls;
  TColor FFlatButtonColor = clBtnFace;
  bool FFlatButtons = true;
  TColor FDisabledColor = clBtnFace;
  TColor FReadOnlyColor = clInfoBk;
  bool FReadOnlyColorOnFocus = false;
  TColor FFocusColor = clWindow;
  TColor FFrameColor = clBtnShadow;
  TColor FFrameHotColor = clBtnShadow;
  bool FFrameHotTrack = false;
  TFrameStyle FFrameHotStyle = fsFlatBold;
  TSides FFrameSides = AllSides;
  TFrameStyle FFrameStyle = fsFlat;
  bool FFrameVisible = false;
  TFramingPreference FFramingPreference = fpXPThemes;
  int FUpdateCount = 0;
  TFcRegIniFile* FRegIniFile = nullptr;

 private:
  void WriteSetting(TControl* control, TFcFrameControllerProperty property);
};

// Reads and drops values of obsolete stream properties.
class TFcOldPropReader {
 public:
  static void ReadBoolean(TReader* reader);
  static void ReadIdent(TReader* reader);
  static void ReadSet(TReader* reader);
};

// The obsolete frame properties of old form files ("FrameFlat", "FrameFocusStyle",
// "FrameFlatStyle"), turned into the current ones through the given setters.
void DefineOldFrameProperties(TFiler* filer, const std::function<void(TFrameStyle)>& setHotStyle,
                              const std::function<void()>& setFlat);

// The same for an object with the frame setters (a controller or an edit): an old flat
// frame becomes a hot-tracked status frame that turns lowered when hot.
template <class TFramed>
void DefineOldFrameProperties(TFiler* filer, TFramed* framed) {
  DefineOldFrameProperties(
      filer, [framed](TFrameStyle style) { framed->SetFrameHotStyle(style); },
      [framed] {
        framed->SetFrameHotTrack(true);
        framed->SetFrameStyle(fsStatus);
        framed->SetFrameHotStyle(fsLowered);
      });
}

// Sets a control's FrameController (`slot`) to `controller`: the control leaves the one it
// had and registers with the new one (taking its settings at once), and each is told when
// the other goes.
void ConnectFrameController(TControl* control, TFcFrameController*& slot, TFcFrameController* controller);

// The frame of a framed border or panel, as far as a controller sets it.
struct TFcControlledFrame {
  TFrameStyleEx& Outer;
  TSides& Sides;
  TColor& FlatColor;
  int& FlatColorAdjustment;
  TColor& Highlight;
  TColor& Shadow;
};

// Takes the controller's settings that `notifications` names into `frame` and into the
// control's Color and ParentColor (the bevel colours follow the colour), then repaints the
// control; nothing without a controller or while its frame is hidden.
void TakeFrameSettings(TControl* control, const TFcFrameController* controller,
                       TFcFrameControllerNotifications notifications, const TFcControlledFrame& frame);
