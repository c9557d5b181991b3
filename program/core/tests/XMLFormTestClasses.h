#pragma once

// Non-visual classes for the form file tests: a root with published properties of every
// kind, child components, a sub-object, a collection, a string list, defined properties and
// published event handlers; every streaming hook appends to a journal so tests can check
// the order in which they ran.

#include <set>
#include <string>
#include <vector>

#include "rtl/SysUtils.h"
#include "vcl/Collection.h"
#include "vcl/Reader.h"
#include "vcl/StringList.h"

namespace formtest {

inline std::vector<std::string>& Journal() {
  static std::vector<std::string> journal;
  return journal;
}
inline void Note(const std::string& line) { Journal().push_back(line); }

inline const TTypeInfo* ColourType() {
  static const TTypeInfo* type = [] {
    const TTypeInfo* t = IntegerTypeInfo("TFormTestColour");
    RegisterIntegerConsts(
        t,
        [](std::string_view ident, Int64& value) {
          if (!SameText(ident, "clTeal")) return false;
          value = 0x808000;
          return true;
        },
        [](Int64, AnsiString&) { return false; });
    return t;
  }();
  return type;
}

BRANTWELL_ENUM(TFormTestAlign, alNone, alTop, alBottom, alClient)
BRANTWELL_ENUM(TFormTestAnchor, akLeft, akTop, akRight, akBottom)
using TFormTestAnchors = TSet<TFormTestAnchor>;

struct ITestService {
  virtual ~ITestService() = default;
  virtual int Answer() = 0;
};

class TTestFont : public TPersistent {
  BRANTWELL_CLASS(TTestFont, TPersistent)
 public:
  static void DescribeClass(TClassBuilder<TTestFont>& c) {
    c.Property("Name", &TTestFont::FName);
    c.Property("Size", &TTestFont::FSize);
  }
  AnsiString FName = "Sans";
  int32_t FSize = 8;
};

class TTestItem : public TCollectionItem {
  BRANTWELL_CLASS(TTestItem, TCollectionItem)
 public:
  using TCollectionItem::TCollectionItem;
  static void DescribeClass(TClassBuilder<TTestItem>& c) {
    c.Property("Title", &TTestItem::FTitle);
    c.Property("Width", &TTestItem::FWidth);
  }
  AnsiString FTitle;
  int32_t FWidth = 0;
  AnsiString FNote;  // a defined property ("Note")

 protected:
  void DefineProperties(TFiler* filer) override {
    filer->DefineProperty("Note", [this](TReader* r) { FNote = r->ReadString(); }, nullptr, false);
  }
};

// A component whose defined property "Value" records what the reader hands it.
class TValueProbe : public TComponent {
  BRANTWELL_CLASS(TValueProbe, TComponent)
 public:
  using TComponent::TComponent;
  std::string FSeen = "(none)";
  std::string FBlob = "(none)";

 protected:
  void DefineProperties(TFiler* filer) override {
    filer->DefineProperty("Value", [this](TReader* r) { FSeen = Describe(r); }, nullptr, false);
    filer->DefineBinaryProperty(
        "Blob",
        [this](TStream* s) {
          std::string bytes(static_cast<size_t>(s->Size()), '\0');
          if (!bytes.empty()) s->ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
          FBlob = bytes;
        },
        nullptr, false);
  }

 private:
  static std::string Describe(TReader* r) {
    switch (r->NextValue()) {
      case vaInt8: case vaInt16: case vaInt32: return "int " + std::to_string(r->ReadInteger());
      case vaInt64: return "int64 " + std::to_string(r->ReadInt64());
      case vaWString: return "text " + WideToUTF8(r->ReadWideString());
      case vaIdent: return "ident " + r->ReadIdent();
      case vaTrue: case vaFalse: return r->ReadBoolean() ? "bool True" : "bool False";
      case vaExtended: return "float " + FormatFloat("0.###", r->ReadFloat());
      case vaCurrency: return "currency " + FormatFloat("0.####", r->ReadCurrency());
      case vaDate: return "date " + FormatDateTime("yyyy-mm-dd", r->ReadDate());
      case vaNil: r->ReadValue(); return "nil";
      case vaBinary: {
        r->ReadValue();
        int32_t size = 0;
        r->Stream()->ReadBuffer(&size, 4);
        std::string bytes(static_cast<size_t>(size), '\0');
        if (size) r->Stream()->ReadBuffer(bytes.data(), size);
        return "binary " + bytes;
      }
      case vaSet: {
        r->ReadValue();
        std::string names = "set";
        for (AnsiString name = r->ReadStr(); !name.empty(); name = r->ReadStr()) names += " " + name;
        return names;
      }
      case vaList: {
        r->ReadListBegin();
        std::string items = "list";
        while (!r->EndOfList()) items += " [" + Describe(r) + "]";
        r->ReadListEnd();
        return items;
      }
      case vaCollection: {
        r->ReadValue();
        r->ReadListEnd();
        return "collection";
      }
      default: return "other";
    }
  }
};

class TTestService : public TComponent, public ITestService {
  BRANTWELL_CLASS(TTestService, TComponent)
 public:
  using TComponent::TComponent;
  int Answer() override { return 42; }
};

// A child component that journals its hooks.
class TTestWidget : public TComponent {
  BRANTWELL_CLASS(TTestWidget, TComponent)
 public:
  explicit TTestWidget(TComponent* owner) : TComponent(owner) {
    FFont = std::make_unique<TTestFont>();
    FLines = std::make_unique<TStringList>();
  }
  static void DescribeClass(TClassBuilder<TTestWidget>& c) {
    c.Property("Caption", &TTestWidget::FCaption);
    c.Property("Target", &TTestWidget::FTarget);
    c.Property("OnClick", &TTestWidget::FOnClick);
    c.Property("Font", &TTestWidget::GetFont);
    c.Property("Lines", &TTestWidget::GetLines);
    c.Property("Fixed", &TTestWidget::GetFixed);
  }
  TTestFont* GetFont() const { return FFont.get(); }
  TStringList* GetLines() const { return FLines.get(); }
  AnsiString GetFixed() const { return "fixed"; }

