// The small windows on the headless display: the splash with its version and copyright and
// its close by click, the wait overlay's notification (shown and modal) and picture, the
// numbered error list, the properties of a file with its length rules, and the about box's
// links from scrambled settings. Every text key they look up exists in the English texts.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <vector>

#include "engines/QM_Language/QM_Language.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/testing/Synthetic.h"
#include "program/app/About.h"
#include "program/app/ErrorInfo.h"
#include "program/app/Process.h"
#include "program/app/Properties.h"
#include "program/app/SharedRoutines.h"
#include "program/app/Splash.h"
#include "program/engine/tests/MissingTextFails.h"
#include "program/core/Config.h"
#include "program/core/FSXMLPersistent.h"
#include "program/engine/LanguageEngine.h"
#include "program/imaging/GPInit.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinModule.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"

namespace {

namespace fs = std::filesystem;
using platform::testing::RunUntil;
using platform::testing::RunUntilIdle;

// Messages posted to a plain window of the test.
std::vector<UINT>& Received() {
  static std::vector<UINT> received;
  return received;
}

LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg >= WM_USER) Received().push_back(msg);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class SmallWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() /
             ("small-windows-" + std::to_string(getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    savedConfig = AppConfig;
    AppConfig.Create(UTF8ToWide((folder / "settings.ini").string()), u"System");
    InitImaging();
    StartSkinModule();
    SkinEngine->SetSkinPath((fs::path(platform::ProgramFolder()) / "Skin" / "Default").string());
    RegisterXMLFormReader();
    ASSERT_GT(MLInit(u"Languages/*.dat"), 0);
    ASSERT_EQ(MLLoadLanguageResByName(u"EngLish"), 1);
    missingTextFails = FailOnMissingText();
    Received().clear();
  }
  void TearDown() override {
    CloseSplash();
    RunUntilIdle();
    DoneApplication();
    missingTextFails.reset();
    StopSkinModule();
    MLClose();
    AppConfig = savedConfig;
    std::error_code error;
    fs::remove_all(folder, error);
  }
  // The English text of a key, failing the test when the language lacks it.
  static AnsiString Text(const char16_t* key) {
    const WideString text = LanguageText(key);
    EXPECT_NE(text, WideString(key)) << "no text for " << WideToUTF8(key);
    return WideToUTF8(text);
  }

  fs::path folder;
  TConfig savedConfig;
  std::unique_ptr<TScopedLanguageMissHook> missingTextFails;
};

TEST_F(SmallWindowsTest, SplashShowsVersionAndCopyrightAndClosesOnAClick) {
  ShowSplash();
  ASSERT_NE(Splash, nullptr);
  EXPECT_TRUE(Splash->Visible());
  EXPECT_TRUE(Splash->SkinLoaded());
  EXPECT_EQ(Splash->ClientWidth(), 404);
  EXPECT_EQ(Splash->ClientHeight(), 286);
  EXPECT_EQ(Splash->lblVersion->Caption(), "Version: " + GetProgramVersion());
  EXPECT_EQ(WideToUTF8(Splash->lblCopyright->Caption()), Text(u"LBL_Company_Caption"));

  platform::testing::Click(platform::testing::ScreenPoint(Splash->Handle(), 40, 40));
  ASSERT_TRUE(RunUntil([] { return Splash == nullptr; }));
  CloseSplash();  // nothing left to close

  ShowSplash();
  ASSERT_NE(Splash, nullptr);
  CloseSplash();
  EXPECT_EQ(Splash, nullptr);
}

