#include "program/controls/PhotoItems.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/gdi/DcGuards.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/Unicode.h"
#include "program/controls/FSPhotoView.h"
#include "program/controls/ThumbnailSources.h"
#include "program/core/WideFileUtils.h"
#include "program/skin/DrawUtils.h"
#include "rtl/SysUtils.h"
#include "vcl/Application.h"
#include "vcl/Bitmap.h"
#include "vcl/Canvas.h"

using namespace platform;

namespace {

constexpr int kSlowBuildMs = 201;

uint64_t NextSerial() {
  static uint64_t serial = 0;  // GUI thread
  return ++serial;
}

std::unique_ptr<TGraphic> CopyGraphic(TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return nullptr;
  const auto& info = graphic->ClassType();
  if (!info->CreateDefault) return nullptr;
  std::unique_ptr<TGraphic> copy(dynamic_cast<TGraphic*>(info->CreateDefault()));
  if (!copy) return nullptr;
  copy->Assign(graphic);
  return copy;
}

// Loads a file by its picture kind: BMP and icons by their own classes, anything else through
// the JPEG class (which decodes every format GDI+ reads). Null when it does not load.
std::unique_ptr<TGraphic> LoadPicture(const WideString& fileName) {
  const AnsiString path = Utf16ToUtf8(fileName);
  std::unique_ptr<TGPGraphic> picture;
  switch (GetImageFileKind(fileName)) {
    case 1: picture = std::make_unique<TBMPImage>(); break;
    case 7: picture = std::make_unique<TICONImage>(); break;
    default: picture = std::make_unique<TJPEGImage>(); break;
  }
  try {
    picture->LoadFromFile(path);
  } catch (const Exception&) {
    return nullptr;
  }
  if (picture->Empty()) return nullptr;
  return picture;
}

// Draws the picture centred in `rect`, shrunk to fit keeping its proportions. A picture whose
// reduced copy cannot be made (its data does not decode) is not drawn and sets `unreadable`
// when the caller asks.
bool DrawPictureThumb(const TThumbRequest& request, TGraphic* picture, TCanvas* canvas, const TRect& rect,
                      bool* unreadable) {
  if (!picture || picture->Empty()) return false;
  const int w = rect.Right - rect.Left, h = rect.Bottom - rect.Top;
  std::unique_ptr<TGraphic> reduced;
  TGraphic* source = picture;
  if (auto* gp = dynamic_cast<TGPGraphic*>(picture)) {
    gp->InterpolationMode = static_cast<::InterpolationMode>(request.Quality);
    if (request.SmallThumbs && gp->Width() > w && gp->Height() > h && w > 0 && h > 0) {
      if (TBMPImage* thumb = gp->GetThumbnail(w, h)) {
        thumb->InterpolationMode = gp->InterpolationMode;
        reduced.reset(thumb);
        source = thumb;
      } else if (unreadable) {
        *unreadable = true;
        return false;
      }
    }
  }
  TRect target;
  CalcImageRect(rect, source->Width(), source->Height(), target, true, true, false);
  canvas->StretchDraw(target, source);
  return true;
}

}  // namespace

namespace {

// Draws a file's picture (or, for a file no picture class reads, its type's icon) into rect.
// False with `error` set when neither loads.
bool DrawFileThumb(const TThumbRequest& request, TCanvas* canvas, const TRect& rect, bool& error) {
  std::unique_ptr<TGraphic> picture = LoadPicture(request.FileName);
  if (!picture) {
    // Not a picture we read: the desktop's icon of its type stands for it.
    HICON icon = nullptr;
    if (GetFileIcon(request.FileName, std::max(rect.Right - rect.Left, rect.Bottom - rect.Top), icon)) {
      auto iconPicture = std::make_unique<TIconEx>();
      iconPicture->SetHandle(icon);
      picture = std::move(iconPicture);
    }
  }
  if (!picture) {
    error = true;
    return false;
  }
  bool unreadable = false;
  const bool drawn = DrawPictureThumb(request, picture.get(), canvas, rect, &unreadable);
  if (unreadable) {
    // Its header read but its data did not: the type's icon instead.
    HICON icon = nullptr;
    if (!GetFileIcon(request.FileName, std::max(rect.Right - rect.Left, rect.Bottom - rect.Top), icon)) {
      error = true;
      return false;
    }
    TIconEx iconPicture;
    iconPicture.SetHandle(icon);
    return DrawPictureThumb(request, &iconPicture, canvas, rect, nullptr);
  }
  return drawn;
}

}  // namespace

