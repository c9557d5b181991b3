#include <gtest/gtest.h>

#include <string>

#include "rtl/Strings.h"
#include "vcl/Reader.h"
#include "vcl/StringList.h"
#include "vcl/Writer.h"

BRANTWELL_ENUM(TTrackKind, tkVideoTrack, tkAudioTrack, tkTitleTrack)
using TTrackKinds = TSet<TTrackKind>;

namespace {

class TChapter : public TCollectionItem {
  BRANTWELL_CLASS(TChapter, TCollectionItem)
 public:
  using TCollectionItem::TCollectionItem;
  AnsiString FTitle;
  double FStart = 0;
  static void DescribeClass(TClassBuilder<TChapter>& c) {
    c.Property("Title", &TChapter::FTitle);
    c.Property("Start", &TChapter::FStart);
  }
};

class TTrack : public TComponent {
  BRANTWELL_CLASS(TTrack, TComponent)
 public:
  explicit TTrack(TComponent* owner)
      : TComponent(owner), FChapters(this, TChapter::StaticClass()) {}
  int32_t FLength = 10;
  char FLetter = 'x';
  char16_t FWide = u'w';
  TTrackKind FKind = tkVideoTrack;
  bool FMuted = false;
  double FVolume = 0;
  float FGain = 0;
  TTrackKinds FKinds;
  AnsiString FCaption;
  WideString FWideCaption;
  TComponent* FNext = nullptr;
  TNotifyEvent FOnPlay;
  Variant FExtra;
  Int64 FBytes = 0;
  TOwnedCollection FChapters;
  TStringList FNotes;
  RawByteString FBlob;  // a defined binary property

  TOwnedCollection* GetChapters() const { return const_cast<TOwnedCollection*>(&FChapters); }
  void SetChapters(TOwnedCollection* value) { FChapters.Assign(value); }
  TStringList* GetNotes() const { return const_cast<TStringList*>(&FNotes); }
  void SetNotes(TStringList* value) { FNotes.Assign(value); }

  static void DescribeClass(TClassBuilder<TTrack>& c) {
    c.Property("Length", &TTrack::FLength).Default(10);
    c.Property("Letter", &TTrack::FLetter);
    c.Property("Wide", &TTrack::FWide);
    c.Property("Kind", &TTrack::FKind).Default(tkVideoTrack);
    c.Property("Muted", &TTrack::FMuted).Default(false);
    c.Property("Volume", &TTrack::FVolume);
    c.Property("Gain", &TTrack::FGain);
    c.Property("Kinds", &TTrack::FKinds);
    c.Property("Caption", &TTrack::FCaption);
    c.Property("WideCaption", &TTrack::FWideCaption);
    c.Property("Next", &TTrack::FNext);
    c.Property("OnPlay", &TTrack::FOnPlay);
    c.Property("Extra", &TTrack::FExtra);
    c.Property("Bytes", &TTrack::FBytes);
    c.Property("Chapters", &TTrack::GetChapters, &TTrack::SetChapters);
    c.Property("Notes", &TTrack::GetNotes, &TTrack::SetNotes);
  }

