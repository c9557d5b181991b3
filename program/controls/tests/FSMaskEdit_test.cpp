// The skinned masked edit: the clip editor's time masks (length, text, typing), run-time text
// that does not fit, and its own error class on leaving with a broken text.

#include <gtest/gtest.h>

#include "EditTestSupport.h"
#include "program/controls/FSMaskEdit.h"

using namespace edit_test;
using platform::testing::RunUntilIdle;

namespace {

using MaskEditSkin = EditFixture;

TEST_F(MaskEditSkin, TheTimeMasksOfTheClipEditor) {
  auto* start = Add<TFSMaskEdit>(10, 10);
  start->SetEditMask("!99:99:99;1;0");
  start->SetMaxLength(3);
  EXPECT_EQ(start->MaxLength(), 8) << "the mask keeps its length";
  EXPECT_EQ(start->Text(), "  :  :  ");
  start->SetText("1:02:03");  // run time: laid into the mask, never refused
  EXPECT_EQ(start->EditText(), "01:02:03");
  start->SetText("not a time");
  EXPECT_EQ(start->EditText().size(), 8u);

  start->SetText("");
  start->SetFocus();
  RunUntilIdle();
  platform::testing::KeyPress(VK_HOME);
  platform::testing::TypeText(u"12x3456");
  RunUntilIdle();
  EXPECT_EQ(start->EditText(), "12:34:56");
  EXPECT_EQ(start->Text(), "12:34:56");
  EXPECT_EQ(start->SkinItem(), SkinEngine->GetSkinItem("Edit")) << "drawn as the skinned edit";
}

TEST_F(MaskEditSkin, LeavingWithABrokenTextRaisesItsOwnError) {
  auto* code = Add<TFSMaskEdit>(10, 10);
  code->SetEditMask("000;0;_");
  code->SetFocus();
  RunUntilIdle();
  platform::testing::TypeText(u"1");
  RunUntilIdle();
  EXPECT_THROW(code->ValidateEdit(), TFSCustomMaskEdit::EDBEditError);
  try {
    code->ValidateEdit();
  } catch (const ::EDBEditError&) {
    FAIL() << "the class library's error class";
  } catch (const TFSCustomMaskEdit::EDBEditError& e) {
    EXPECT_EQ(e.Message(), "Invalid input value.  Use escape key to abandon changes");
  }
}

}  // namespace