TThumbResult BuildThumbnail(const TThumbRequest& request, HBITMAP bitmap, const TThumbEvents& events) {
  TThumbResult result;
  result.Item = request.Item;
  result.Serial = request.Serial;
  result.Width = request.Width;
  result.Height = request.Height;
  if (request.SystemIcon) {
    result.SystemIcon = true;
    result.SmallImageIndex = GetSystemIconIndex(request.FileName, false);
    return result;
  }
  const bool fromFile = !request.Picture && !request.FileName.empty();
  if (fromFile && !WideFileExists(request.FileName)) {
    result.Error = true;
    return result;
  }
  if (fromFile && IsFileInUse(request.FileName)) {
    result.Skipped = true;  // tried again the next time the list asks for its image
    return result;
  }
  TCanvas canvas;
  const OwnedDc dc(CreateCompatibleDC(nullptr));
  const SelectedObject selected(dc.get(), bitmap);
  SetStretchBltMode(dc.get(), HALFTONE);
  canvas.SetHandle(dc.get());
  try {
    TRect rect{0, 0, request.Width, request.Height};
    canvas.Brush()->SetColor(request.Color);
    if (request.Border) {
      canvas.Pen()->SetColor(request.BorderColor);
      canvas.Rectangle(rect);
      rect = TRect{rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1};
    } else {
      canvas.FillRect(rect);
    }
    bool defaultDraw = true;
    if (request.BeforeEvent && events.Before) events.Before(&canvas, rect, defaultDraw);
    const TRect inner{rect.Left + request.Margins.Left, rect.Top + request.Margins.Top,
                      rect.Right - request.Margins.Right, rect.Bottom - request.Margins.Bottom};
    if (fromFile) {
      result.Drawn = defaultDraw && DrawFileThumb(request, &canvas, inner, result.Error);
    } else {
      result.Drawn = defaultDraw ? DrawPictureThumb(request, request.Picture.get(), &canvas, inner, nullptr) : true;
    }
    if (request.AfterEvent && events.After) events.After(&canvas, inner);
  } catch (...) {
    // One item's failure costs only that item: it shows the error image.
    result.Error = true;
    result.Drawn = false;
  }
  canvas.SetHandle(nullptr);
  GdiFlush();
  result.Pixels.resize(size_t(request.Width) * request.Height);
  BITMAPINFO info = TopDownBitmapInfo32(request.Width, request.Height);
  GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(request.Height), result.Pixels.data(), &info, DIB_RGB_COLORS);
  for (uint32_t& p : result.Pixels) p |= 0xFF000000u;  // GDI leaves alpha 0: the thumbnail is opaque
  return result;
}

// ---- TFSPhotoItem

TFSPhotoItem::TFSPhotoItem(TFSListItems* owner) : TFSListItem(owner), FSerial(NextSerial()) {
  if (TFSPhotoList* list = PhotoList()) list->FLive[this] = FSerial;
}

TFSPhotoItem::~TFSPhotoItem() {
  if (TFSPhotoList* list = PhotoList()) list->ItemGone(this);
}

TFSPhotoList* TFSPhotoItem::PhotoList() const { return dynamic_cast<TFSPhotoList*>(Owner()); }

void TFSPhotoItem::Assign(TPersistent* source) {
  TFSListItem::Assign(source);
  if (auto* other = dynamic_cast<TFSPhotoItem*>(source)) {
    SetFileName(other->FFileName);
    SetPicture(other->FPicture.get());
    FFileSize = other->FFileSize;
    FFileAttr = other->FFileAttr;
    FFileDate = other->FFileDate;
    FFileExt = other->FFileExt;
    FDirty = other->FDirty;
    FDrawn = other->FDrawn;
  }
}