 protected:
  void DefineProperties(TFiler* filer) override {
    TComponent::DefineProperties(filer);
    filer->DefineBinaryProperty(
        "Blob",
        [this](TStream* s) {
          FBlob.assign(static_cast<size_t>(s->Size()), '\0');
          s->ReadBuffer(FBlob.data(), static_cast<int32_t>(FBlob.size()));
        },
        [this](TStream* s) { s->WriteBuffer(FBlob.data(), static_cast<int32_t>(FBlob.size())); },
        !FBlob.empty());
  }
};

class TProjectForm : public TComponent {
  BRANTWELL_CLASS(TProjectForm, TComponent)
 public:
  using TComponent::TComponent;
  TTrack* Track1 = nullptr;
  std::vector<std::string> loadedOrder;
  int plays = 0;
  void Track1Play(TObject*) { ++plays; }
  static void DescribeClass(TClassBuilder<TProjectForm>& c) {
    c.Field("Track1", &TProjectForm::Track1);
    c.Method("Track1Play", &TProjectForm::Track1Play);
  }
  void GetChildren(const TGetChildProc& proc, TComponent* root) override {
    (void)root;
    for (int i = 0; i < ComponentCount(); ++i) proc(Components(i));
  }
};

class TLoadedTrack : public TTrack {
  BRANTWELL_CLASS(TLoadedTrack, TTrack)
 public:
  using TTrack::TTrack;
  void Loaded() override {
    TTrack::Loaded();
    if (auto* form = dynamic_cast<TProjectForm*>(Owner())) form->loadedOrder.push_back(Name());
  }
};

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

TEST(Streaming, ATreeRoundTripsWithEveryKind) {
  RegisterClass(TLoadedTrack::StaticClass());
  TProjectForm source(nullptr);
  source.SetName("ProjectForm");
  auto* track1 = new TTrack(&source);
  track1->SetName("Track1");
  auto* track2 = new TLoadedTrack(&source);
  track2->SetName("Track2");
  track1->FLength = 100000;
  track1->FLetter = 'q';
  track1->FWide = u'\u00e9';
  track1->FKind = tkTitleTrack;
  track1->FMuted = true;
  track1->FVolume = 0.75;
  track1->FGain = 1.5f;
  track1->FKinds = {tkAudioTrack, tkTitleTrack};
  track1->FCaption = "Intro \xe2\x80\x94 part 1";
  track1->FWideCaption = u"Wide \u20ac";
  track1->FNext = track2;  // written before Track2 exists: resolved by a fix-up
  track1->FOnPlay = TNotifyEvent(&source, &TProjectForm::Track1Play);
  track1->FExtra = Variant(Int64(7));
  track1->FBytes = INT64_C(5000000000);
  track1->SetTag(-3);
  static_cast<TChapter*>(track1->FChapters.Add())->FTitle = "Opening";
  auto* second = static_cast<TChapter*>(track1->FChapters.Add());
  second->FTitle = "Credits";
  second->FStart = 61.5;
  track1->FNotes.SetText("first\nsecond\n");
  track1->FBlob = RawByteString("\x00\x01\xff", 3);
  track2->FNext = &source;  // the root itself

  RawByteString data = WriteForm(&source);

  TProjectForm target(nullptr);
  ReadForm(data, &target);
  EXPECT_EQ(target.Name(), "ProjectForm");
  ASSERT_EQ(target.ComponentCount(), 2);
  TTrack* t1 = target.Track1;
  ASSERT_NE(t1, nullptr);
  EXPECT_EQ(t1->ClassName(), "TTrack");  // found through the published field, unregistered
  auto* t2 = dynamic_cast<TLoadedTrack*>(target.FindComponent("Track2"));
  ASSERT_NE(t2, nullptr);
  EXPECT_EQ(t1->FLength, 100000);
  EXPECT_EQ(t1->FLetter, 'q');
  EXPECT_EQ(t1->FWide, u'\u00e9');
  EXPECT_EQ(t1->FKind, tkTitleTrack);
  EXPECT_TRUE(t1->FMuted);
  EXPECT_EQ(t1->FVolume, 0.75);
  EXPECT_EQ(t1->FGain, 1.5f);
  EXPECT_EQ(t1->FKinds, (TTrackKinds{tkAudioTrack, tkTitleTrack}));
  EXPECT_EQ(t1->FCaption, "Intro \xe2\x80\x94 part 1");
  EXPECT_EQ(t1->FWideCaption, u"Wide \u20ac");
  EXPECT_EQ(t1->FNext, t2);
  EXPECT_EQ(t2->FNext, &target);
  ASSERT_TRUE(static_cast<bool>(t1->FOnPlay));
  t1->FOnPlay(t1);
  EXPECT_EQ(target.plays, 1);
  EXPECT_EQ(t1->FExtra, Variant(Int64(7)));
  EXPECT_EQ(t1->FBytes, INT64_C(5000000000));
  EXPECT_EQ(t1->Tag(), -3);
  ASSERT_EQ(t1->FChapters.Count(), 2);
  EXPECT_EQ(static_cast<TChapter*>(t1->FChapters.Items(1))->FTitle, "Credits");
  EXPECT_EQ(static_cast<TChapter*>(t1->FChapters.Items(1))->FStart, 61.5);
  EXPECT_EQ(t1->FNotes.Text(), "first\nsecond\n");
  EXPECT_EQ(t1->FBlob, RawByteString("\x00\x01\xff", 3));
  EXPECT_EQ(t2->FLength, 10);  // default, not written
  EXPECT_EQ(target.loadedOrder, std::vector<std::string>{"Track2"});
  EXPECT_FALSE(t1->ComponentState().Contains(csLoading));
  EXPECT_FALSE(target.ComponentState().Contains(csReading));
  UnRegisterClass(TLoadedTrack::StaticClass());
}

// Builds a stream by hand: one TTrack child whose properties are written by 'props'.
RawByteString FormWithTrack(const std::function<void(TWriter&)>& props,
                            const char* className = "TTrack") {
  TStringStream stream;
  {
    TWriter w(&stream, 4096);
    w.WriteSignature();
    w.WriteStr("TProjectForm");
    w.WriteStr("Form");
    w.WriteListEnd();
    w.WriteStr(className);
    w.WriteStr("Track1");
    props(w);
    w.WriteListEnd();
    w.WriteListEnd();
    w.WriteListEnd();
  }
  return stream.DataString();
}

TEST(Streaming, BadInputFailsCleanly) {
  struct Case {
    const char* what;
    std::function<void(TWriter&)> props;
    const char* className;
    const char* message;
  };
  const Case cases[] = {
      {"unknown property", [](TWriter& w) { w.WriteStr("Nope"); w.WriteInteger(1); }, "TTrack",
       "Property Nope does not exist"},
      {"unknown enumeration name", [](TWriter& w) { w.WriteStr("Kind"); w.WriteIdent("tkPurple"); },
       "TTrack", "Invalid property value"},
      {"unknown set element",
       [](TWriter& w) { w.WriteStr("Kinds"); w.WriteValue(vaSet); w.WriteStr("tkNone"); w.WriteStr(""); },
       "TTrack", "Invalid property value"},
      {"unknown handler", [](TWriter& w) { w.WriteStr("OnPlay"); w.WriteIdent("Missing"); }, "TTrack",
       "Invalid property value"},
      {"path through a non-object", [](TWriter& w) { w.WriteStr("Length.X"); w.WriteInteger(1); },
       "TTrack", "Invalid property path"},
      {"unknown class", [](TWriter&) {}, "TMissing", "Class TMissing not found"},
  };
  for (const auto& c : cases) {
    TProjectForm form(nullptr);
    try {
      ReadForm(FormWithTrack(c.props, c.className), &form);
      ADD_FAILURE() << c.what;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), c.message) << c.what;
    }
    EXPECT_EQ(form.ComponentCount(), 0) << c.what;  // the half-read component is gone
    EXPECT_EQ(form.Track1, nullptr) << c.what;
  }
  // A truncated stream.
  TProjectForm form(nullptr);
  RawByteString data = FormWithTrack([](TWriter& w) { w.WriteStr("Caption"); w.WriteString("abc"); });
  EXPECT_THROW(ReadForm(data.substr(0, data.size() - 6), &form), EReadError);
  EXPECT_THROW(ReadForm("XXXX", &form), EReadError);
  // A wide string whose length is damaged so that its byte count does not fit 32 bits, with
  // the rest of the form intact behind it: a read error, not a huge caption read as success.
  RawByteString damaged = FormWithTrack([](TWriter& w) {
    w.WriteStr("WideCaption");
    w.WriteWideString(u"ab");
  });
  const size_t at = damaged.find(std::string("\x02\x00\x00\x00" "a\x00" "b\x00", 8));
  ASSERT_NE(at, std::string::npos);
  damaged.replace(at, 8, std::string("\x01\x00\x00\x40", 4));
  TProjectForm target(nullptr);
  EXPECT_THROW(ReadForm(damaged, &target), EReadError);
}