  void ReadState(TReader* reader) override {
    Note("ReadState " + Name() + " parent=" + (reader->Parent() ? reader->Parent()->Name() : ""));
    TComponent::ReadState(reader);
    Note("ReadState done " + Name());
  }
  void Loaded() override {
    TComponent::Loaded();
    Note("Loaded " + Name());
  }
  void SetParentComponent(TComponent* value) override { FParentSeen = value; }

  AnsiString FCaption;
  TComponent* FTarget = nullptr;
  TNotifyEvent FOnClick;
  TComponent* FParentSeen = nullptr;
  std::unique_ptr<TTestFont> FFont;
  std::unique_ptr<TStringList> FLines;

 protected:
  void DefineProperties(TFiler* filer) override {
    Note("DefineProperties " + Name() + " caption=" + FCaption);
    TComponent::DefineProperties(filer);
  }
};

// The root: a published property of every kind.
class TTestRoot : public TComponent {
  BRANTWELL_CLASS(TTestRoot, TComponent)
 public:
  explicit TTestRoot(TComponent* owner) : TComponent(owner) {
    FItems = std::make_unique<TOwnedCollection>(this, TTestItem::StaticClass());
    Live().insert(this);
  }
  ~TTestRoot() override { Live().erase(this); }
  static void DescribeClass(TClassBuilder<TTestRoot>& c) {
    c.Property("Count", &TTestRoot::FCount);
    c.Property("Colour", &TTestRoot::FColour).Type(ColourType());
    c.Property("Letter", &TTestRoot::FLetter);
    c.Property("WideLetter", &TTestRoot::FWideLetter);
    c.Property("Align", &TTestRoot::FAlign);
    c.Property("Visible", &TTestRoot::FVisible);
    c.Property("Ratio", &TTestRoot::FRatio);
    c.Property("Caption", &TTestRoot::FCaption);
    c.Property("WideCaption", &TTestRoot::FWideCaption);
    c.Property("Anchors", &TTestRoot::FAnchors);
    c.Property("Partner", &TTestRoot::FPartner);
    c.Property("Service", &TTestRoot::FService);
    c.Property("OnShow", &TTestRoot::FOnShow);
    c.Property("Extra", &TTestRoot::FExtra);
    c.Property("Big", &TTestRoot::FBig);
    c.Property("Items", &TTestRoot::GetItems);
    c.Property("Font", &TTestRoot::GetFont);
    c.Method("FormShow", &TTestRoot::FormShow);
    c.Method("ButtonClick", &TTestRoot::ButtonClick);
    c.Method("WrongShape", &TTestRoot::WrongShape);
    c.Field("Button1", &TTestRoot::Button1);
  }
  TOwnedCollection* GetItems() const { return FItems.get(); }
  TTestFont* GetFont() const { return &const_cast<TTestRoot*>(this)->FFont; }
  void FormShow(TObject*) { ++FShown; }
  void ButtonClick(TObject* sender) { FClickedBy = sender; }
  int WrongShape(int value) { return value; }

  void ReadState(TReader* reader) override {
    Note("ReadState " + Name());
    TComponent::ReadState(reader);
    Note("ReadState done " + Name());
  }
  void Loaded() override {
    TComponent::Loaded();
    Note("Loaded " + Name());
  }

  // Roots alive, found by name as global components.
  static std::set<TTestRoot*>& Live() {
    static std::set<TTestRoot*> live;
    return live;
  }
  static TComponent* FindRoot(const AnsiString& name) {
    for (TTestRoot* root : Live())
      if (SameText(root->Name(), name)) return root;
    return nullptr;
  }

  int32_t FCount = 0;
  int32_t FColour = 0;
  char FLetter = 0;
  char16_t FWideLetter = 0;
  TFormTestAlign FAlign = alNone;
  bool FVisible = false;
  double FRatio = 0;
  AnsiString FCaption;
  WideString FWideCaption;
  TFormTestAnchors FAnchors;
  TComponent* FPartner = nullptr;
  ITestService* FService = nullptr;
  TNotifyEvent FOnShow;
  Variant FExtra;
  Int64 FBig = 0;
  TTestWidget* Button1 = nullptr;
  std::unique_ptr<TOwnedCollection> FItems;
  TTestFont FFont;
  int FShown = 0;
  TObject* FClickedBy = nullptr;
};

class TTestFormA : public TTestRoot {
  BRANTWELL_CLASS(TTestFormA, TTestRoot)
 public:
  using TTestRoot::TTestRoot;
};

class TTestFormB : public TTestFormA {
  BRANTWELL_CLASS(TTestFormB, TTestFormA)
 public:
  using TTestFormA::TTestFormA;
};

}  // namespace formtest
