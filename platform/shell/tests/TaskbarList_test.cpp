// The task-bar list object made by class id, setting windows' buttons explicitly.

#include <gtest/gtest.h>

#include "platform/ole/ComClasses.h"
#include "platform/shell/TaskbarList.h"
#include "platform/user/Taskbar.h"
#include "platform/user/tests/UserTestSupport.h"

namespace {

class TaskbarListTest : public usertest::UserTest {};

TEST_F(TaskbarListTest, AddsAndDeletesButtons) {
  ITaskbarList* list = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList,
                             reinterpret_cast<void**>(&list)),
            S_OK);
  ASSERT_NE(list, nullptr);
  HWND main = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200);
  HWND owned = Create(WS_POPUP | WS_CAPTION | WS_VISIBLE, 20, 20, 100, 100, main);
  EXPECT_EQ(list->AddTab(owned), E_UNEXPECTED) << "before HrInit";
  EXPECT_FALSE(platform::HasTaskbarButton(owned));

  ASSERT_EQ(list->HrInit(), S_OK);
  EXPECT_EQ(list->AddTab(owned), S_OK);
  EXPECT_TRUE(platform::HasTaskbarButton(owned));
  EXPECT_EQ(list->DeleteTab(main), S_OK);
  EXPECT_FALSE(platform::HasTaskbarButton(main));
  EXPECT_EQ(list->DeleteTab(owned), S_OK);
  EXPECT_FALSE(platform::HasTaskbarButton(owned));

  HWND child = Create(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, main);
  EXPECT_EQ(list->AddTab(child), E_INVALIDARG);
  EXPECT_EQ(list->AddTab(reinterpret_cast<HWND>(0x7777)), E_INVALIDARG);

  IUnknown* unknown = nullptr;
  EXPECT_EQ(list->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(unknown->Release(), 1u);
  constexpr IID kOther = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(list->QueryInterface(kOther, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(list->Release(), 0u);
}

}  // namespace