TEST(Streaming, OnErrorCanSkipABadValue) {
  TProjectForm form(nullptr);
  TStringStream stream(FormWithTrack([](TWriter& w) {
    w.WriteStr("Nope");
    w.WriteString("ignored");
    w.WriteStr("Length");
    w.WriteInteger(5);
  }));
  TReader reader(&stream, 4096);
  std::vector<AnsiString> errors;
  reader.OnError = [&](TReader*, const AnsiString& message, bool& handled) {
    errors.push_back(message);
    handled = true;
  };
  reader.ReadRootComponent(&form);
  ASSERT_NE(form.Track1, nullptr);
  EXPECT_EQ(form.Track1->FLength, 5);
  EXPECT_EQ(errors, std::vector<AnsiString>{"Property Nope does not exist"});
}

TProjectForm* g_otherRoot = nullptr;
TComponent* FindOther(const AnsiString& name) {
  return g_otherRoot && SameText(name, g_otherRoot->Name()) ? g_otherRoot : nullptr;
}

TEST(Streaming, CrossRootReferencesWaitForTheirRoot) {
  RegisterFindGlobalComponentProc(&FindOther);
  RawByteString data = FormWithTrack([](TWriter& w) {
    w.WriteStr("Next");
    w.WriteIdent("Other.Track1");
  });
  {
    auto* form = new TProjectForm(nullptr);
    ReadForm(data, form);
    EXPECT_EQ(form->Track1->FNext, nullptr);
    EXPECT_EQ(GlobalFixupCount(), 1);
    EXPECT_TRUE(form->ComponentState().Contains(csFixups));

    TProjectForm other(nullptr);
    other.SetName("Other");
    auto* target = new TTrack(&other);
    target->SetName("Track1");
    g_otherRoot = &other;
    GlobalFixupReferences();
    EXPECT_EQ(form->Track1->FNext, target);
    EXPECT_EQ(GlobalFixupCount(), 0);
    EXPECT_FALSE(form->ComponentState().Contains(csFixups));
    g_otherRoot = nullptr;
    delete form;
  }
  // A form destroyed while its reference waits leaves nothing behind to write through.
  {
    auto* form = new TProjectForm(nullptr);
    ReadForm(data, form);
    EXPECT_EQ(GlobalFixupCount(), 1);
    delete form;
    EXPECT_EQ(GlobalFixupCount(), 0);
  }
  // A failed read drops the references it left pending.
  {
    TProjectForm form(nullptr);
    RawByteString bad = FormWithTrack([](TWriter& w) {
      w.WriteStr("Next");
      w.WriteIdent("Other.Track1");
      w.WriteStr("Kind");
      w.WriteIdent("tkPurple");
    });
    EXPECT_THROW(ReadForm(bad, &form), EReadError);
    EXPECT_EQ(GlobalFixupCount(), 0);
  }
  UnRegisterFindGlobalComponentProc(&FindOther);
}

