// The colour dialog's protocol with a scripted presenter: what the presenter is given, what
// is written back on OK and kept on Cancel, and the errors.

#include <gtest/gtest.h>

#include "platform/comdlg/CommDlg.h"

namespace {

using platform::comdlg::ColorDialogRequest;
using platform::comdlg::SetColorDialogPresenter;

class CommDlgTest : public ::testing::Test {
 protected:
  void TearDown() override { SetColorDialogPresenter(nullptr); }
};

TEST_F(CommDlgTest, WithoutAPresenterTheCallFails) {
  COLORREF custom[16]{};
  CHOOSECOLORW cc{sizeof(cc), nullptr, nullptr, 0x123456, custom, CC_RGBINIT, 0, nullptr, nullptr};
  EXPECT_FALSE(ChooseColorW(&cc));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
  EXPECT_EQ(cc.rgbResult, 0x123456u);
  cc.lStructSize = 3;
  EXPECT_FALSE(ChooseColorW(&cc));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
}

TEST_F(CommDlgTest, FlagsReachThePresenterAndOkWritesBack) {
  ColorDialogRequest seen;
  bool answer = true;
  SetColorDialogPresenter([&](ColorDialogRequest& r) {
    seen = r;
    r.color = 0x00FF00FF;  // the presenter keeps only the colour bits it is given back
    r.customColors[3] = 0x0000FF;
    return answer;
  });
  COLORREF custom[16];
  std::fill(custom, custom + 16, 0xFFFFFF);
  struct Case {
    DWORD flags;
    COLORREF start;
    bool fullOpen, preventFullOpen, solid, any;
  };
  const Case cases[] = {
      {CC_RGBINIT | CC_FULLOPEN, 0x00112233, true, false, false, false},
      {CC_FULLOPEN | CC_PREVENTFULLOPEN | CC_SHOWHELP, 0x00112233, false, true, false, false},
      {CC_SOLIDCOLOR | CC_ANYCOLOR | CC_ENABLEHOOK, 0x00112233, false, false, true, true},
  };
  for (const Case& c : cases) {
    CHOOSECOLORA cc{sizeof(cc), nullptr, nullptr, c.start, custom, c.flags, 0, nullptr, nullptr};
    ASSERT_TRUE(ChooseColorA(&cc));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(seen.color, c.flags & CC_RGBINIT ? 0x112233u : 0u);
    EXPECT_EQ(seen.fullOpen, c.fullOpen);
    EXPECT_EQ(seen.preventFullOpen, c.preventFullOpen);
    EXPECT_EQ(seen.solidColor, c.solid);
    EXPECT_EQ(seen.anyColor, c.any);
    EXPECT_EQ(cc.rgbResult, 0xFF00FFu);
    EXPECT_EQ(custom[3], 0x0000FFu);
  }
  // Cancel: nothing written, no error.
  answer = false;
  custom[3] = 0xFFFFFF;
  CHOOSECOLORW cc{sizeof(cc), nullptr, nullptr, 0x000001, custom, CC_RGBINIT, 0, nullptr, nullptr};
  EXPECT_FALSE(ChooseColorW(&cc));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(cc.rgbResult, 0x000001u);
  EXPECT_EQ(custom[3], 0xFFFFFFu);
  EXPECT_EQ(seen.customColors[0], 0xFFFFFFu);
}

}  // namespace
