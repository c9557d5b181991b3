// The photo view's thumbnails: generated JPEG, PNG, GIF, BMP and ICO files drawn by the
// thumbnail thread, a missing file (the error image), a file of an unknown type (its type's
// icon), newest-first requests, items deleted or cleared while the thread builds, the build
// events, system icons in the other styles; the view's styles, drop target and drags.

#include "program/controls/FSPhotoView.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ControlsTestSupport.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/DropFiles.h"
#include "platform/testing/Synthetic.h"
#include "platform/comctl/ListView.h"
#include "platform/ole/Ole.h"
#include "program/controls/ThumbnailSources.h"
#include "program/imaging/GPPictures.h"
#include "vcl/Bitmap.h"
#include "vcl/Drag.h"
#include "vcl/Panel.h"
#include "vcl/Thread.h"

namespace {

namespace fs = std::filesystem;
namespace test = platform::testing;

class PhotoViewTest : public controls_test::ControlsFixture {
 protected:
  void SetUp() override {
    ControlsFixture::SetUp();
    TFSPhotoList::IdleTimeoutMs = 300;
    form_ = MakeForm(600, 400);
    view_ = new TFSPhotoView(form_);
    view_->SetParent(form_);
    view_->SetBounds(0, 0, 600, 400);
    view_->SetThumbnailSize(ts80x60);
    test::RunUntilIdle();
  }
  void TearDown() override {
    TFSPhotoList::IdleTimeoutMs = 20000;
    ControlsFixture::TearDown();
  }

  // A 160 x 120 picture, red on the left half and blue on the right, saved by a picture class.
  template <class Picture>
  fs::path Save(const std::string& name) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(160, 120);
    bitmap.Canvas()->Brush()->SetColor(clRed);
    bitmap.Canvas()->FillRect(TRect{0, 0, 80, 120});
    bitmap.Canvas()->Brush()->SetColor(clBlue);
    bitmap.Canvas()->FillRect(TRect{80, 0, 160, 120});
    Picture picture;
    picture.Assign(&bitmap);
    const fs::path path = folder / name;
    picture.SaveToFile(AnsiString(path.string()));
    return path;
  }
  TFSPhotoItem* AddFile(const fs::path& path) {
    return view_->PhotoItems()->Add(platform::Utf8ToUtf16(path.string()));
  }
  // Runs the loop until every item has its image (or an error), with a watchdog.
  bool WaitForThumbnails() {
    return test::RunUntil([&] {
      for (int i = 0; i < view_->PhotoItems()->Count(); ++i)
        if (view_->PhotoItems()->GetItem(i)->ImageIndex() == -1) return false;
      return true;
    });
  }
  uint32_t ThumbPixel(int image, int x, int y) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf32bit);
    const TPoint size = view_->GetThumbSize();
    bitmap.SetSize(size.X, size.Y);
    view_->ThumbImages()->Draw(bitmap.Canvas(), 0, 0, image);
    return test::CaptureBitmap(bitmap.Handle()).At(x, y) & 0xFFFFFF;
  }

  TForm* form_ = nullptr;
  TFSPhotoView* view_ = nullptr;
};

