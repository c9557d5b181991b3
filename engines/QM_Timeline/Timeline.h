#pragma once

// One timeline: its child window, its document and the callbacks the program registered.
// The window paints the document (TimelinePainter), turns input into edits and events
// (TimelineInput.cpp) and takes drops (TimelineDrop.cpp, TimelineDropTarget).
//
// GUI thread only. Callbacks go through Call(): while one runs, DestroyTimeline only marks
// the timeline, and the destruction is finished when the outermost callback returns; every
// caller of Call() checks Alive() afterwards and touches nothing when it is gone.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engines/QM_Timeline/TimelineApi.h"
#include "engines/QM_Timeline/TimelineLayout.h"
#include "engines/QM_Timeline/TimelineModel.h"
#include "engines/QM_Timeline/TimelineStyle.h"
#include "platform/user/WinUser.h"

namespace qmtimeline {

class DropTarget;

class Timeline : public engines::EngineObject, public std::enable_shared_from_this<Timeline> {
 public:
  // Makes the window (a child of `parent` at `rect`) and the document; null on failure.
  static std::shared_ptr<Timeline> Create(HWND parent, const RECT& rect);
  ~Timeline() override;

  EngineHandle handle = 0;
  HWND hwnd = nullptr;
  std::shared_ptr<Document> doc;
  Metrics metrics;
  TimelineEventProc eventCallback = nullptr;
  intptr_t eventData = 0;
  TimelineDrawProc drawCallback = nullptr;
  intptr_t drawData = 0;

  bool Alive() const { return !m_destroyed; }
  // Destroys now, or after the running callback returns.
  void Destroy();
  // The document changed: scroll range and picture again.
  void Update();
  void SetMetrics(const int32_t* values);

  intptr_t RaiseEvent(int32_t code, intptr_t p3, intptr_t p4);
  intptr_t Query(int32_t code, intptr_t p3, intptr_t p4);

  TimelineLayout Layout() const;
  int ScrollX() const { return m_scrollX; }

  // Drops (TimelineDrop.cpp). `join` is the insertion place; files are UTF-8 paths.
  void DropFiles(const std::vector<std::string>& paths, int join);
  // A transition identifier dropped at a client point; false when nothing there takes it.
  bool DropTransition(const std::u16string& id, double x, double y);
  // Where a drag shows its marker: the join, or -1 for none.
  void SetDropMarker(int join);
  // What a drag over a client point may do: files go anywhere over the track, transitions
  // only onto a clip or a transition tile.
  bool AcceptsFilesAt(double x, double y) const;
  bool AcceptsTransitionAt(double x, double y) const;

  // Message handling (TimelineInput.cpp).
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  explicit Timeline();
  template <class Function>
  intptr_t Call(Function&& function);
  void Finish();
  void Paint();
  void AskForPictures(const std::vector<std::shared_ptr<Element>>& missing);
  void UpdateScrollBar();
  void ScrollTo(int x);
  void ZoomAround(double factor, double clientX);
  void EnsureVisible(const Element* element);

  void OnMouseDown(int x, int y, WPARAM keys);
  void OnMouseMove(int x, int y, WPARAM keys);
  void OnMouseUp(int x, int y);
  void OnDoubleClick(int x, int y);
  void OnRightClick(int x, int y);
  void OnKey(int key);
  void OnWheel(int delta, WPARAM keys, POINT screen);
  void OnScroll(int request);
  void OnDroppedFiles(HANDLE drop);
  void DeleteSelection();
  void MoveSelection(int step);
  void SelectOnly(const Element* element);
  void CancelDrag();
  // The clip whose tile's right edge lies under a client point (a drag there trims it).
  std::shared_ptr<Element> EdgeAt(const TimelineLayout& layout, int x, int y) const;
  void FinishTrim();

  bool m_destroyed = false;
  bool m_destroyPending = false;
  int m_callbackDepth = 0;
  bool m_oleInitialized = false;
  DropTarget* m_dropTarget = nullptr;

  int m_scrollX = 0;
  bool m_scrollBarShown = false;
  std::weak_ptr<Element> m_hover;
  std::weak_ptr<Element> m_anchor;  // the last element clicked or reached by an arrow key
  std::weak_ptr<Element> m_pressed;
  POINT m_pressPoint{};
  bool m_dragging = false;
  int m_insertAt = -1;   // the join a moved clip lands at
  int m_dropMarker = -1; // the join a drop lands at
  // Trimming a clip by its right edge: the clip, where the press was, its length then, and
  // every element's length then (each one that changes is reported).
  std::weak_ptr<Element> m_trimmed;
  int m_trimOriginX = 0;
  double m_trimOriginLength = 0.0;
  std::vector<std::pair<std::weak_ptr<Element>, double>> m_lengthsBefore;
  bool m_overEdge = false;

  // The painting surface: a DIB section cairo draws into, kept while the size holds.
  HBITMAP m_surfaceBitmap = nullptr;
  void* m_surfaceBits = nullptr;
  int m_surfaceWidth = 0, m_surfaceHeight = 0;
};

std::shared_ptr<Timeline> FindTimeline(EngineHandle handle);

// The process-wide query callback.
void SetQueryCallback(TimelineQueryProc callback, intptr_t data);

}  // namespace qmtimeline