void TFSPhotoItem::SetFileName(const WideString& value) {
  // Names compare exactly: two files differing only in case are two files here.
  if (value == FFileName) return;
  FFileName = value;
  const size_t slash = value.find_last_of(u"/\\");
  const size_t dot = value.rfind(u'.');
  FFileExt = dot == WideString::npos || (slash != WideString::npos && dot < slash)
                 ? AnsiString()
                 : AnsiLowerCase(Utf16ToUtf8(value.substr(dot + 1)));
}

void TFSPhotoItem::SetPicture(TGraphic* graphic) { FPicture = CopyGraphic(graphic); }

void TFSPhotoItem::ReadFileInfo() {
  TSearchRecW search;
  if (WideFindFirst(FFileName, 63, search) == 0) {
    FFileSize = search.Size;  // all 64 bits
    FFileAttr = static_cast<uint32_t>(search.Attr);
    FFileDate = FileTimeToLocalDateTime(search.FindData.ftLastWriteTime);
    WideFindClose(search);
  }
}

bool TFSPhotoItem::NeedsThumb() {
  if (FDirty) return true;
  auto* view = dynamic_cast<TFSCustomPhotoView*>(ListView());
  if (!view) return false;
  if (view->PhotoViewStyle() != fvsThumbnail) {
    return view->SystemImages() && SmallImageIndex() == -1 && !FFileName.empty();
  }
  const bool base = ImageIndex() == -1 && (view->OnBeforeBuildThumb || !FFileName.empty() || FPicture);
  if (FError || ImageIndex() == -1 || FDrawn) return base;
  if (!FFileName.empty()) return WideFileExists(FFileName);
  return FPicture != nullptr;
}

void TFSPhotoItem::InvalidateThumb() {
  if (!FDirty) {
    FError = false;
    FDirty = true;
  }
  Redraw();
}

// ---- TFSPhotoList

std::atomic<int> TFSPhotoList::IdleTimeoutMs{20000};

TFSPhotoList::TFSPhotoList(TFSCustomPhotoView* view, bool ownsObjects) : TFSListItems(view, ownsObjects), FView(view) {}

TFSPhotoList::~TFSPhotoList() { StopThread(); }

TFSPhotoItem* TFSPhotoList::Add(const WideString& fileName) {
  const size_t slash = fileName.find_last_of(u"/\\");
  return AddFile(Utf16ToUtf8(slash == WideString::npos ? fileName : fileName.substr(slash + 1)), fileName);
}

TFSPhotoItem* TFSPhotoList::AddFile(const AnsiString& caption, const WideString& fileName) {
  auto* item = static_cast<TFSPhotoItem*>(FView->CreateListItem());
  item->SetCaption(caption);
  item->SetFileName(fileName);
  item->ReadFileInfo();
  if (Count() == 0 && FView->ThumbImages()->Count() == 0) ResetImages();
  AddItem(item);
  return item;
}

TFSPhotoItem* TFSPhotoList::AddPicture(const AnsiString& caption, TGraphic* graphic) {
  auto* item = static_cast<TFSPhotoItem*>(FView->CreateListItem());
  item->SetCaption(caption);
  item->SetPicture(graphic);
  if (Count() == 0 && FView->ThumbImages()->Count() == 0) ResetImages();
  AddItem(item);
  return item;
}

void TFSPhotoList::Clear() {
  BeginUpdate();
  if (FThread) FThread->ClearQueue();
  TFSListItems::Clear();
  StopThread();
  // Only the error image stays; the empty one comes back with the next thumbnail.
  TCustomImageList* images = FView->ThumbImages();
  while (images->Count() > 1) images->Delete(images->Count() - 1);
  EndUpdate();
}