TEST_F(PhotoViewTest, ThumbnailsOfEveryPictureFormatAMissingFileAndAnUnknownType) {
  const fs::path files[] = {Save<TJPEGImage>("a.jpg"), Save<TPNGImage>("b.png"), Save<TGIFImage>("c.gif"),
                            Save<TBMPImage>("d.bmp")};
  for (const fs::path& file : files) AddFile(file);
  fs::copy_file(fs::path(BRANTWELL_SOURCE_DIR) / "resources/embedded/GenericPicture.ico", folder / "e.ico");
  TFSPhotoItem* icon = AddFile(folder / "e.ico");
  TFSPhotoItem* missing = AddFile(folder / "gone.jpg");
  std::ofstream(folder / "notes.xyzzy") << "no picture at all";
  TFSPhotoItem* unknown = AddFile(folder / "notes.xyzzy");
  EXPECT_EQ(view_->GetThumbSize(), (TPoint{82, 82}));

  ASSERT_TRUE(WaitForThumbnails());
  EXPECT_EQ(missing->ImageIndex(), 0);  // the error image
  EXPECT_TRUE(missing->Error());
  for (int i = 0; i < 4; ++i) {
    TFSPhotoItem* item = view_->PhotoItems()->GetItem(i);
    SCOPED_TRACE(item->Caption());
    ASSERT_GE(item->ImageIndex(), 2);
    EXPECT_TRUE(item->Drawn());
    // 160 x 120 shrinks to 80 x 60 inside the border, centred: red left, blue right.
    const uint32_t left = ThumbPixel(item->ImageIndex(), 20, 41), right = ThumbPixel(item->ImageIndex(), 60, 41);
    EXPECT_GT((left >> 16) & 0xFF, 0xC0u);
    EXPECT_LT(left & 0xFF, 0x40u);
    EXPECT_GT(right & 0xFF, 0xC0u);
    EXPECT_LT((right >> 16) & 0xFF, 0x40u);
    EXPECT_EQ(ThumbPixel(item->ImageIndex(), 0, 0), 0xCAD4EEu);  // the border, $EED4CA
  }
  EXPECT_GE(icon->ImageIndex(), 2);
  EXPECT_TRUE(icon->Drawn());
  // A file no picture class reads shows its type's icon, not the error image.
  EXPECT_GE(unknown->ImageIndex(), 2);
  EXPECT_FALSE(unknown->Error());
  EXPECT_TRUE(unknown->Drawn());
  EXPECT_EQ(view_->ThumbImages()->Count(), 2 + 6);

  // The view shows them: the first item's thumbnail is red and blue on screen.
  test::RunUntilIdle();
  const TRect iconRect = view_->PhotoItems()->GetItem(0)->DisplayRect(drIcon);
  const auto window = test::ReadWindow(view_->Handle());
  const int midY = (iconRect.Top + iconRect.Bottom) / 2, midX = (iconRect.Left + iconRect.Right) / 2;
  EXPECT_GT((window.At(midX - 15, midY) >> 16) & 0xFF, 0xC0u);
  EXPECT_GT(window.At(midX + 15, midY) & 0xFF, 0xC0u);
  std::string error;
  test::SaveWindowPng(form_->Handle(), (folder / "photo-view.png").string(), &error);
}

TEST_F(PhotoViewTest, RequestsRunNewestFirstAndOnceEach) {
  TFSPhotoItem* a = view_->PhotoItems()->AddPicture("a", nullptr);
  TFSPhotoItem* b = view_->PhotoItems()->AddPicture("b", nullptr);
  TFSPhotoItem* c = view_->PhotoItems()->AddPicture("c", nullptr);
  // A thread not started yet holds its requests as they come.
  auto* thread = new TThumbThread(view_->PhotoItems());
  for (TFSPhotoItem* item : {a, b, c}) {
    TThumbRequest request;
    request.Item = item;
    thread->Enqueue(request, true);
  }
  EXPECT_EQ(thread->QueueOrder(), (std::vector<TFSPhotoItem*>{c, b, a}));
  thread->ClearQueue();
  for (TFSPhotoItem* item : {a, b, c}) {
    TThumbRequest request;
    request.Item = item;
    thread->Enqueue(request, false);  // owner data: in the order asked
  }
  EXPECT_EQ(thread->QueueOrder(), (std::vector<TFSPhotoItem*>{a, b, c}));
  thread->RemoveItem(b);
  EXPECT_EQ(thread->QueueOrder(), (std::vector<TFSPhotoItem*>{a, c}));
  EXPECT_TRUE(thread->IsQueuedOrBuilding(c));
  EXPECT_FALSE(thread->IsQueuedOrBuilding(b));
  delete thread;  // never started: it ends without building
}