TEST_F(SmallWindowsTest, WaitOverlayNotifiesItsWindowShownOrModal) {
  WNDCLASSW cls{};
  cls.lpfnWndProc = RecordingProc;
  cls.lpszClassName = u"SmallWindowsTestTarget";
  RegisterClassW(&cls);
  const HWND target = CreateWindowExW(0, u"SmallWindowsTestTarget", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(target, nullptr);

  ProcessForm = TProcessForm::CreateInfo(target, "Reading 3 files...");
  EXPECT_EQ(ProcessForm->Owner(), nullptr);
  EXPECT_EQ(ProcessForm->Cursor(), crHourGlass);
  EXPECT_EQ(ProcessForm->ClientWidth(), 420);
  ASSERT_EQ(ProcessForm->Image1->Picture()->Width(), 420);
  EXPECT_EQ(ProcessForm->Image1->Picture()->Height(), 48);
  ProcessForm->Show();
  ProcessForm->Update();
  ASSERT_TRUE(RunUntil([] { return !Received().empty(); }));
  EXPECT_EQ(Received(), std::vector<UINT>{WM_WAITFORM_SHOWN});
  EXPECT_EQ(ProcessForm->lblinfo->Caption(), u"Reading 3 files...");
  // The panel's white body, no frame around it.
  const auto image = platform::testing::ReadWindow(ProcessForm->Handle());
  EXPECT_EQ(image.At(300, 6) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(image.At(200, 0) & 0xFFFFFF, image.At(200, 47) & 0xFFFFFF) << "one border all round";
  delete ProcessForm;
  EXPECT_EQ(ProcessForm, nullptr);

  // Modal: the notification arrives inside the overlay's own loop.
  Received().clear();
  TProcessForm* modal = TProcessForm::CreateInfo(target, "Saving...");
  bool closedFromLoop = false;
  modal->OnActivate = [&](TObject*) {
    if (!closedFromLoop && RunUntil([] { return !Received().empty(); }, 2000)) {
      closedFromLoop = true;
      modal->SetModalResult(mrOk);
    }
  };
  EXPECT_EQ(modal->ShowModal(), mrOk);
  EXPECT_TRUE(closedFromLoop);
  EXPECT_EQ(Received(), std::vector<UINT>{WM_WAITFORM_SHOWN});
  delete modal;
  DestroyWindow(target);
}

TEST_F(SmallWindowsTest, ErrorListNumbersTheFilesInOrder) {
  TStringList items;
  for (const char* name : {"/media/b.avi", "/media/a.mpg", "/media/c.mov"}) items.Add(name);
  std::unique_ptr<TErrorInfoForm> form(TErrorInfoForm::CreateList(&items, "These files could not be added:"));
  items.Clear();  // the window keeps its own copy
  EXPECT_EQ(form->Owner(), nullptr);
  EXPECT_EQ(form->Caption(), Text(u"Info_Title"));
  EXPECT_EQ(form->btnOK->Caption(), Text(u"BTN_OK_Caption"));
  EXPECT_EQ(form->lblErrorInfo->Caption(), u"These files could not be added:");
  EXPECT_EQ(form->ClientWidth(), 388);
  EXPECT_EQ(form->ClientHeight(), 366);

  PostMessageW(form->btnOK->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  form->ShowModal();
  TStrings* lines = form->lbErrorInfo->Lines();
  ASSERT_EQ(lines->Count(), 3);
  EXPECT_EQ(lines->Strings(0), "1. /media/b.avi");
  EXPECT_EQ(lines->Strings(1), "2. /media/a.mpg");
  EXPECT_EQ(lines->Strings(2), "3. /media/c.mov");

  // Its copy went with the close: a second showing lists nothing.
  form->Show();
  RunUntilIdle();
  EXPECT_EQ(form->lbErrorInfo->Lines()->Count(), 0);
}

TEST(Properties, LengthOfAFileFromFramesAndRate) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double infinity = std::numeric_limits<double>::infinity();
  struct Case {
    int frames;
    double rate;
    Cardinal seconds;
  } cases[] = {
      {7500, 25, 300},   // 300.5 rounds to the even 300
      {7510, 25, 301},
      {7525, 25, 302},   // 301.5 rounds to the even 302
      {0, 25, 0},
      {7500, 0, 0},
      {7500, -25, 0},
      {7500, nan, 0},
      {7500, infinity, 0},  // 0 + 0.5 -> 0
      {7500, 1e-320, 0},    // an infinite length
      {-50, 25, 0},
      {std::numeric_limits<int>::max(), 1e-5, std::numeric_limits<Cardinal>::max()},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MediaLengthSeconds(c.frames, c.rate), c.seconds) << c.frames << " at " << c.rate;
  EXPECT_EQ(ChannelText(1), "1 Channel, Mono");
  EXPECT_EQ(ChannelText(2), "2 Channel, Stereo");
  EXPECT_EQ(ChannelText(6), "6 Channel");
}

TEST_F(SmallWindowsTest, PropertiesShowTheFile) {
  TAudioInfo audio{};
  audio.sample_rate = 48000;
  audio.channels = 2;
  TVideoInfo video{};
  video.Width = 720;
  video.Height = 576;
  video.frame_rate = 25;
  video.total_frames = 7500;
  TForm* owner = TCustomForm::CreateNew<TForm>(nullptr);
  TPropertiesForm* form = TPropertiesForm::CreateInfo(owner, audio, video, u"/home/user/Videos/Holiday clip.mpg");
  EXPECT_EQ(form->Owner(), owner);
  EXPECT_EQ(form->Caption(), "Properties");
  EXPECT_EQ(form->ClientWidth(), 344);
  EXPECT_EQ(form->ClientHeight(), 380);
  EXPECT_EQ(form->edtFileName->Text(), "Holiday clip.mpg");
  EXPECT_EQ(form->edtFileName->SelStart(), 16);
  EXPECT_EQ(form->edtlength->Text(), "00:05:00");
  EXPECT_EQ(form->edtReso->Text(), "720*576");
  EXPECT_EQ(form->edtVBitrate->Text(), "7500");
  EXPECT_EQ(form->edtFRate->Text(), "25 fps");
  EXPECT_EQ(form->edtSRate->Text(), "48000 Hz");
  EXPECT_EQ(form->edtChannel->Text(), "2 Channel, Stereo");
  EXPECT_EQ(form->lblFileName->Caption(), Text(u"LBL_FileName_Caption"));
  EXPECT_EQ(form->lblLength->Caption(), Text(u"LBL_Media_Length"));
  EXPECT_EQ(form->gbvideo->Caption(), Text(u"GB_Video_Caption"));
  EXPECT_EQ(form->gbAudio->Caption(), Text(u"GB_Audio_Caption"));
  EXPECT_EQ(form->lblReso->Caption(), Text(u"LBL_Reso_Caption"));
  EXPECT_EQ(form->lblVBitrate->Caption(), Text(u"LBL_Total_Frame"));
  EXPECT_EQ(form->lblFRate->Caption(), Text(u"LBL_FRate_Caption"));
  EXPECT_EQ(form->lblSampleRate->Caption(), Text(u"LBL_SRate_Caption"));
  EXPECT_EQ(form->lblChannel->Caption(), Text(u"LBL_Channel_Caption"));
  EXPECT_EQ(form->btnOk->Caption(), Text(u"BTN_OK_Caption"));

  // Closed, it frees itself.
  bool destroyed = false;
  form->OnDestroy = [&](TObject*) { destroyed = true; };
  PostMessageW(form->btnOk->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  form->ShowModal();
  ASSERT_TRUE(RunUntil([&] { return destroyed; }));
  EXPECT_EQ(owner->ComponentCount(), 0);

  video.frame_rate = 29.97;
  video.total_frames = -3;
  form = TPropertiesForm::CreateInfo(owner, audio, video, u"clip");
  EXPECT_EQ(form->edtFRate->Text(), "29.97 fps");
  EXPECT_EQ(form->edtlength->Text(), "00:00:00");
  delete owner;
}

TEST_F(SmallWindowsTest, AboutBoxShowsTheAddressesOfTheSettings) {
  TForm* owner = TCustomForm::CreateNew<TForm>(nullptr);
  std::unique_ptr<TAboutForm> about(TAboutForm::CreateAbout(owner));
  EXPECT_EQ(about->Caption(), "About");
  EXPECT_EQ(about->ClientWidth(), 434);
  EXPECT_EQ(about->ClientHeight(), 276);
  EXPECT_EQ(about->lblVersion->Caption(), UTF8ToWide("Version: " + GetProgramVersion()));
  EXPECT_EQ(WideToUTF8(about->lblCopyright->Caption()), Text(u"LBL_Company_Caption"));
  EXPECT_EQ(about->lblSupurl->Caption(), u"") << "no key in the settings";
  EXPECT_EQ(about->lblHPurl->Caption(), u"");
  EXPECT_NE(about->imgBanner->SkinPart(), nullptr);
  about.reset();

  // Stored scrambled: with the key "Z" (90, a multiple of ten: no reversal moves a byte)
  // the scrambling is a plain xor.
  auto scramble = [](const std::string& plain, char key) {
    std::string hex;
    const uint8_t last = static_cast<uint8_t>((static_cast<int>(plain.size()) - 1) ^ key);
    auto put = [&](uint8_t b) {
      hex += "0123456789ABCDEF"[b >> 4];
      hex += "0123456789ABCDEF"[b & 15];
    };
    for (char c : plain) put(static_cast<uint8_t>(c ^ key ^ last));
    put(last);
    return hex;
  };
  AppConfig.WriteStringA("System", "CodeKey2", "Z");
  AppConfig.WriteStringA("HTTP", "SupportPage", scramble("https://support.example.com/brantwell", 'Z'));
  AppConfig.WriteStringA("HTTP", "HomePage", scramble("https://www.example.com/", 'Z'));
  about.reset(TAboutForm::CreateAbout(owner));
  EXPECT_EQ(about->lblSupurl->Caption(), u"https://support.example.com/brantwell");
  EXPECT_EQ(about->lblHPurl->Caption(), u"https://www.example.com/");
  EXPECT_TRUE(about->lblSupurl->IsHyperLink());
  EXPECT_EQ(about->lblSupurl->EllipsisPosition(), epEndEllipsis);

  PostMessageW(about->btnOK->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_NE(about->ShowModal(), mrNone);
  about.reset();
  delete owner;
}

}  // namespace
