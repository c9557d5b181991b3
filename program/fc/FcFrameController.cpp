#include "program/fc/FcFrameController.h"

#include <algorithm>

#include "program/fc/FcColors.h"
#include "program/fc/FcRegIniFile.h"
#include "program/fc/FcSetter.h"
#include "vcl/Filer.h"
#include "vcl/Reader.h"
#include "vcl/TypInfo.h"

namespace {

const char* const kPropertyNames[] = {
    "Color",           "FocusColor", "DisabledColor", "ReadOnlyColor", "ReadOnlyColorOnFocus", "ParentColor",
    "FlatButtonColor", "FlatButtons", "FrameColor",   "FrameHotColor", "FrameHotTrack",        "FrameHotStyle",
    "FrameSides",      "FrameStyle",  "FrameVisible", "FramingPreference",
};

// The order in which every setting is handed over.
constexpr TFcFrameControllerProperty kAllOrder[] = {
    fcpParentColor, fcpColor,        fcpDisabledColor, fcpReadOnlyColor, fcpReadOnlyColorOnFocus, fcpFocusColor,
    fcpFlatButtonColor, fcpFlatButtons, fcpFrameColor, fcpFrameHotColor, fcpFrameHotTrack,      fcpFrameHotStyle,
    fcpFrameSides,  fcpFrameStyle,   fcpFrameVisible, fcpFramingPreference,
};

bool IsBooleanType(const TTypeInfo* type) { return type == TTypeInfoOf<bool>::Get(); }

}  // namespace

TFcFrameController::TFcFrameController(TComponent* owner) : TComponent(owner) {}

TFcFrameController::~TFcFrameController() { FControls.clear(); }

void TFcFrameController::DescribeClass(TClassBuilder<TFcFrameController>& c) {
  using T = TFcFrameController;
  c.Property("Color", &T::Color, &T::SetColor).Type(ColorTypeInfo()).Default(clWindow).Stored(&T::IsColorStored);
  c.Property("ParentColor", &T::ParentColor, &T::SetParentColor).Default(0);
  c.Property("FlatButtonColor", &T::FlatButtonColor, &T::SetFlatButtonColor).Type(ColorTypeInfo()).Default(clBtnFace);
  c.Property("FlatButtons", &T::FlatButtons, &T::SetFlatButtons).Default(1);
  c.Property("DisabledColor", &T::DisabledColor, &T::SetDisabledColor).Type(ColorTypeInfo()).Default(clBtnFace);
  c.Property("ReadOnlyColor", &T::ReadOnlyColor, &T::SetReadOnlyColor).Type(ColorTypeInfo()).Default(clInfoBk);
  c.Property("ReadOnlyColorOnFocus", &T::ReadOnlyColorOnFocus, &T::SetReadOnlyColorOnFocus).Default(0);
  c.Property("FocusColor", &T::FocusColor, &T::SetFocusColor).Type(ColorTypeInfo()).Default(clWindow);
  c.Property("FrameColor", &T::FrameColor, &T::SetFrameColor).Type(ColorTypeInfo()).Default(clBtnShadow);
  c.Property("FrameHotColor", &T::FrameHotColor, &T::SetFrameHotColor).Type(ColorTypeInfo()).Default(clBtnShadow);
  c.Property("FrameHotTrack", &T::FrameHotTrack, &T::SetFrameHotTrack).Default(0);
  c.Property("FrameHotStyle", &T::FrameHotStyle, &T::SetFrameHotStyle).Default(fsFlatBold);
  c.Property("FrameSides", &T::FrameSides, &T::SetFrameSides).Default(AllSides.Bits());
  c.Property("FrameStyle", &T::FrameStyle, &T::SetFrameStyle).Default(fsFlat);
  c.Property("FrameVisible", &T::FrameVisible, &T::SetFrameVisible).Default(0);
  c.Property("FramingPreference", &T::FramingPreference, &T::SetFramingPreference).Default(fpXPThemes);
  c.Property("RegIniFile", &T::RegIniFile, &T::SetRegIniFile);
}

void TFcFrameController::AddControl(TControl* control) {
  if (!control || HasControl(control)) return;
  FControls.push_back(control);
  ApplySettings(control, fcpAll);
}

void TFcFrameController::RemoveControl(TControl* control) {
  FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
}

bool TFcFrameController::HasControl(TControl* control) const {
  return std::find(FControls.begin(), FControls.end(), control) != FControls.end();
}

void TFcFrameController::EndUpdate() {
  --FUpdateCount;
  if (FUpdateCount < 1) {
    FUpdateCount = 0;
    BroadcastChange(fcpAll);
  }
}

void TFcFrameController::BroadcastChange(TFcFrameControllerProperty property) {
  if (FUpdateCount >= 1) return;
  // A control may unregister while it takes the settings; hand them to those still listed.
  const std::vector<TControl*> controls = FControls;
  for (TControl* control : controls)
    if (HasControl(control)) ApplySettings(control, property);
}