TEST_F(PhotoViewTest, ItemsDeletedOrClearedWhileTheThreadBuildsAreNeverTouched) {
  const fs::path jpeg = Save<TJPEGImage>("photo.jpg");
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 40; ++i) AddFile(jpeg);
    test::RunUntilIdle();  // the control asks for the visible images
    // Delete some while their requests wait or build, then clear the rest.
    for (int i = 0; i < 10; ++i) view_->PhotoItems()->Delete(0);
    test::RunUntilIdle();
    view_->PhotoItems()->Clear();
    EXPECT_EQ(view_->PhotoItems()->Thread(), nullptr);
    EXPECT_LE(view_->ThumbImages()->Count(), 1);  // only the error image stays
  }
  // After a clear the first thumbnail brings the fixed images back and takes index 2.
  TFSPhotoItem* item = AddFile(jpeg);
  ASSERT_TRUE(WaitForThumbnails());
  EXPECT_EQ(item->ImageIndex(), 2);
}

TEST_F(PhotoViewTest, BuildEventsRunOnTheGuiThreadWithTheThumbnailCanvas) {
  const fs::path png = Save<TPNGImage>("events.png");
  TBitmap green;
  green.SetSize(8, 8);
  int before = 0, after = 0;
  bool onGuiThread = true;
  TFSPhotoItem* plain = nullptr;
  // The file item draws nothing itself: the handler paints the whole thumbnail green and the
  // after-handler puts a black dot in the middle of the picture's area.
  view_->OnBeforeBuildThumb = [&](TFSPhotoItem* item, TCanvas* canvas, TRect& rect, bool& defaultDraw) {
    ++before;
    onGuiThread = onGuiThread && IsMainThread();
    if (item == plain) return;
    canvas->Brush()->SetColor(TColor(0x00C000));
    canvas->FillRect(rect);
    defaultDraw = false;
  };
  view_->OnAfterBuildThumb = [&](TFSPhotoItem*, TCanvas* canvas, const TRect& rect) {
    ++after;
    onGuiThread = onGuiThread && IsMainThread();
    canvas->Brush()->SetColor(clBlack);
    const int x = (rect.Left + rect.Right) / 2, y = (rect.Top + rect.Bottom) / 2;
    canvas->FillRect(TRect{x - 2, y - 2, x + 2, y + 2});
  };
  TFSPhotoItem* file = AddFile(png);
  TFSPhotoItem* picture = view_->PhotoItems()->AddPicture("picture", &green);
  plain = view_->PhotoItems()->AddPicture("plain", &green);
  // The fixed images were drawn through the events too, directly.
  EXPECT_EQ(before, 2);
  EXPECT_EQ(after, 2);
  ASSERT_TRUE(WaitForThumbnails());
  EXPECT_TRUE(onGuiThread);
  EXPECT_EQ(before, 5);
  EXPECT_EQ(after, 5);
  for (TFSPhotoItem* item : {file, picture}) {
    ASSERT_GE(item->ImageIndex(), 2);
    EXPECT_EQ(ThumbPixel(item->ImageIndex(), 10, 10), 0x00C000u);
    EXPECT_EQ(ThumbPixel(item->ImageIndex(), 41, 41), 0u);
  }
  EXPECT_EQ(ThumbPixel(plain->ImageIndex(), 41, 41), 0u);
  // A file item whose handler drew in its place is built again when asked next; a picture item
  // counts as drawn.
  EXPECT_FALSE(file->Drawn());
  EXPECT_TRUE(picture->Drawn());
  EXPECT_TRUE(file->NeedsThumb());
  EXPECT_FALSE(picture->NeedsThumb());
}