void TFSPhotoList::ItemGone(TFSPhotoItem* item) {
  FLive.erase(item);
  if (FThread) FThread->RemoveItem(item);
}

TFSPhotoItem* TFSPhotoList::LiveItem(TFSPhotoItem* item, uint64_t serial) const {
  auto live = FLive.find(item);
  return live != FLive.end() && live->second == serial ? item : nullptr;
}

void TFSPhotoList::FireBeforeBuild(TFSPhotoItem* item, uint64_t serial, TCanvas* canvas, TRect& rect,
                                   bool& defaultDraw) {
  if (!LiveItem(item, serial) || !FView->OnBeforeBuildThumb) return;
  FView->OnBeforeBuildThumb(item, canvas, rect, defaultDraw);
}

void TFSPhotoList::FireAfterBuild(TFSPhotoItem* item, uint64_t serial, TCanvas* canvas, const TRect& rect) {
  if (!LiveItem(item, serial) || !FView->OnAfterBuildThumb) return;
  FView->OnAfterBuildThumb(item, canvas, rect);
}

void TFSPhotoList::RebuildThumbs(bool clearImages) {
  BeginUpdate();
  if (clearImages) {
    StopThread();
    FView->ThumbImages()->Clear();
    for (int i = 0; i < Count(); ++i) GetItem(i)->SetImageIndex(-1);
  } else {
    for (int i = 0; i < Count(); ++i) GetItem(i)->InvalidateThumb();
  }
  EndUpdate();
}

void TFSPhotoList::ResetImages() {
  TCustomImageList* images = FView->ThumbImages();
  const TPoint size = FView->GetThumbSize();
  if (size.X <= 0 || size.Y <= 0) return;
  images->Clear();
  BITMAPINFO info = TopDownBitmapInfo32(size.X, size.Y);
  void* bits = nullptr;
  const OwnedGdiObject<HBITMAP> bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  TThumbRequest request = RequestFor(nullptr);
  request.SystemIcon = false;  // the fixed images are thumbnails in every style
  std::shared_ptr<TGraphic> error;
  try {
    error = LoadErrorPicture();
  } catch (const Exception&) {
    // Without the picture the error image is an empty frame.
  }
  for (int image = 0; image < 2; ++image) {
    request.Picture = image == 0 ? error : nullptr;
    // On the GUI thread the build events are called directly, with a stand-in item (of no
    // list) holding the picture.
    TFSPhotoItem standIn(nullptr);
    standIn.SetPicture(request.Picture.get());
    TThumbEvents events;
    events.Before = [&](TCanvas* canvas, TRect& rect, bool& defaultDraw) {
      if (FView->OnBeforeBuildThumb) FView->OnBeforeBuildThumb(&standIn, canvas, rect, defaultDraw);
    };
    events.After = [&](TCanvas* canvas, const TRect& rect) {
      if (FView->OnAfterBuildThumb) FView->OnAfterBuildThumb(&standIn, canvas, rect);
    };
    TThumbResult result = BuildThumbnail(request, bitmap.get(), events);
    TBitmap picture;
    picture.SetPixelFormat(pf32bit);
    picture.SetSize(size.X, size.Y);
    for (int y = 0; y < size.Y; ++y)
      std::memcpy(picture.ScanLine(y), &result.Pixels[size_t(y) * size.X], size_t(size.X) * 4);
    images->Add(&picture, nullptr);
  }
}

TThumbRequest TFSPhotoList::RequestFor(TFSPhotoItem* item) {
  TThumbRequest request;
  request.Item = item;
  if (item) {
    request.Serial = item->Serial();
    request.FileName = item->FileName();
    if (item->Picture()) request.Picture = CopyGraphic(item->Picture());
  }
  const TPoint size = FView->GetThumbSize();
  request.Width = size.X;
  request.Height = size.Y;
  request.Border = FView->ThumbBorder();
  request.BorderColor = FView->ThumbBorderColor();
  request.Color = FView->Color();
  request.Margins = FView->IconMargins();
  request.Quality = FView->ThumbQuality();
  request.SmallThumbs = FView->ThumbnailSize() != tsCustom && FView->ThumbnailSize() != ts320x240;
  request.BeforeEvent = static_cast<bool>(FView->OnBeforeBuildThumb);
  request.AfterEvent = static_cast<bool>(FView->OnAfterBuildThumb);
  request.SystemIcon = FView->PhotoViewStyle() != fvsThumbnail;
  return request;
}