void TFcFrameController::ApplySettings(TControl* control, TFcFrameControllerProperty property) {
  if (!control) return;
  uint32_t wanted = AllFrameNotifications;
  if (const TPropInfo* prop = GetPropInfo(control, "FrameControllerNotifications"); prop && prop->Kind() == tkSet)
    wanted = static_cast<uint32_t>(GetOrdProp(control, prop));
  if (auto* receiver = dynamic_cast<IFrameSettingsReceiver*>(control)) {
    receiver->FrameSettingsChanged();
    return;
  }
  auto wants = [wanted](TFcFrameControllerProperty p) { return (wanted >> static_cast<unsigned>(p)) & 1u; };
  if (property != fcpAll) {
    if (wants(property)) WriteSetting(control, property);
    return;
  }
  for (TFcFrameControllerProperty p : kAllOrder) {
    if (!wants(p)) continue;
    if (p == fcpColor && FParentColor) continue;
    WriteSetting(control, p);
  }
}

// Writes one setting into the control's published property of that name, when the property
// is writable and of the setting's kind; anything else is left alone.
void TFcFrameController::WriteSetting(TControl* control, TFcFrameControllerProperty property) {
  const TPropInfo* prop = GetPropInfo(control, kPropertyNames[property]);
  if (!prop || !prop->Writable) return;
  const TTypeInfo* type = prop->PropType();
  auto writeColor = [&](TColor value) {
    if (type->Kind == tkInteger) SetOrdProp(control, prop, value);
  };
  auto writeBool = [&](bool value) {
    if (IsBooleanType(type)) SetOrdProp(control, prop, value ? 1 : 0);
  };
  auto writeEnum = [&](const TTypeInfo* ownType, int value) {
    if (type->Kind != tkEnumeration || IsBooleanType(type)) return;
    const AnsiString name = GetEnumName(ownType, value);
    if (GetEnumValue(type, name) >= 0) SetOrdProp(control, prop, GetEnumValue(type, name));
  };
  switch (property) {
    case fcpColor: writeColor(FColor); break;
    case fcpFocusColor: writeColor(FFocusColor); break;
    case fcpDisabledColor: writeColor(FDisabledColor); break;
    case fcpReadOnlyColor: writeColor(FReadOnlyColor); break;
    case fcpReadOnlyColorOnFocus: writeBool(FReadOnlyColorOnFocus); break;
    case fcpParentColor: writeBool(FParentColor); break;
    case fcpFlatButtonColor: writeColor(FFlatButtonColor); break;
    case fcpFlatButtons: writeBool(FFlatButtons); break;
    case fcpFrameColor: writeColor(FFrameColor); break;
    case fcpFrameHotColor: writeColor(FFrameHotColor); break;
    case fcpFrameHotTrack: writeBool(FFrameHotTrack); break;
    case fcpFrameHotStyle: writeEnum(TTypeInfoOf<TFrameStyleEx>::Get(), FFrameHotStyle); break;
    case fcpFrameStyle: writeEnum(TTypeInfoOf<TFrameStyleEx>::Get(), FFrameStyle); break;
    case fcpFramingPreference: writeEnum(TTypeInfoOf<TFramingPreference>::Get(), FFramingPreference); break;
    case fcpFrameVisible: writeBool(FFrameVisible); break;
    case fcpFrameSides: {
      // Copied as the set's text, so a set type of the control's own with the same names
      // takes it; a set whose names differ is left alone.
      if (type->Kind != tkSet) break;
      const AnsiString text = SetToString(TTypeInfoOf<TSides>::Get(), FFrameSides.Bits());
      uint32_t bits = 0;
      try {
        bits = StringToSet(type, text);
      } catch (const EPropertyConvertError&) {
        break;
      }
      SetOrdProp(control, prop, bits);
      break;
    }
    case fcpAll: break;
  }
}

void TFcFrameController::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TFcFrameController*>(source);
  if (!other) {
    inherited::Assign(source);
    return;
  }
  BeginUpdate();
  FColor = other->FColor;
  FParentColor = other->FParentColor;
  FFlatButtonColor = other->FFlatButtonColor;
  FFlatButtons = other->FFlatButtons;
  FDisabledColor = other->FDisabledColor;
  FReadOnlyColor = other->FReadOnlyColor;
  FReadOnlyColorOnFocus = other->FReadOnlyColorOnFocus;
  FFocusColor = other->FFocusColor;
  FFrameColor = other->FFrameColor;
  FFrameHotColor = other->FFrameHotColor;
  FFrameHotTrack = other->FFrameHotTrack;
  FFrameHotStyle = other->FFrameHotStyle;
  FFrameSides = other->FFrameSides;
  FFrameStyle = other->FFrameStyle;
  FFrameVisible = other->FFrameVisible;
  FFramingPreference = other->FFramingPreference;
  EndUpdate();
}

void TFcFrameController::SetColor(TColor value) {
  if (value == FColor) return;
  if (FFocusColor == FColor) FFocusColor = value;
  FColor = value;
  FParentColor = false;
  BroadcastChange(fcpColor);
}

void TFcFrameController::SetParentColor(bool value) {
  if (value == FParentColor) return;
  FParentColor = value;
  BroadcastChange(fcpParentColor);
  if (!value) BroadcastChange(fcpColor);
}