TEST_F(PhotoViewTest, OtherStylesShowTheFilesSmallSystemIcons) {
  const fs::path png = Save<TPNGImage>("icon.png");
  std::ofstream(folder / "notes.txt") << "text";
  // Items added in the report style: the image list still gets its two fixed thumbnails.
  view_->SetPhotoViewStyle(fvsReport);
  view_->Columns()->Add()->SetWidth(200);
  TFSPhotoItem* picture = AddFile(png);
  EXPECT_EQ(view_->ThumbImages()->Count(), 2);
  TFSPhotoItem* text = AddFile(folder / "notes.txt");
  TFSPhotoItem* inMemory = view_->PhotoItems()->AddPicture("memory", nullptr);
  test::RunUntilIdle();
  ASSERT_TRUE(test::RunUntil([&] { return picture->SmallImageIndex() != -1 && text->SmallImageIndex() != -1; }));
  EXPECT_EQ(picture->SmallImageIndex(), GetSystemIconIndex(platform::Utf8ToUtf16(png.string()), false));
  EXPECT_EQ(text->SmallImageIndex(), GetSystemIconIndex(platform::Utf8ToUtf16((folder / "notes.txt").string()), false));
  EXPECT_NE(picture->SmallImageIndex(), text->SmallImageIndex());
  EXPECT_FALSE(picture->Dirty());
  EXPECT_EQ(inMemory->SmallImageIndex(), -1);  // no file, nothing to look up
  // The rows show them: the control is handed the small index.
  platform::LVITEMA row{};
  row.mask = platform::LVIF_IMAGE;
  row.iItem = 0;
  view_->Perform(platform::LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&row));
  EXPECT_EQ(row.iImage, picture->SmallImageIndex());
}

TEST_F(PhotoViewTest, AnIdleThreadEndsAndTheNextRequestStartsAnother) {
  const fs::path png = Save<TPNGImage>("one.png");
  AddFile(png);
  ASSERT_TRUE(WaitForThumbnails());
  ASSERT_TRUE(test::RunUntil([&] {
    TThumbThread* thread = view_->PhotoItems()->Thread();
    return !thread || thread->Finished();
  }));
  AddFile(png);
  ASSERT_TRUE(WaitForThumbnails());
  EXPECT_GE(view_->PhotoItems()->GetItem(1)->ImageIndex(), 2);
}

// A drop target that counts its references.
class CountingDropTarget : public IDropTarget {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IDropTarget) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return static_cast<ULONG>(++references); }
  ULONG Release() override { return static_cast<ULONG>(--references); }
  HRESULT DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT DragLeave() override { return S_OK; }
  HRESULT Drop(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  int references = 0;
};

TEST_F(PhotoViewTest, TheDropTargetTheHandlerGivesIsRegisteredWithTheWindow) {
  CountingDropTarget target;
  int asked = 0;
  view_->OnGetDropTarget = [&](IDropTarget* own, IDropTarget*& out) -> HRESULT {
    ++asked;
    EXPECT_EQ(own, nullptr);
    out = &target;
    target.AddRef();  // handed out with a reference, as an out interface is
    return S_OK;
  };
  view_->RecreateWnd();
  view_->HandleNeeded();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(target.references, 1);  // the registration's
  EXPECT_EQ(::RegisterDragDrop(view_->Handle(), &target), DRAGDROP_E_ALREADYREGISTERED);
  // A new window is registered anew; the old registration is revoked and released.
  view_->RecreateWnd();
  view_->HandleNeeded();
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(target.references, 1);
  // A refusal registers nothing.
  view_->OnGetDropTarget = [&](IDropTarget*, IDropTarget*& out) -> HRESULT {
    out = nullptr;
    return S_FALSE;
  };
  view_->RecreateWnd();
  view_->HandleNeeded();
  EXPECT_EQ(target.references, 0);
  ::OleInitialize(nullptr);
  EXPECT_EQ(::RegisterDragDrop(view_->Handle(), &target), S_OK);
  ::RevokeDragDrop(view_->Handle());
  ::OleUninitialize();
  // A view freed with its window registered lets its target go.
  view_->OnGetDropTarget = [&](IDropTarget*, IDropTarget*& out) -> HRESULT {
    out = &target;
    target.AddRef();
    return S_OK;
  };
  view_->RecreateWnd();
  view_->HandleNeeded();
  EXPECT_EQ(target.references, 1);
  delete view_;
  view_ = nullptr;
  EXPECT_EQ(target.references, 0);
}