void TFSPhotoList::QueueThumb(TFSPhotoItem* item, bool atEnd) {
  if (!item->NeedsThumb()) return;
  if (FView->PhotoViewStyle() == fvsThumbnail) {
    const TPoint size = FView->GetThumbSize();
    if (size.X <= 0 || size.Y <= 0) return;
  } else if (!FView->SystemImages() || item->FileName().empty()) {
    return;  // nothing to look up: the other styles show only the files' system icons
  }
  if (FThread && FThread->IsQueuedOrBuilding(item)) return;
  TThumbRequest request = RequestFor(item);
  if (FThread && FThread->Enqueue(request, atEnd)) return;
  // No thread, or one that has decided to end: a new one takes the request.
  StopThread();
  FThread = new TThumbThread(this);
  FThread->PerLine = std::max(1, FView->GetCountPerLine());
  FThread->Enqueue(std::move(request), atEnd);
  FThread->Start();
}

void TFSPhotoList::StopThread() {
  if (!FThread) return;
  TThumbThread* thread = FThread;
  FThread = nullptr;
  thread->ClearQueue();
  delete thread;  // terminates, wakes and waits for it
  TThread::RemoveQueuedEvents(thread);
}

int TFSPhotoList::QueuedCount() { return FThread ? FThread->QueuedCount() : 0; }

void TFSPhotoList::ApplyResults(std::vector<TThumbResult> results, bool redrawRowsOnly) {
  TCustomImageList* images = FView->ThumbImages();
  for (TThumbResult& result : results) {
    if (!LiveItem(result.Item, result.Serial)) continue;  // the item is gone
    TFSPhotoItem* item = result.Item;
    if (result.SystemIcon) {
      item->SetSmallImageIndex(result.SmallImageIndex);
      item->FDirty = result.SmallImageIndex == -1;
      continue;
    }
    if (result.Skipped) continue;  // the file was in use: asked again when next shown
    item->FError = result.Error;
    item->FDrawn = result.Drawn;
    if (result.Error) {
      item->SetImageIndexDirect(0);
    } else {
      // The two fixed images come back whenever the list holds fewer than two.
      if (images->Count() < 2) ResetImages();
      TBitmap picture;
      picture.SetPixelFormat(pf32bit);
      picture.SetSize(result.Width, result.Height);
      for (int y = 0; y < result.Height; ++y)
        std::memcpy(picture.ScanLine(y), &result.Pixels[size_t(y) * result.Width], size_t(result.Width) * 4);
      if (item->ImageIndex() < 2) {
        const int index = images->Add(&picture, nullptr);
        if (index >= 0) item->SetImageIndexDirect(index);
      } else {
        images->Replace(item->ImageIndex(), &picture, nullptr);
      }
    }
    item->FDirty = item->ImageIndex() == -1;
    if (redrawRowsOnly) item->Redraw();
  }
  if (!redrawRowsOnly && FView->HandleAllocated()) FView->Invalidate();
}

// ---- TThumbThread

TThumbThread::TThumbThread(TFSPhotoList* list) : TThread(true), FList(list) {}

bool TThumbThread::Enqueue(TThumbRequest request, bool atEnd) {
  std::lock_guard guard(m_lock);
  if (m_leaving) return false;
  if (atEnd) m_queue.push_front(std::move(request));
  else m_queue.push_back(std::move(request));
  m_wake.notify_one();
  return true;
}

void TThumbThread::RemoveItem(TFSPhotoItem* item) {
  std::lock_guard guard(m_lock);
  m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(), [item](const TThumbRequest& r) { return r.Item == item; }),
                m_queue.end());
}

