// The drag manager: immediate and threshold drags, targets asked on enter, move and leave,
// drops and refusals, Esc, drag objects from OnStartDrag, cursors, and drag images.

#include "vcl/Drag.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/comctl/ImageList.h"
#include "platform/testing/Synthetic.h"
#include "vcl/Application.h"
#include "vcl/Form.h"
#include "vcl/GraphicControl.h"
#include "vcl/Screen.h"

namespace {

namespace test = platform::testing;

// A plain windowed control that can hand a drag image.
class Box : public TCustomControl {
 public:
  explicit Box(TComponent* owner) : TCustomControl(owner) {}
  TDragImageList* GetDragImages() override { return images; }
  TDragImageList* images = nullptr;
};

class DragTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = TCustomForm::CreateNew<TForm>(Application);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(20, 20, 400, 200);
    source_ = MakeBox(10);
    target_ = MakeBox(200);
    form_->Show();
    Application->ProcessMessages();
    Mouse->SetDragImmediate(true);
    Mouse->SetDragThreshold(5);
  }
  void TearDown() override {
    CancelDrag();
    DoneApplication();
  }
  Box* MakeBox(int left) {
    auto* box = new Box(form_);
    box->SetParent(form_);
    box->SetBounds(left, 10, 150, 150);
    return box;
  }
  static POINT At(TControl* control, int x, int y) {
    return test::ScreenPoint(static_cast<TWinControl*>(control)->Handle(), x, y);
  }
  static void Run() { Application->ProcessMessages(); }
  // The target accepts drags from the source and records what it hears.
  void Record() {
    target_->OnDragOver = [this](TObject*, TObject* source, int x, int y, TDragState state, bool& accept) {
      events_.push_back(std::string("over ") + (state == dsDragEnter ? "enter" : state == dsDragLeave ? "leave" : "move"));
      lastSource_ = source;
      lastPoint_ = {x, y};
      accept = acceptDrops_;
    };
    target_->OnDragDrop = [this](TObject*, TObject* source, int x, int y) {
      events_.push_back("drop");
      lastSource_ = source;
      lastPoint_ = {x, y};
    };
    source_->OnEndDrag = [this](TObject*, TObject* target, int, int) {
      events_.push_back(target ? "end on target" : "end nowhere");
    };
  }

  TForm* form_ = nullptr;
  Box* source_ = nullptr;
  Box* target_ = nullptr;
  std::vector<std::string> events_;
  TObject* lastSource_ = nullptr;
  TPoint lastPoint_;
  bool acceptDrops_ = true;
};

TEST_F(DragTest, AnAutomaticDragDropsOnAnAcceptingTarget) {
  Record();
  source_->SetDragMode(dmAutomatic);
  test::MouseDown(At(source_, 20, 20));
  Run();
  EXPECT_TRUE(source_->Dragging());
  EXPECT_TRUE(Mouse->IsDragging());  // immediate
  test::MouseMove(At(target_, 30, 40));
  Run();
  test::MouseMove(At(target_, 35, 45));
  Run();
  EXPECT_EQ(GetCursor(), Screen->Cursors(crDrag));
  test::MouseUp(At(target_, 35, 45));
  Run();
  EXPECT_EQ(events_, (std::vector<std::string>{"over enter", "over move", "drop", "end on target"}));
  EXPECT_EQ(lastSource_, source_);  // a control's drag object stands for the control
  EXPECT_EQ(lastPoint_, (TPoint{35, 45}));
  EXPECT_FALSE(source_->Dragging());
  EXPECT_EQ(CurrentDragObject(), nullptr);
}

