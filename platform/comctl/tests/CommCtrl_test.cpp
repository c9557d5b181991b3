#include "platform/comctl/CommCtrl.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(CommCtrl, StartUpRefusesAWrongRecordSize) {
  INITCOMMONCONTROLSEX bad{3, ICC_WIN95_CLASSES};
  EXPECT_FALSE(InitCommonControlsEx(&bad));
  INITCOMMONCONTROLSEX good{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  EXPECT_TRUE(InitCommonControlsEx(&good));
  EXPECT_TRUE(InitCommonControlsEx(&good));
}

}  // namespace
}  // namespace platform