#define FC_SETTER(Name, Type, Field, Property) \
  FC_DEFINE_SETTER(TFcFrameController, Name, Type, Field, BroadcastChange(Property))

FC_SETTER(FlatButtonColor, TColor, FFlatButtonColor, fcpFlatButtonColor)
FC_SETTER(FlatButtons, bool, FFlatButtons, fcpFlatButtons)
FC_SETTER(DisabledColor, TColor, FDisabledColor, fcpDisabledColor)
FC_SETTER(ReadOnlyColor, TColor, FReadOnlyColor, fcpReadOnlyColor)
FC_SETTER(ReadOnlyColorOnFocus, bool, FReadOnlyColorOnFocus, fcpReadOnlyColorOnFocus)
FC_SETTER(FocusColor, TColor, FFocusColor, fcpFocusColor)
FC_SETTER(FrameColor, TColor, FFrameColor, fcpFrameColor)
FC_SETTER(FrameHotColor, TColor, FFrameHotColor, fcpFrameHotColor)
FC_SETTER(FrameHotStyle, TFrameStyle, FFrameHotStyle, fcpFrameHotStyle)
FC_SETTER(FrameSides, TSides, FFrameSides, fcpFrameSides)
FC_SETTER(FrameStyle, TFrameStyle, FFrameStyle, fcpFrameStyle)
FC_SETTER(FrameVisible, bool, FFrameVisible, fcpFrameVisible)
FC_SETTER(FramingPreference, TFramingPreference, FFramingPreference, fcpFramingPreference)

#undef FC_SETTER

void TFcFrameController::SetFrameHotTrack(bool value) {
  if (value == FFrameHotTrack) return;
  if (value) {
    SetFrameVisible(true);
    if (!ComponentState().Contains(csLoading)) SetFrameSides(AllSides);
  }
  FFrameHotTrack = value;
  BroadcastChange(fcpFrameHotTrack);
}

void TFcFrameController::SetRegIniFile(TFcRegIniFile* value) {
  if (value == FRegIniFile) return;
  FRegIniFile = value;
  if (value) value->FreeNotification(this);
}

void TFcFrameController::Loaded() {
  inherited::Loaded();
  BroadcastChange(fcpAll);
}

void TFcFrameController::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove) {
    if (component == FRegIniFile) FRegIniFile = nullptr;
    // Compared as components: a control being destroyed is no longer a TControl here.
    std::erase_if(FControls, [component](TControl* c) { return static_cast<TComponent*>(c) == component; });
  }
}

void TFcFrameController::DefineProperties(TFiler* filer) {
  inherited::DefineProperties(filer);
  DefineOldFrameProperties(filer, this);
}

void DefineOldFrameProperties(TFiler* filer, const std::function<void(TFrameStyle)>& setHotStyle,
                              const std::function<void()>& setFlat) {
  filer->DefineProperty(
      "FrameFlat", [setFlat](TReader* reader) { if (reader->ReadBoolean()) setFlat(); }, nullptr, false);
  filer->DefineProperty(
      "FrameFocusStyle",
      [setHotStyle](TReader* reader) {
        const Int64 value = GetEnumValue(TTypeInfoOf<TFrameStyleEx>::Get(), reader->ReadIdent());
        if (value >= fsNone && value <= fsFlatBold) setHotStyle(static_cast<TFrameStyle>(value));
      },
      nullptr, false);
  filer->DefineProperty("FrameFlatStyle", &TFcOldPropReader::ReadIdent, nullptr, false);
}

void ConnectFrameController(TControl* control, TFcFrameController*& slot, TFcFrameController* controller) {
  if (controller == slot) return;
  if (slot) slot->RemoveControl(control);
  SetComponentReference(control, slot, controller);
  if (controller) controller->AddControl(control);
}

void TakeFrameSettings(TControl* control, const TFcFrameController* controller,
                       TFcFrameControllerNotifications notifications, const TFcControlledFrame& frame) {
  if (!controller || !controller->FrameVisible()) return;
  const auto& n = notifications;
  if (n.Contains(fcpFrameStyle)) frame.Outer = controller->FrameStyle();
  if (n.Contains(fcpFrameSides)) frame.Sides = controller->FrameSides();
  if (n.Contains(fcpFrameColor)) {
    frame.FlatColor = controller->FrameColor();
    frame.FlatColorAdjustment = 0;
  }
  if (n.Contains(fcpColor)) control->SetColor(controller->Color());
  if (n.Contains(fcpParentColor)) control->SetParentColor(controller->ParentColor());
  if (n.Contains(fcpColor)) {
    frame.Highlight = LighterColor(control->Color(), 100);
    frame.Shadow = DarkerColor(control->Color(), 50);
  }
  control->Invalidate();
}

void TFcOldPropReader::ReadBoolean(TReader* reader) { reader->ReadBoolean(); }
void TFcOldPropReader::ReadIdent(TReader* reader) { reader->ReadIdent(); }
void TFcOldPropReader::ReadSet(TReader* reader) {
  reader->CheckValue(vaSet);
  while (!reader->ReadStr().empty()) {
  }
}
