#pragma once

// The photo view's items, their collection and the thread that draws their thumbnails.
//
// An item stands for a picture file (by path) or for a picture held in memory. Its thumbnail
// is built when the list control asks for its image (the item is on screen): the request goes
// into the thread's queue, newest first, as a snapshot of everything the build needs (the
// file name or a copy of the picture, the thumbnail size, border, colours, margins and
// quality). The thread draws into a bitmap of its own and never touches an item, a window or
// the image list: finished thumbnails go to the GUI thread through TThread::Queue in batches
// (a slow item of 201 ms or more at once, otherwise one batch per line of thumbnails, and one
// when the queue runs dry), where they are added to (or replace their image in) the view's
// image list, the items' ImageIndex is set and the view repainted. A result whose item is
// gone (deleted, cleared, or a new item at the same address) is dropped.
//
// The build events (the view's OnBeforeBuildThumb and OnAfterBuildThumb) run on the GUI
// thread while the thread waits for them (TThread::Synchronize), with the thread's canvas; an
// event of an item that is gone by then is not fired. In the other styles than thumbnails the
// thread looks up the files' small system icons instead, and the GUI thread sets the items'
// SmallImageIndex.
//
// Threads: every member runs on the GUI thread except TThumbThread::Execute and what it
// calls. The queue, the item being built and the thread's idle state are guarded by the
// thread's one mutex; an idle time-out and an enqueue are decided under it, so a request
// never lands in a thread that is leaving. Deleting, clearing and destroying take the items'
// requests out of the queue; a build in progress needs no wait, as the thread holds only its
// snapshot and its result is dropped.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "program/controls/FSListItems.h"
#include "vcl/Graphic.h"
#include "vcl/Thread.h"

class TFSCustomPhotoView;
class TFSPhotoList;
class TThumbThread;

class TFSPhotoItem : public TFSListItem {
  BRANTWELL_CLASS(TFSPhotoItem, TFSListItem)

 public:
  explicit TFSPhotoItem(TFSListItems* owner);
  ~TFSPhotoItem() override;
  void Assign(TPersistent* source) override;

  const WideString& FileName() const { return FFileName; }
  // Stores the name (compared exactly) and its lower-case extension without the dot.
  void SetFileName(const WideString& value);
  TGraphic* Picture() const { return FPicture.get(); }
  // Keeps a copy of the picture (none for nil or an empty one).
  void SetPicture(TGraphic* graphic);
  int64_t FileSize() const { return FFileSize; }
  const AnsiString& FileExt() const { return FFileExt; }
  double FileDate() const { return FFileDate; }
  uint32_t FileAttr() const { return FFileAttr; }
  bool Dirty() const { return FDirty; }
  bool Drawn() const { return FDrawn; }
  bool Error() const { return FError; }

  // Reads the file's size, attributes and last-write time (local time).
  void ReadFileInfo();
  // Whether the view should build this item's thumbnail now.
  bool NeedsThumb();
  // Marks the thumbnail to be built again and redraws the row.
  void InvalidateThumb();
  uint64_t Serial() const { return FSerial; }

 private:
  friend class TFSPhotoList;
  TFSPhotoList* PhotoList() const;

  std::unique_ptr<TGraphic> FPicture;
  int64_t FFileSize = 0;
  AnsiString FFileExt;
  WideString FFileName;
  double FFileDate = 0;
  uint32_t FFileAttr = 0;
  bool FDirty = false;
  bool FDrawn = false;
  bool FError = false;
  uint64_t FSerial;
};

// What the thread needs to draw one thumbnail, taken on the GUI thread.
struct TThumbRequest {
  TFSPhotoItem* Item = nullptr;  // an identity only: the thread never dereferences it
  uint64_t Serial = 0;
  WideString FileName;
  std::shared_ptr<TGraphic> Picture;  // a copy, for picture items
  int Width = 0;
  int Height = 0;
  bool Border = true;
  TColor BorderColor = clNone;
  TColor Color = clWhite;
  TRect Margins;  // left, top, right, bottom
  int Quality = 0;
  bool SmallThumbs = true;  // GetThumbnail may reduce large pictures first
  bool BeforeEvent = false;  // the view has OnBeforeBuildThumb
  bool AfterEvent = false;   // the view has OnAfterBuildThumb
  bool SystemIcon = false;   // look up the file's small system icon instead of drawing
};

