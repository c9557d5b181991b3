// The ends of an authoring job: a failed job says why, the controller is freed once and its
// handle cleared, and none of the calls minds a controller that was never made.

#include "program/engine/OutputControl.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "EngineTestSupport.h"
#include "engines/QM_OutputCtrl/OutputCtrl.h"
#include "platform/kernel/Unicode.h"

namespace {

namespace fs = std::filesystem;

TEST(OutputControl, AFailedJobSaysWhyAndTheControllerIsFreedOnce) {
  uintptr_t none = 0;
  CancelOutputCtrl(none);
  DestroyOutputCtrl(none);
  EXPECT_EQ(OutputCtrlLastError(none), u"");

  enginetest::ScratchFolder scratch("output-control");
  const fs::path titles = scratch / "titles";  // holds no encoded title
  fs::create_directories(titles);
  uintptr_t ctrl = OCCreateCtrl();
  ASSERT_NE(ctrl, 0u);
  EXPECT_EQ(OutputCtrlLastError(ctrl), u"");
  OCSetTempPath(ctrl, platform::Utf8ToUtf16(titles.string()).c_str());
  OCSetDvdFolder(ctrl, platform::Utf8ToUtf16((scratch / "DVD").string()).c_str());
  OCSetDVDType(ctrl, OC_TYPE_FOLDER);
  ASSERT_EQ(OCStartProcess(ctrl), 1);
  ASSERT_EQ(OCWaitProcess(ctrl, 60000), OC_STATE_FAILED);
  const WideString reason = OutputCtrlLastError(ctrl);
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(reason.find(u'\0'), WideString::npos);

  CancelOutputCtrl(ctrl);  // ended already: nothing happens
  const uintptr_t freed = ctrl;
  DestroyOutputCtrl(ctrl);
  EXPECT_EQ(ctrl, 0u);
  EXPECT_EQ(OCGetState(freed), OC_STATE_IDLE);  // the engine no longer knows it
  EXPECT_EQ(OutputCtrlLastError(freed), u"");
}

}  // namespace