TEST_F(PhotoViewTest, StylesFollowTheViewAndSurviveTheListViewsOwnChanges) {
  auto exStyle = [&] { return static_cast<DWORD>(view_->Perform(platform::LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)); };
  EXPECT_TRUE(exStyle() & platform::LVS_EX_BORDERSELECT);
  EXPECT_FALSE(exStyle() & platform::LVS_EX_HIDELABELS);
  view_->SetHideLabels(true);
  EXPECT_TRUE(exStyle() & platform::LVS_EX_HIDELABELS);
  view_->SetHotTrack(true);  // the list view sets the whole style again
  EXPECT_TRUE(exStyle() & platform::LVS_EX_HIDELABELS);
  EXPECT_TRUE(exStyle() & platform::LVS_EX_BORDERSELECT);
  EXPECT_TRUE(exStyle() & platform::LVS_EX_TRACKSELECT);
  view_->SetPhotoViewStyle(fvsReport);
  EXPECT_FALSE(exStyle() & platform::LVS_EX_BORDERSELECT);
  EXPECT_TRUE(exStyle() & platform::LVS_EX_LABELTIP);
  view_->SetPhotoViewStyle(fvsThumbnail);
  EXPECT_FALSE(exStyle() & platform::LVS_EX_LABELTIP);
  // The outline of unselected thumbnails is the background.
  view_->SetColor(TColor(0x203040));
  EXPECT_EQ(view_->Perform(platform::LVM_GETOUTLINECOLOR, 0, 0), 0x203040);
  int shown = 0;
  view_->OnShowHide = [&](TObject*) { ++shown; };
  view_->SetVisible(false);
  view_->SetVisible(true);
  EXPECT_EQ(shown, 2);
}

}  // namespace

namespace {

class PhotoOrderTest : public PhotoViewTest {
 protected:
  void SetUp() override {
    PhotoViewTest::SetUp();
    view_->SetThumbnailSize(ts40x30);
    view_->SetCanChangeOrder(true);
    view_->OnOrderChange = [this](TObject*) { ++orderChanges_; };
    test::UseManualClock(true);
  }
  void TearDown() override {
    test::UseManualClock(false);
    PhotoViewTest::TearDown();
  }
  void Fill() {
    view_->PhotoItems()->Clear();
    TBitmap bitmap;
    bitmap.SetSize(8, 8);
    for (int i = 0; i < 8; ++i) view_->PhotoItems()->AddPicture(AnsiString(std::to_string(i)), &bitmap);
    test::RunUntilIdle();
  }
  std::string Order() {
    std::string order;
    for (int i = 0; i < view_->PhotoItems()->Count(); ++i) order += view_->PhotoItems()->GetItem(i)->Caption();
    return order;
  }
  // Drags the item at `from` to the left (before) or right (after) part of item `to`.
  void DragItem(int from, int to, bool after) {
    const TRect source = view_->PhotoItems()->GetItem(from)->DisplayRect(drIcon);
    const TRect target = view_->PhotoItems()->GetItem(to)->DisplayRect(drBounds);
    const POINT start = test::ScreenPoint(view_->Handle(), (source.Left + source.Right) / 2, (source.Top + source.Bottom) / 2);
    const POINT end = test::ScreenPoint(view_->Handle(), after ? target.Right - 3 : target.Left + 3,
                                        (target.Top + target.Bottom) / 2);
    test::AdvanceClock(2000);  // no double click with the last case's press
    test::MouseDown(start);
    test::RunUntilIdle();
    test::MouseMove(POINT{start.x + 10, start.y + 10});
    test::RunUntilIdle();
    test::MouseMove(end);
    test::RunUntilIdle();
    test::MouseUp(end);
    test::RunUntilIdle();
  }
  int orderChanges_ = 0;
};

TEST_F(PhotoOrderTest, DraggingTheSelectedItemReordersTheView) {
  const struct {
    int to;
    bool after;
    const char* order;
  } cases[] = {
      {5, true, "01345267"},   // after index 5: it becomes index 5
      {2, true, "01234567"},   // after itself: stays
      {1, true, "01234567"},   // just before itself (after index 1): stays
      {0, false, "20134567"},  // before the first
      {5, false, "01342567"},  // before index 5
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.order);
    Fill();
    orderChanges_ = 0;
    DragItem(2, c.to, c.after);
    EXPECT_EQ(Order(), c.order);
    EXPECT_EQ(orderChanges_, 1);
    ASSERT_NE(view_->Selected(), nullptr);
    EXPECT_EQ(view_->Selected()->Caption(), "2");
    EXPECT_EQ(view_->InsertMarkIndex(), -1);
  }
}