// How a build reaches the build events: on the GUI thread directly, on the thread through
// Synchronize. Either may be empty.
struct TThumbEvents {
  std::function<void(TCanvas* canvas, TRect& rect, bool& defaultDraw)> Before;
  std::function<void(TCanvas* canvas, const TRect& rect)> After;
};

// One finished thumbnail: straight 32-bit pixels, top-down, Width x Height.
struct TThumbResult {
  TFSPhotoItem* Item = nullptr;
  uint64_t Serial = 0;
  bool Error = false;
  bool Drawn = false;
  std::vector<uint32_t> Pixels;
  int Width = 0;
  int Height = 0;
  bool Skipped = false;  // the file was in use: nothing drawn, the item asks again later
  bool SystemIcon = false;
  int SmallImageIndex = -1;  // of a system-icon request
};

// Draws one request into `bitmap` (a 32-bit bitmap of the request's size), firing the events
// the request names through `events`; any thread.
TThumbResult BuildThumbnail(const TThumbRequest& request, HBITMAP bitmap, const TThumbEvents& events = {});

class TFSPhotoList : public TFSListItems {
  BRANTWELL_CLASS(TFSPhotoList, TFSListItems)

 public:
  // How long an idle thread waits for work before it ends; tests may lower it.
  static std::atomic<int> IdleTimeoutMs;

  TFSPhotoList(TFSCustomPhotoView* view, bool ownsObjects);
  ~TFSPhotoList() override;

  TFSPhotoItem* Add(const WideString& fileName);
  TFSPhotoItem* AddFile(const AnsiString& caption, const WideString& fileName);
  TFSPhotoItem* AddPicture(const AnsiString& caption, TGraphic* graphic);
  TFSPhotoItem* GetItem(int index) { return static_cast<TFSPhotoItem*>(TFSListItems::GetItem(index)); }
  void Clear();
  // Empties the image list (every item then asks again) or marks every item dirty.
  void RebuildThumbs(bool clearImages);
  // Puts the two fixed images (error, empty) into the view's image list.
  void ResetImages();
  // Asks for the item's thumbnail: AtEnd builds it next (newest first), otherwise after
  // everything queued.
  void QueueThumb(TFSPhotoItem* item, bool atEnd);
  void StopThread();
  TThumbThread* Thread() const { return FThread; }
  // The number of requests waiting; for tests.
  int QueuedCount();

 private:
  friend class TFSPhotoItem;
  friend class TThumbThread;
  TThumbRequest RequestFor(TFSPhotoItem* item);
  void ItemGone(TFSPhotoItem* item);
  // The item of a request when it is still this list's; nullptr when it is gone.
  TFSPhotoItem* LiveItem(TFSPhotoItem* item, uint64_t serial) const;
  // The build events on the GUI thread, for an item still there.
  void FireBeforeBuild(TFSPhotoItem* item, uint64_t serial, TCanvas* canvas, TRect& rect, bool& defaultDraw);
  void FireAfterBuild(TFSPhotoItem* item, uint64_t serial, TCanvas* canvas, const TRect& rect);
  // On the GUI thread: a batch of results from the thread.
  void ApplyResults(std::vector<TThumbResult> results, bool redrawRowsOnly);

  TFSCustomPhotoView* FView;
  TThumbThread* FThread = nullptr;
  std::map<TFSPhotoItem*, uint64_t> FLive;  // every item of this list and its serial
};

// The thumbnail thread of one photo list; made and deleted by the list (GUI thread).
class TThumbThread : public TThread {
  BRANTWELL_CLASS(TThumbThread, TThread)

 public:
  explicit TThumbThread(TFSPhotoList* list);
  // False when the thread has decided to end (it takes nothing more).
  bool Enqueue(TThumbRequest request, bool atEnd);
  void RemoveItem(TFSPhotoItem* item);
  void ClearQueue();
  int QueuedCount();
  bool IsQueuedOrBuilding(TFSPhotoItem* item);
  // Thumbnails per line of the view, for the batching; kept current by the GUI thread.
  std::atomic<int> PerLine{1};
  // The requests in build order; for tests.
  std::vector<TFSPhotoItem*> QueueOrder();

 protected:
  void Execute() override;
  void TerminatedSet() override;

 private:
  TFSPhotoList* FList;
  std::mutex m_lock;
  std::condition_variable m_wake;
  std::deque<TThumbRequest> m_queue;  // the front is built next
  TFSPhotoItem* m_building = nullptr;
  bool m_leaving = false;
};
