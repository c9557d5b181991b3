#include "engines/QM_Timeline/TimelineModel.h"

#include <algorithm>

#include "platform/gdi/WinGdi.h"

namespace qmtimeline {

Element::~Element() = default;

double Element::Length() const {
  if (type == kTimelineTransition) return length.value_or(0.0);
  if (length) return *length;
  return std::max(0.0, physicalLength - physicalBegin);
}

void Element::SetFileName(const char16_t* path) {
  if (!path) {
    fileName.reset();
    label.clear();
    return;
  }
  fileName = engines::ReadText(path);
  const size_t slash = fileName->find_last_of(u"/\\");
  label = slash == std::u16string::npos ? *fileName : fileName->substr(slash + 1);
}

// --- Track ---------------------------------------------------------------------------------

void Track::Layout() {
  double time = 0.0;
  for (size_t i = 0; i < clips.size(); ++i) {
    Element& clip = *clips[i];
    clip.beginTime = time;
    const double length = clip.Length();
    const double end = time + length;
    time = end;
    if (!clip.tail) continue;
    Element& transition = *clip.tail;
    double overlap;
    if (i + 1 < clips.size()) {
      overlap = std::min(transition.requestedLength, std::min(length, clips[i + 1]->Length()) / 2.0);
      time = end - std::max(0.0, overlap);
    } else {
      // Into black over the last clip's end: no time added.
      overlap = std::min(transition.requestedLength, length / 2.0);
    }
    overlap = std::max(0.0, overlap);
    transition.beginTime = end - overlap;
    transition.length = overlap;
  }
}

double Track::Length() const { return clips.empty() ? 0.0 : std::max(0.0, clips.back()->End()); }

int Track::IndexOf(const Element* clip) const {
  for (size_t i = 0; i < clips.size(); ++i)
    if (clips[i].get() == clip) return static_cast<int>(i);
  return -1;
}

int Track::Insert(const std::shared_ptr<Element>& clip, int index) {
  if (!clip || clip->type != kTimelineVideoClip || clip->track || clip->references <= 0) return -1;
  if (index < 0 || index > static_cast<int>(clips.size())) index = static_cast<int>(clips.size());
  clips.insert(clips.begin() + index, clip);
  clip->track = this;
  ++clip->references;
  Layout();
  return index;
}

void Track::Remove(const Element* clip) {
  const int index = IndexOf(clip);
  if (index < 0) return;
  std::shared_ptr<Element> taken = clips[index];
  clips.erase(clips.begin() + index);
  taken->track = nullptr;
  taken->selected = false;
  if (taken->tail) taken->tail->selected = false;
  DropReference(*taken);
  Layout();
}

bool Track::Move(int from, int to) {
  const int count = static_cast<int>(clips.size());
  if (from < 0 || from >= count || to < 0 || to > count) return false;
  if (to == from || to == from + 1) return false;
  std::shared_ptr<Element> moving = clips[from];
  clips.erase(clips.begin() + from);
  if (to > from) --to;
  clips.insert(clips.begin() + to, moving);
  Layout();
  return true;
}

std::shared_ptr<Element> Track::SetTail(Element& clip, const char16_t* id, double length) {
  if (clip.track != this) return nullptr;
  std::shared_ptr<Element> transition = CreateElement(kTimelineTransition);
  transition->transId = engines::ReadText(id);
  transition->label = transition->transId;
  transition->requestedLength = std::max(0.0, length);
  transition->owner = &clip;
  if (clip.tail) RetireTransition(*clip.tail);
  clip.tail = transition;
  Layout();
  return transition;
}

std::vector<std::shared_ptr<Element>> Track::Transitions() const {
  std::vector<std::shared_ptr<Element>> result;
  for (const auto& clip : clips)
    if (clip->tail) result.push_back(clip->tail);
  return result;
}

// --- Document ------------------------------------------------------------------------------

Document::Document() : video(std::make_shared<Track>()) { video->document = this; }

Document::~Document() = default;

std::vector<std::shared_ptr<Element>> Document::Elements() const {
  std::vector<std::shared_ptr<Element>> result;
  for (const auto& clip : video->clips) {
    result.push_back(clip);
    if (clip->tail) result.push_back(clip->tail);
  }
  return result;
}

void Document::SelectAllClips() {
  for (const auto& clip : video->clips) {
    clip->selected = true;
    if (clip->tail) clip->tail->selected = false;
  }
}

void Document::SelectClear() {
  for (const auto& element : Elements()) element->selected = false;
}

int Document::DeleteSelected() {
  int removed = 0;
  // Copy: removal changes the track's list.
  const std::vector<std::shared_ptr<Element>> clips = video->clips;
  for (const auto& clip : clips) {
    if (clip->selected) {
      removed += 1 + (clip->tail ? 1 : 0);
      video->Remove(clip.get());
    } else if (clip->tail && clip->tail->selected) {
      RetireTransition(*clip->tail);
      clip->tail.reset();
      ++removed;
    }
  }
  if (removed) video->Layout();
  return removed;
}

void Document::SetSelectedTransitions(const char16_t* id, const std::shared_ptr<Picture>& picture) {
  for (const auto& transition : video->Transitions()) {
    if (!transition->selected) continue;
    transition->transId = engines::ReadText(id);
    transition->label = transition->transId;
    if (picture) transition->picture = picture;
  }
}

void Document::Close() {
  const std::vector<std::shared_ptr<Element>> clips = video->clips;
  for (const auto& clip : clips) video->Remove(clip.get());
  engines::UnregisterObject(video->handle);
  engines::UnregisterObject(handle);
}

// --- Handles -------------------------------------------------------------------------------

std::shared_ptr<Element> CreateElement(int32_t type) {
  auto element = std::make_shared<Element>(type);
  element->handle = engines::RegisterObject(element);
  if (type == kTimelineVideoClip) element->references = 1;
  return element;
}

std::shared_ptr<Element> FindElement(EngineHandle handle) { return engines::Lookup<Element>(handle); }

std::shared_ptr<Element> FindClip(EngineHandle handle) {
  auto element = FindElement(handle);
  return element && element->type == kTimelineVideoClip ? element : nullptr;
}

std::shared_ptr<Element> FindTransition(EngineHandle handle) {
  auto element = FindElement(handle);
  return element && element->type == kTimelineTransition ? element : nullptr;
}

std::shared_ptr<Track> FindTrack(EngineHandle handle) { return engines::Lookup<Track>(handle); }

std::shared_ptr<Document> FindDocument(EngineHandle handle) { return engines::Lookup<Document>(handle); }

void DropReference(Element& clip) {
  if (clip.references <= 0) return;
  if (--clip.references > 0) return;
  if (clip.tail) {
    RetireTransition(*clip.tail);
    clip.tail.reset();
  }
  engines::UnregisterObject(clip.handle);
}

void RetireTransition(Element& transition) {
  transition.owner = nullptr;
  engines::UnregisterObject(transition.handle);
}

std::shared_ptr<Picture> CopyBitmap(HBITMAP bitmap) {
  if (!bitmap) return nullptr;
  BITMAP info{};
  if (!GetObjectW(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight == 0) return nullptr;
  auto picture = std::make_shared<Picture>();
  picture->width = info.bmWidth;
  picture->height = std::abs(info.bmHeight);
  picture->pixels.resize(static_cast<size_t>(picture->width) * picture->height);
  BITMAPINFO request{};
  request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  request.bmiHeader.biWidth = picture->width;
  request.bmiHeader.biHeight = -picture->height;  // top-down, as cairo wants
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 32;
  request.bmiHeader.biCompression = BI_RGB;
  HDC dc = CreateCompatibleDC(nullptr);
  const int lines = GetDIBits(dc, bitmap, 0, static_cast<UINT>(picture->height), picture->pixels.data(), &request,
                              DIB_RGB_COLORS);
  DeleteDC(dc);
  if (lines != picture->height) return nullptr;
  // GDI drawing leaves alpha 0: a picture without any alpha is opaque; one with alpha is
  // straight and gets premultiplied.
  const bool hasAlpha = std::any_of(picture->pixels.begin(), picture->pixels.end(),
                                    [](uint32_t p) { return (p >> 24) != 0; });
  for (uint32_t& p : picture->pixels) {
    if (!hasAlpha) {
      p |= 0xFF000000u;
      continue;
    }
    const uint32_t a = p >> 24;
    const auto scale = [a](uint32_t c) { return (c * a + 127) / 255; };
    p = (a << 24) | (scale((p >> 16) & 0xFF) << 16) | (scale((p >> 8) & 0xFF) << 8) | scale(p & 0xFF);
  }
  return picture;
}

}  // namespace qmtimeline
