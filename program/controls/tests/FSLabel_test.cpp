// The label: its wide caption beside the 8-bit text, auto-size with the trailing text, the
// link colours and underline under the pointer, and which clicks open what (a recording
// handler program on PATH shows what reached the desktop).

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "IndicatorTestSupport.h"
#include "platform/kernel/ProgramFolder.h"
#include "program/controls/ButtonDraw.h"
#include "program/controls/FSLabel.h"
#include "program/core/LogFile.h"
#include "rtl/Strings.h"
#include "vcl/TypInfo.h"

using namespace indicator_test;
namespace fs = std::filesystem;
namespace pt = platform::testing;
using namespace std::chrono_literals;

namespace {

// Ink of the two link colours (anti-aliased text on white): ActiveFontColor 204 is red 204,
// InactiveFontColor $990000 is blue 153.
enum Ink { kActive, kInactive };
bool IsInk(uint32_t pixel, Ink ink) {
  const int r = pixel >> 16 & 255, g = pixel >> 8 & 255, b = pixel & 255;
  return ink == kActive ? r > g + 60 && r > b + 60 : b > r + 50 && b > g + 50;
}

class Labels : public IndicatorFixture {
 protected:
  TFSLabel* AddLabel(TForm* form, const WideString& caption, int left = 10, int top = 10) {
    auto* label = new TFSLabel(form);
    label->SetParent(form);
    label->SetLeft(left);
    label->SetTop(top);
    label->SetCaption(caption);
    pt::RunUntilIdle();
    return label;
  }
  // Pixels of an ink in a rectangle of the form's client area.
  static int Count(const pt::Image& image, const TRect& area, Ink ink) {
    int count = 0;
    for (int y = area.Top; y < area.Bottom; ++y)
      for (int x = area.Left; x < area.Right; ++x) count += IsInk(Rgb(image, x, y), ink);
    return count;
  }
  static TRect BoundsOf(TControl* control) { return control->BoundsRect(); }
};

TEST_F(Labels, TheWideCaptionKeepsWhatTheEightBitTextCannotHold) {
  TForm* form = ShowForm();
  // A lone surrogate has no UTF-8 form.
  const WideString odd = u"Disc \xD800 title";
  TFSLabel* label = AddLabel(form, odd);
  EXPECT_EQ(label->Caption(), odd);
  EXPECT_EQ(label->GetText(), WideToUTF8(odd));

  label->SetCaption(u"Kapitel \u00FC\U0001F4BF");
  EXPECT_EQ(label->GetText(), "Kapitel \xC3\xBC\xF0\x9F\x92\xBF");
  // Setting the 8-bit text directly replaces the wide caption by its conversion.
  label->SetCaption(AnsiString("Men\xC3\xBC"));
  EXPECT_EQ(label->Caption(), u"Men\u00FC");
}

TEST_F(Labels, AutoSizeTakesInTheTrailingTextAndItsSpacing) {
  TForm* form = ShowForm();
  TFSLabel* label = AddLabel(form, u"Output folder");
  const int captionWidth = label->Width();
  label->SetTrailLabel(u"Change");
  label->SetTrailSpacing(12);
  pt::RunUntilIdle();
  TScreenMeasureCanvas measure(label->Font());
  const int trailWidth = measure.Canvas()->TextWidth("Change");
  EXPECT_EQ(label->TrailSize().cx, trailWidth);
  EXPECT_EQ(label->Width(), captionWidth + 12 + trailWidth);

  label->SetEnabled(false);
  EXPECT_EQ(label->Width(), captionWidth + 12 + trailWidth + 1) << "the embossed text is a pixel wider";
}

TEST_F(Labels, TheLinkTakesItsHotColourAndUnderlineOnlyUnderThePointer) {
  TForm* form = ShowForm();
  TFSLabel* label = AddLabel(form, u"Visit the site");
  label->SetIsHyperLink(true);
  label->SetTrailLabel(u"More");
  pt::RunUntilIdle();
  EXPECT_EQ(label->Cursor(), crHandPoint);
  const TRect all = BoundsOf(label);
  const TRect caption(all.Left, all.Top, all.Right - label->TrailSize().cx - label->TrailSpacing(), all.Bottom);
  const TRect trail(all.Right - label->TrailSize().cx, all.Top, all.Right, all.Bottom);

  pt::Image idle = Capture(form);
  EXPECT_GT(Count(idle, caption, kInactive), 0);
  EXPECT_EQ(Count(idle, all, kActive), 0);

  // Over the caption: the caption is hot and underlined, the trailing text is not.
  pt::MouseMove(At(label, 3, all.Height() / 2));
  pt::Image overCaption = Capture(form);
  const int hotInk = Count(overCaption, caption, kActive);
  EXPECT_GT(hotInk, 0);
  EXPECT_EQ(Count(overCaption, trail, kActive), 0);

  // Over the trailing text: the trailing text is hot, the caption back to its idle look.
  pt::MouseMove(At(label, all.Width() - 2, all.Height() / 2));
  pt::Image overTrail = Capture(form);
  EXPECT_TRUE(label->TrailHot());
  EXPECT_EQ(Count(overTrail, caption, kActive), 0);
  EXPECT_EQ(Count(overTrail, caption, kInactive), Count(idle, caption, kInactive)) << "no underline when not covered";
  EXPECT_GT(Count(overTrail, trail, kActive), 0);

  // The underline is the extra ink of the hot caption: never with hlNever.
  label->SetUnderLineType(hlNever);
  pt::MouseMove(At(label, 3, all.Height() / 2));
  const int plainInk = Count(Capture(form), caption, kActive);
  EXPECT_GT(hotInk, plainInk);
  label->SetUnderLineType(hlAlways);
  pt::MouseMove(At(form, 400, 100));
  EXPECT_GT(Count(Capture(form), caption, kInactive), Count(idle, caption, kInactive)) << "always underlined";
}

// A stand-in for the desktop's handler program, first on PATH: it writes its argument to a
// record file.
class LinkOpening : public Labels {
 protected:
  void SetUp() override {
    Labels::SetUp();
    bin = folder / "bin";
    record = folder / "opened.txt";
    fs::create_directories(bin);
    std::ofstream script(bin / "xdg-open");
    script << "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" << record.string() << ".part'\n/bin/mv '" << record.string()
           << ".part' '" << record.string() << "'\n";
    script.close();
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    const char* path = std::getenv("PATH");
    savedPath = path ? path : "";
    setenv("PATH", (bin.string() + ":" + savedPath).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", savedPath.c_str(), 1);
    Labels::TearDown();
  }
  // What the handler was given, or "" when it was not started within `wait`.
  std::string Opened(std::chrono::milliseconds wait = 5000ms) {
    for (auto waited = 0ms; waited < wait && !fs::exists(record); waited += 10ms) std::this_thread::sleep_for(10ms);
    std::ifstream in(record);
    std::string line;
    std::getline(in, line);
    fs::remove(record);
    return line;
  }
  void ClickOn(TFSLabel* label) {
    pt::Click(At(label, 2, label->Height() / 2));
    pt::RunUntilIdle();
  }

  fs::path bin, record;
  std::string savedPath;
};

TEST_F(LinkOpening, OnlyWebAndMailAddressesReachTheDesktop) {
  TForm* form = ShowForm(420, 160);
  struct Case {
    const char16_t* caption;
    const char16_t* link;
    const char* opened;  // "" when nothing may be opened
  };
  const Case cases[] = {
      {u"https://brantwell.example/help", u"", "https://brantwell.example/help"},
      {u"Our web site", u"HTTP://brantwell.example/", "HTTP://brantwell.example/"},
      {u"Write to us", u"mailto:help@brantwell.example", "mailto:help@brantwell.example"},
      {u"/etc/passwd", u"", ""},
      {u"xterm", u"", ""},
      {u"Open the folder", u"file:///tmp", ""},
      {u"A program", u"--help", ""},
      {u"Twice", u"https://a.example/\nhttps://b.example/", ""},
  };
  int top = 4;
  for (const Case& c : cases) {
    // Each on its own row: two clicks on one spot would make a double click.
    TFSLabel* label = AddLabel(form, c.caption, 10, top);
    top += 14;
    label->SetIsHyperLink(true);
    label->SetHyperLink(c.link);
    pt::RunUntilIdle();
    ClickOn(label);
    EXPECT_EQ(Opened(*c.opened ? 5000ms : 300ms), c.opened) << WideToUTF8(c.caption) << " / " << WideToUTF8(c.link);
    label->SetVisible(false);
  }
}

TEST_F(LinkOpening, AnOnClickHandlerOrTheTrailingTextTakesTheClickInstead) {
  TForm* form = ShowForm();
  TFSLabel* label = AddLabel(form, u"https://brantwell.example/");
  label->SetIsHyperLink(true);
  int clicks = 0, trailClicks = 0;
  label->OnClick = [&](TObject*) { ++clicks; };
  ClickOn(label);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(Opened(300ms), "") << "a label with an OnClick handler opens nothing";

  label->OnClick = nullptr;
  label->SetTrailLabel(u"Copy");
  label->OnTrailLabelClick = [&](TObject*) { ++trailClicks; };
  pt::RunUntilIdle();
  pt::Click(At(label, label->Width() - 2, label->Height() / 2));
  pt::RunUntilIdle();
  EXPECT_EQ(trailClicks, 1);
  EXPECT_EQ(Opened(300ms), "") << "the trailing text's click opens nothing";
  ClickOn(label);
  EXPECT_EQ(Opened(), "https://brantwell.example/");
}

TEST_F(LinkOpening, ARefusedOrFailedOpenIsWrittenToTheLog) {
  const std::string name = "LabelLogTest-" + std::to_string(getpid()) + ".txt";
  // The log folder is the program's "Log" folder, wherever the program folder is set.
  const fs::path logFolder = fs::path(platform::ProgramFolder()) / "Log";
  const bool folderExisted = fs::exists(logFolder);
  InitLog(UTF8ToWide(name), -1, 0, 0);

  TForm* form = ShowForm();
  TFSLabel* label = AddLabel(form, u"/usr/bin/xterm");
  label->SetName("lblTool");
  label->SetIsHyperLink(true);
  ClickOn(label);
  // Without a handler program the desktop cannot open anything.
  fs::remove(bin / "xdg-open");
  label->SetCaption(u"https://brantwell.example/");
  label->SetTop(40);  // a second click on the same spot would be a double click
  pt::RunUntilIdle();
  ClickOn(label);

  std::ifstream in(logFolder / name, std::ios::binary);
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(log.find("lblTool: not opened, not a web or mail address: /usr/bin/xterm"), std::string::npos) << log;
  EXPECT_NE(log.find("lblTool: cannot open 'https://brantwell.example/'"), std::string::npos) << log;
  std::error_code ignored;
  fs::remove(logFolder / name, ignored);
  if (!folderExisted) fs::remove(logFolder, ignored);
}

TEST_F(Labels, AFormFileKeepsTheWideCaptionAndALinkOnlyWhereItDiffers) {
  TForm* form = ShowForm();
  TFSLabel* label = AddLabel(form, u"Caf\u00E9 \U0001F4BF");
  label->SetIsHyperLink(true);
  label->SetHyperLink(u"Caf\u00E9 \U0001F4BF");
  EXPECT_FALSE(IsStoredProp(label, GetPropInfo(label, "HyperLink"))) << "the same as the caption";
  label->SetHyperLink(u"https://brantwell.example/");
  EXPECT_TRUE(IsStoredProp(label, GetPropInfo(label, "HyperLink")));
  EXPECT_EQ(GetWideStrProp(label, "Caption"), u"Caf\u00E9 \U0001F4BF");
  SetWideStrProp(label, GetPropInfo(label, "Caption"), u"Neu");
  EXPECT_EQ(label->Caption(), u"Neu");
  EXPECT_EQ(label->GetText(), "Neu");
}

TEST(LinkAddresses, OnlyHttpHttpsAndMailtoWithSomethingAfterTheColon) {
  EXPECT_TRUE(IsOpenableLink(u"http://a.example"));
  EXPECT_TRUE(IsOpenableLink(u"HTTPS://a.example/x?y=1"));
  EXPECT_TRUE(IsOpenableLink(u"mailto:someone@a.example"));
  EXPECT_FALSE(IsOpenableLink(u"https:"));
  EXPECT_FALSE(IsOpenableLink(u" https://a.example"));
  EXPECT_FALSE(IsOpenableLink(u"ftp://a.example"));
  EXPECT_FALSE(IsOpenableLink(u"javascript:alert(1)"));
  EXPECT_FALSE(IsOpenableLink(u"C:/Windows"));
  EXPECT_FALSE(IsOpenableLink(u"notes.txt"));
  EXPECT_FALSE(IsOpenableLink(u"https://a.example/\tx"));
}

}  // namespace
