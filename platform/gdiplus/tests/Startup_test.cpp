#include "GdiplusTestSupport.h"

namespace {

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new gdiplus_test::StartupEnvironment);

TEST(Startup, RejectsUnknownVersionsAndMissingArguments) {
  ULONG_PTR token = 0;
  GdiplusStartupInput input;
  input.GdiplusVersion = 3;
  EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), UnsupportedGdiplusVersion);
  input.GdiplusVersion = 1;
  EXPECT_EQ(GdiplusStartup(nullptr, &input, nullptr), InvalidParameter);
  input.SuppressBackgroundThread = TRUE;
  EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), InvalidParameter);  // the hooks must go somewhere
  GdiplusStartupOutput output{};
  ASSERT_EQ(GdiplusStartup(&token, &input, &output), Ok);
  ULONG_PTR hookToken = 1;
  EXPECT_EQ(output.NotificationHook(&hookToken), Ok);
  output.NotificationUnhook(hookToken);
  GdiplusShutdown(token);
}

TEST(Startup, ForeignPointersAreRefused) {
  int notAnImage = 0;
  UINT width = 0;
  EXPECT_EQ(GdipGetImageWidth(reinterpret_cast<GpImage*>(&notAnImage), &width), InvalidParameter);
  GpBitmap* bitmap = gdiplus_test::BitmapFromArgb(1, 1, {0xFF000000});
  EXPECT_EQ(GdipDisposeImage(bitmap), Ok);
  EXPECT_EQ(GdipDisposeImage(bitmap), InvalidParameter);  // already gone
  void* block = GdipAlloc(16);
  ASSERT_NE(block, nullptr);
  GdipFree(block);
}

}  // namespace