TEST_F(PhotoOrderTest, PhotosDragOutOntoAnotherControl) {
  view_->SetCanChangeOrder(false);
  view_->SetCanDragPhoto(true);
  view_->SetBounds(0, 0, 300, 400);
  auto* panel = new TPanel(form_);
  panel->SetParent(form_);
  panel->SetBounds(320, 0, 260, 400);
  TObject* droppedFrom = nullptr;
  AnsiString dropped;
  panel->OnDragOver = [&](TObject*, TObject* source, int, int, TDragState, bool& accept) { accept = source == view_; };
  panel->OnDragDrop = [&](TObject*, TObject* source, int, int) {
    droppedFrom = source;
    dropped = view_->Selected() ? view_->Selected()->Caption() : "";
  };
  Fill();
  const TRect source = view_->PhotoItems()->GetItem(3)->DisplayRect(drIcon);
  const POINT start = test::ScreenPoint(view_->Handle(), (source.Left + source.Right) / 2, (source.Top + source.Bottom) / 2);
  const POINT end = test::ScreenPoint(panel->Handle(), 100, 100);
  test::MouseDown(start);
  test::RunUntilIdle();
  test::MouseMove(POINT{start.x + 10, start.y + 10});
  test::RunUntilIdle();
  test::MouseMove(end);
  test::RunUntilIdle();
  EXPECT_EQ(view_->InsertMarkIndex(), -1);  // no reordering without CanChangeOrder
  test::MouseUp(end);
  test::RunUntilIdle();
  EXPECT_EQ(droppedFrom, view_);
  EXPECT_EQ(dropped, "3");
  EXPECT_EQ(Order(), "01234567");
  EXPECT_EQ(orderChanges_, 0);
}

TEST_F(PhotoOrderTest, FilesDroppedFromTheDesktopAreAddedUnlessRefused) {
  view_->SetAcceptDropFiles(true);
  view_->OnCheckAddFile = [](TObject*, const WideString& name) { return name.size() < 4 || name.substr(name.size() - 4) != u".txt"; };
  const std::string longName = (folder / (std::string(600, 'p') + ".jpg")).string();
  const std::string shortName = (folder / "short.png").string();
  const POINT point = test::ScreenPoint(view_->Handle(), 50, 50);
  ASSERT_TRUE(platform::detail::DropFiles(point, {longName, (folder / "notes.txt").string(), shortName}));
  test::RunUntilIdle();
  ASSERT_EQ(view_->PhotoItems()->Count(), 2);
  EXPECT_EQ(view_->PhotoItems()->GetItem(0)->FileName(), platform::Utf8ToUtf16(longName));  // whole, not cut
  EXPECT_EQ(view_->PhotoItems()->GetItem(0)->Caption(), std::string(600, 'p') + ".jpg");
  EXPECT_EQ(view_->PhotoItems()->GetItem(1)->Caption(), "short.png");
}

}  // namespace
