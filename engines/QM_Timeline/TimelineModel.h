#pragma once

// The timeline's document: a document holds one video track, a track holds clips in order,
// and a clip may own one tail transition. Every object is registered in the engines' handle
// space and reached by its handle; a clip is counted (the caller's references plus one for
// the track holding it) and leaves the handle space when the count reaches 0. A transition
// lives as long as its clip keeps it.
//
// GUI thread only (the whole engine is), so nothing here is locked.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engines/QM_Timeline/TimelineApi.h"
#include "engines/common/EngineHandles.h"

namespace qmtimeline {

// A picture copied from a bitmap: 32-bit premultiplied ARGB rows, top-down (cairo's format).
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

class Track;

// A clip (type 1) or a transition (type 5): the attributes the program stores per element.
class Element : public engines::EngineObject {
 public:
  explicit Element(int32_t type) : type(type) {}
  ~Element() override;

  EngineHandle handle = 0;
  const int32_t type;

  // Counting (clips only): the caller's references plus one while a track holds the clip.
  int references = 0;
  Track* track = nullptr;
  Element* owner = nullptr;  // a transition's clip

  std::optional<std::u16string> fileName, thumbnailPath;
  std::u16string label;    // a clip's file name without folder
  std::u16string transId;  // a transition's identifier
  int32_t clipId = 0, videoWidth = 0, videoHeight = 0;
  double beginTime = 0.0, physicalBegin = 0.0, physicalLength = 0.0;
  std::optional<double> length;  // set by TCSetLength; otherwise from the physical values
  double requestedLength = 0.0;  // a transition's wanted length, before the layout cuts it
  double audioFadeIn = 0.0, audioFadeOut = 0.0;
  int32_t volume = 100, brightness = 0, contrast = 0, saturation = 0;
  int32_t filterFlag = 0, flipFlag = 0, resizeStyle = 0, deinterlace = 0, audioMute = 0;
  std::unique_ptr<TTimelineCropRect> cropRect;
  std::unique_ptr<TWaterMarkData> waterMark;
  std::unique_ptr<TClipSubPicRec> subPic;
  std::shared_ptr<Picture> picture;
  bool pictureAsked = false;  // query 0 has been asked for this element
  bool selected = false;

  std::shared_ptr<Element> tail;  // a clip's tail transition

  double Length() const;  // a clip's length on the timeline; a transition's laid-out overlap
  double End() const { return beginTime + Length(); }
  void SetFileName(const char16_t* path);
};

class Document;

class Track : public engines::EngineObject {
 public:
  EngineHandle handle = 0;
  Document* document = nullptr;
  std::vector<std::shared_ptr<Element>> clips;
  int32_t menuThumbnail = 0;

  // Replaces every begin time and transition overlap (see TimelineApi.h, "Time layout").
  void Layout();
  double Length() const;  // end of the last clip; 0 when empty
  int IndexOf(const Element* clip) const;
  // Takes a clip that is in no track (one more reference) before `index`; the position or -1.
  int Insert(const std::shared_ptr<Element>& clip, int index);
  // Takes the clip out (its track reference goes) and lays the track out again.
  void Remove(const Element* clip);
  // Moves the clip at `from` so that it lands before the clip now at `to` (to == size: last).
  bool Move(int from, int to);
  std::shared_ptr<Element> SetTail(Element& clip, const char16_t* id, double length);
  std::vector<std::shared_ptr<Element>> Transitions() const;
};

class Document : public engines::EngineObject {
 public:
  Document();
  ~Document() override;

  EngineHandle handle = 0;
  std::shared_ptr<Track> video;
  // Raises an event of the timeline that shows this document (set by the timeline).
  std::function<void(int32_t code, intptr_t p3, intptr_t p4)> raiseEvent;

  // Every element in drawing order: each clip, then its tail transition.
  std::vector<std::shared_ptr<Element>> Elements() const;
  void SelectAllClips();
  void SelectClear();
  // Removes the selected clips (with their transitions) and selected transitions; the number
  // of elements removed.
  int DeleteSelected();
  void SetSelectedTransitions(const char16_t* id, const std::shared_ptr<Picture>& picture);
  // Lets go of every clip and transition and leaves the handle space.
  void Close();
};

// Handle helpers: registering, finding by kind, and dropping a reference.
std::shared_ptr<Element> CreateElement(int32_t type);
std::shared_ptr<Element> FindElement(EngineHandle handle);
std::shared_ptr<Element> FindClip(EngineHandle handle);        // type 1 only
std::shared_ptr<Element> FindTransition(EngineHandle handle);  // type 5 only
std::shared_ptr<Track> FindTrack(EngineHandle handle);
std::shared_ptr<Document> FindDocument(EngineHandle handle);
// Drops one reference; at 0 the clip and its transition leave the handle space.
void DropReference(Element& clip);
// Unregisters a transition that its clip let go.
void RetireTransition(Element& transition);

// Copies a bitmap (any GDI bitmap or DIB section) as a picture; null for a null or unknown bitmap.
std::shared_ptr<Picture> CopyBitmap(HBITMAP bitmap);

}  // namespace qmtimeline