TEST_F(DragTest, AThresholdDragStartsOnlyOnceThePointerHasMovedFarEnough) {
  Record();
  acceptDrops_ = false;
  source_->SetDragMode(dmAutomatic);
  Mouse->SetDragImmediate(false);
  test::MouseDown(At(source_, 20, 20));
  Run();
  EXPECT_TRUE(source_->Dragging());
  EXPECT_FALSE(Mouse->IsDragging());
  test::MouseMove(At(source_, 24, 23));
  Run();
  EXPECT_FALSE(Mouse->IsDragging());
  test::MouseMove(At(target_, 10, 10));
  Run();
  EXPECT_TRUE(Mouse->IsDragging());
  EXPECT_EQ(GetCursor(), Screen->Cursors(crNoDrop));  // refused
  test::MouseUp(At(target_, 10, 10));
  Run();
  // A refused drop is no drop: the target hears the pointer leave.
  EXPECT_EQ(events_, (std::vector<std::string>{"over enter", "over leave", "end nowhere"}));

  // Released before the threshold: no drag at all, and the click reaches the control.
  events_.clear();
  int clicks = 0;
  source_->OnClick = [&](TObject*) { ++clicks; };
  test::MouseDown(At(source_, 80, 80));  // away from the last press: no double click
  Run();
  EXPECT_TRUE(source_->Dragging());
  test::MouseUp(At(source_, 81, 80));
  Run();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(events_, (std::vector<std::string>{"end nowhere"}));
  EXPECT_EQ(CurrentDragObject(), nullptr);
}

TEST_F(DragTest, EscCancelsAndADragObjectFromOnStartDragIsTheSource) {
  Record();
  TDragControlObject object(source_);
  source_->OnStartDrag = [&](TObject*, TDragObject*& dragObject) { dragObject = &object; };
  test::MouseDown(At(source_, 20, 20));
  Run();
  source_->BeginDrag(true);
  test::MouseMove(At(target_, 30, 30));
  Run();
  EXPECT_EQ(CurrentDragObject(), &object);
  EXPECT_EQ(object.DragTarget(), target_);
  EXPECT_EQ(object.DragTargetPos(), (TPoint{30, 30}));
  test::KeyPress(VK_ESCAPE);
  Run();
  EXPECT_EQ(events_, (std::vector<std::string>{"over enter", "over leave", "end nowhere"}));
  EXPECT_TRUE(object.Cancelling());
  EXPECT_FALSE(object.Dropped());
  test::MouseUp(At(target_, 30, 30));
  Run();

  // A drag object that is no control's is handed to the target as it is.
  struct Files : TDragObject {};
  Files files;
  events_.clear();
  source_->OnStartDrag = [&](TObject*, TDragObject*& dragObject) { dragObject = &files; };
  test::MouseDown(At(source_, 20, 20));
  Run();
  source_->BeginDrag(true);
  test::MouseMove(At(target_, 30, 30));
  test::MouseUp(At(target_, 30, 30));
  Run();
  EXPECT_EQ(lastSource_, &files);
  EXPECT_TRUE(files.Dropped());
}

TEST_F(DragTest, TheDragImageFollowsThePointerOverTargetsThatShowIt) {
  TDragImageList images(nullptr);
  images.SetWidth(16);
  images.SetHeight(16);
  TBitmap bitmap;
  bitmap.SetSize(16, 16);
  bitmap.Canvas()->Brush()->SetColor(clRed);
  bitmap.Canvas()->FillRect(TRect{0, 0, 16, 16});
  images.Add(&bitmap, nullptr);
  ASSERT_TRUE(images.SetDragImage(0, 4, 6));
  EXPECT_FALSE(images.SetDragImage(3, 0, 0));
  source_->images = &images;
  target_->SetControlStyle(target_->ControlStyle() + TControlStyle{csDisplayDragImage});
  target_->OnDragOver = [](TObject*, TObject*, int, int, TDragState, bool& accept) { accept = true; };

  test::MouseDown(At(source_, 20, 20));
  Run();
  source_->BeginDrag(true);
  test::MouseMove(At(target_, 50, 60));
  Run();
  ASSERT_TRUE(images.Dragging());
  POINT position{}, hotspot{};
  EXPECT_NE(platform::ImageList_GetDragImage(&position, &hotspot), nullptr);
  EXPECT_EQ(hotspot.x, 4);
  EXPECT_EQ(hotspot.y, 6);
  test::MouseUp(At(target_, 50, 60));
  Run();
  EXPECT_FALSE(images.Dragging());
  EXPECT_EQ(platform::ImageList_GetDragImage(&position, &hotspot), nullptr);
}

}  // namespace