void TThumbThread::ClearQueue() {
  std::lock_guard guard(m_lock);
  m_queue.clear();
}

int TThumbThread::QueuedCount() {
  std::lock_guard guard(m_lock);
  return static_cast<int>(m_queue.size());
}

bool TThumbThread::IsQueuedOrBuilding(TFSPhotoItem* item) {
  std::lock_guard guard(m_lock);
  if (m_building == item) return true;
  return std::any_of(m_queue.begin(), m_queue.end(), [item](const TThumbRequest& r) { return r.Item == item; });
}

std::vector<TFSPhotoItem*> TThumbThread::QueueOrder() {
  std::lock_guard guard(m_lock);
  std::vector<TFSPhotoItem*> order;
  for (const TThumbRequest& r : m_queue) order.push_back(r.Item);
  return order;
}

void TThumbThread::TerminatedSet() {
  std::lock_guard guard(m_lock);
  m_wake.notify_all();
}

void TThumbThread::Execute() {
  using Clock = std::chrono::steady_clock;
  // A short pause lets the list control queue a burst of requests first.
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  HBITMAP bitmap = nullptr;
  int bitmapWidth = 0, bitmapHeight = 0;
  std::vector<TThumbResult> batch;
  auto flush = [&](bool rowsOnly) {
    if (batch.empty()) return;
    auto results = std::make_shared<std::vector<TThumbResult>>(std::move(batch));
    batch.clear();
    TFSPhotoList* list = FList;
    Queue([list, results, rowsOnly] { list->ApplyResults(std::move(*results), rowsOnly); });
  };
  try {
    while (!Terminated()) {
      TThumbRequest request;
      {
        std::unique_lock lock(m_lock);
        m_building = nullptr;
        if (m_queue.empty()) {
          lock.unlock();
          flush(false);  // the queue ran dry: one repaint
          lock.lock();
          const auto timeout = std::chrono::milliseconds(TFSPhotoList::IdleTimeoutMs.load());
          m_wake.wait_for(lock, timeout, [this] { return Terminated() || !m_queue.empty(); });
          if (Terminated()) break;
          if (m_queue.empty()) {
            // Idle: decided under the lock, so no request can slip in behind.
            m_leaving = true;
            break;
          }
        }
        request = std::move(m_queue.front());
        m_queue.pop_front();
        m_building = request.Item;
      }
      if (!bitmap || bitmapWidth != request.Width || bitmapHeight != request.Height) {
        if (bitmap) DeleteObject(bitmap);
        BITMAPINFO info = TopDownBitmapInfo32(request.Width, request.Height);
        void* bits = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bitmapWidth = request.Width;
        bitmapHeight = request.Height;
      }
      const auto start = Clock::now();
      TThumbEvents events;
      TFSPhotoList* list = FList;
      if (request.BeforeEvent)
        events.Before = [&, list](TCanvas* canvas, TRect& rect, bool& defaultDraw) {
          Synchronize([&] {
            if (!Terminated()) list->FireBeforeBuild(request.Item, request.Serial, canvas, rect, defaultDraw);
          });
        };
      if (request.AfterEvent)
        events.After = [&, list](TCanvas* canvas, const TRect& rect) {
          Synchronize([&] {
            if (!Terminated()) list->FireAfterBuild(request.Item, request.Serial, canvas, rect);
          });
        };
      batch.push_back(BuildThumbnail(request, bitmap, events));
      const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
      if (elapsed >= kSlowBuildMs) flush(true);
      else if (static_cast<int>(batch.size()) >= std::max(1, PerLine.load())) flush(false);
    }
  } catch (...) {
    // Reported on the GUI thread; the thread then ends like an idle one.
    std::exception_ptr error = std::current_exception();
    Queue([error] { Application->ShowException(error); });
  }
  {
    std::lock_guard guard(m_lock);
    m_leaving = true;
    m_building = nullptr;
  }
  if (!Terminated()) flush(false);
  if (bitmap) DeleteObject(bitmap);
}
