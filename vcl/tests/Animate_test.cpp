// TAnimate: the searching clip opened before or after the window exists, AutoSize, Active
// over Repetitions with OnStart/OnStop, Seek, and the errors of a control without a clip.

#include "vcl/Animate.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/comctl/Animate.h"
#include "platform/testing/Synthetic.h"
#include "platform/user/Resources.h"
#include "vcl/Application.h"
#include "vcl/Form.h"

namespace {

namespace test = platform::testing;

class VclAnimateTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The program compiles its clip in; the test registers the same file.
    std::ifstream in(std::filesystem::path(BRANTWELL_SOURCE_DIR) / "resources/embedded/FindFolder.png", std::ios::binary);
    static const std::vector<uint8_t> clip{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(clip.empty());
    platform::RegisterEmbeddedResource(RT_RCDATA, u"FindFolder", clip.data(), clip.size());
  }
  void SetUp() override {
    m_form = TCustomForm::CreateNew<TForm>(Application);
    m_form->SetBorderStyle(bsNone);
    m_form->SetBounds(20, 20, 400, 300);
    test::UseManualClock(true);
  }
  void TearDown() override {
    DoneApplication();
    test::UseManualClock(false);
  }
  static void Tick(int frames) {
    for (int i = 0; i < frames; ++i) {
      test::AdvanceClock(80);
      Application->ProcessMessages();
    }
  }

  TForm* m_form = nullptr;
};

TEST_F(VclAnimateTest, ActivePlaysTheRepetitionsAndReportsStartAndStop) {
  auto* animate = new TAnimate(m_form);
  animate->SetParent(m_form);
  animate->SetBounds(10, 10, 200, 150);
  animate->SetCommonAVI(aviFindFolder);
  animate->SetRepetitions(2);
  animate->SetStartFrame(3);
  animate->SetStopFrame(6);
  animate->SetActive(true);  // kept until there is a window
  std::vector<std::string> events;
  animate->OnStart = [&](TObject*) { events.push_back("start"); };
  animate->OnStop = [&](TObject*) { events.push_back("stop"); };
  m_form->Show();

  EXPECT_EQ(animate->FrameCount(), 16);
  EXPECT_EQ(animate->Width(), animate->FrameWidth());  // AutoSize
  EXPECT_EQ(animate->Height(), animate->FrameHeight());
  EXPECT_EQ(platform::detail::AnimateCurrentFrame(animate->Handle()), 2);
  EXPECT_EQ(events, std::vector<std::string>{"start"});
  Tick(3);
  EXPECT_EQ(platform::detail::AnimateCurrentFrame(animate->Handle()), 5);
  EXPECT_TRUE(animate->Active());
  Tick(5);  // the second pass ends on frame 6
  EXPECT_FALSE(animate->Active());
  EXPECT_EQ(events, (std::vector<std::string>{"start", "stop"}));

  animate->Seek(9);
  EXPECT_EQ(platform::detail::AnimateCurrentFrame(animate->Handle()), 8);
  EXPECT_FALSE(animate->Active());
  animate->Reset();
  EXPECT_EQ(platform::detail::AnimateCurrentFrame(animate->Handle()), 0);
  EXPECT_THROW(animate->Play(4, 17, 1), EInvalidOperation);
}

TEST_F(VclAnimateTest, WithoutAutoSizeTheBoundsStayAndWithoutAClipNothingPlays) {
  auto* animate = new TAnimate(m_form);
  animate->SetParent(m_form);
  animate->SetAutoSize(false);
  animate->SetCenter(false);
  animate->SetBounds(10, 10, 120, 90);
  m_form->Show();
  EXPECT_FALSE(animate->Open());
  EXPECT_THROW(animate->SetActive(true), EInvalidOperation);
  EXPECT_FALSE(animate->Active());
  EXPECT_THROW(animate->Seek(1), EInvalidOperation);

  animate->SetCommonAVI(aviFindFolder);
  EXPECT_TRUE(animate->Open());
  EXPECT_EQ(animate->Width(), 120);
  EXPECT_EQ(animate->Height(), 90);
  animate->SetActive(true);  // Repetitions 0: for ever
  Tick(40);
  EXPECT_TRUE(animate->Active());
  animate->SetCommonAVI(aviNone);
  EXPECT_FALSE(animate->Open());
  EXPECT_FALSE(animate->Active());
}

}  // namespace