TEST(Streaming, RootNamesAreMadeUniqueAmongGlobalComponents) {
  TProjectForm other(nullptr);
  other.SetName("Form");
  g_otherRoot = &other;
  RegisterFindGlobalComponentProc(&FindOther);
  TProjectForm form(nullptr);
  ReadForm(FormWithTrack([](TWriter&) {}), &form);
  EXPECT_EQ(form.Name(), "Form_1");
  UnRegisterFindGlobalComponentProc(&FindOther);
  g_otherRoot = nullptr;
}

TEST(Collection, ItemsIdsAndIndexes) {
  TCollection chapters(TChapter::StaticClass());
  auto* a = chapters.Add();
  auto* b = chapters.Add();
  auto* c = chapters.Insert(0);
  EXPECT_EQ(c->Index(), 0);
  EXPECT_EQ(b->ID(), 1);
  b->SetIndex(0);
  EXPECT_EQ(chapters.Items(0), b);
  EXPECT_EQ(chapters.FindItemID(0), a);
  delete a;  // leaves the collection
  EXPECT_EQ(chapters.Count(), 2);
  chapters.Delete(0);
  EXPECT_EQ(chapters.Items(0), c);
  EXPECT_THROW(chapters.Items(1), EListError);
  EXPECT_EQ(chapters.Add()->ID(), 3);  // IDs are never reused
}

}  // namespace
