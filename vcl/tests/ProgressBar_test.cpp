// TProgressBar: values set before the window exists reach it, a range set in one step never
// clamps on the way, and the marquee style switches on the living window.

#include <gtest/gtest.h>

#include "platform/comctl/Progress.h"
#include "vcl/Application.h"
#include "vcl/Form.h"
#include "vcl/ProgressBar.h"

namespace {

using namespace platform;

class ProgressBarTest : public ::testing::Test {
 protected:
  void TearDown() override { DoneApplication(); }
};

TEST_F(ProgressBarTest, ValuesSurviveTheWindowAndTheStyleSwitchesInPlace) {
  TForm* form = TCustomForm::CreateNew<TForm>(Application);
  auto* bar = new TProgressBar(form);
  bar->SetParams(700, 500, 1000);  // one step: no clamp to the old maximum of 100
  bar->SetStep(25);
  EXPECT_EQ(bar->Position(), 700);
  bar->SetParent(form);
  form->HandleNeeded();
  bar->HandleNeeded();
  EXPECT_EQ(SendMessageW(bar->Handle(), PBM_GETPOS, 0, 0), 700);
  EXPECT_EQ(SendMessageW(bar->Handle(), PBM_GETRANGE, TRUE, 0), 500);
  EXPECT_EQ(SendMessageW(bar->Handle(), PBM_GETRANGE, FALSE, 0), 1000);
  bar->StepIt();
  EXPECT_EQ(bar->Position(), 725);
  bar->SetPosition(5000);
  EXPECT_EQ(bar->Position(), 1000);

  HWND before = bar->Handle();
  bar->SetStyle(pbstMarquee);
  EXPECT_EQ(bar->Handle(), before) << "no new window for the marquee";
  EXPECT_NE(GetWindowLongPtrW(bar->Handle(), GWL_STYLE) & PBS_MARQUEE, 0);
  bar->SetStyle(pbstNormal);
  EXPECT_EQ(GetWindowLongPtrW(bar->Handle(), GWL_STYLE) & PBS_MARQUEE, 0);
  bar->SetSmooth(true);
  EXPECT_NE(GetWindowLongPtrW(bar->Handle(), GWL_STYLE) & PBS_SMOOTH, 0);
  EXPECT_EQ(bar->Position(), 1000) << "kept across the new window";
  delete form;
}

}  // namespace
