#include "engines/TracksDecoder/TitlePlan.h"

#include <algorithm>
#include <cstring>

#include "engines/QM_ImageProc/QM_ImageProc.h"
#include "engines/QM_Text/TextApi.h"
#include "engines/QM_Timeline/TimelineApi.h"
#include "platform/kernel/Unicode.h"

namespace tracks {

namespace {

std::string Utf8(const char16_t* text) { return text ? platform::Utf16ToUtf8(text) : std::string(); }

// Copies a zero-terminated text of at most `units` units (a record's fixed field).
std::u16string FieldText(const char16_t* field, size_t units) {
  return std::u16string(field, std::find(field, field + units, u'\0'));
}

// The image's picture turned top-down (the image engine keeps bottom-up DIBs).
bool TakePicture(EngineHandle image, WatermarkPicture& out) {
  const int width = DIGetWidth(image), height = DIGetHeight(image);
  const auto* bits = static_cast<const uint8_t*>(DIGetBits(image));
  if (width <= 0 || height <= 0 || !bits) return false;
  out.width = width;
  out.height = height;
  out.bgra.resize(size_t(width) * height * 4);
  const size_t row = size_t(width) * 4;
  for (int y = 0; y < height; ++y) std::memcpy(&out.bgra[y * row], bits + (height - 1 - y) * row, row);
  return true;
}

std::optional<WatermarkPicture> TakeWatermark(const TWaterMarkData& data) {
  if (!data.enabled || data.width <= 0 || data.height <= 0) return std::nullopt;
  WatermarkPicture mark;
  mark.left = data.left;
  mark.top = data.top;
  mark.boxWidth = data.width;
  mark.boxHeight = data.height;
  mark.opacity = std::clamp(100 - data.transparency, 0, 100);
  EngineHandle image = 0;
  if (data.kind == 0) {
    const std::u16string file = FieldText(data.imageFile, std::size(data.imageFile));
    image = DICreate();
    if (image && !DILoadImage32B(image, file.c_str())) {
      DIDestroy(image);
      image = 0;
    }
  } else if (data.kind == 1) {
    TNormalTextParam param{};
    const std::u16string text = FieldText(data.text, std::size(data.text));
    const std::u16string face = FieldText(data.fontName, std::size(data.fontName));
    std::copy(text.begin(), text.end(), param.text);
    std::copy(face.begin(), face.end(), param.faceName);
    param.colour = uint32_t(data.textColor);
    param.pointSize = data.fontSize > 0 ? data.fontSize : 24;
    param.styleFlags = data.textStyle;
    image = GenerateNormalTextEx(&param, 0);
  }
  if (!image) return std::nullopt;
  const bool taken = TakePicture(image, mark);
  DIDestroy(image);
  if (!taken) return std::nullopt;
  return mark;
}

ClipPlan TakeClip(EngineHandle clip) {
  ClipPlan c;
  c.path = Utf8(TCGetFileName(clip));
  c.begin = TCGetBeginTime(clip);
  c.length = std::max(0.0, TCGetLength(clip));
  c.physicalBegin = std::max(0.0, TCGetPhysicalBegin(clip));
  c.volume = std::clamp(TCGetVolume(clip), 0, 200);
  c.mute = TCIsAudioMute(clip) != 0;
  c.fadeIn = std::max(0.0, TCGetAudioFadeIn(clip));
  c.fadeOut = std::max(0.0, TCGetAudioFadeOut(clip));
  c.brightness = TCGetBrightness(clip);
  c.contrast = TCGetContrast(clip);
  c.saturation = TCGetSaturation(clip);
  c.effects = TCGetFilterFlag(clip);
  c.flip = TCGetFlipFlag(clip);
  c.deinterlace = TCGetDeintelace(clip);
  c.style = TCGetResizeStyle(clip);
  if (c.style < 0 || c.style > 5) c.style = int32_t(engines::media::ResizeStyle::KeepAspect);
  if (const TTimelineCropRect* crop = TCGetCropRect(clip)) {
    c.crop[0] = crop->left, c.crop[1] = crop->top, c.crop[2] = crop->right, c.crop[3] = crop->bottom;
    c.hasCrop = crop->left || crop->top || crop->right || crop->bottom;
  }
  if (const TWaterMarkData* mark = TCGetWaterMarkData(clip)) c.watermark = TakeWatermark(*mark);
  if (const TClipSubPicRec* sub = TCGetClipSubPicRec(clip); sub && sub->shown) {
    // The record from its stream identifier on is the processor's style record.
    const auto* from = reinterpret_cast<const uint8_t*>(sub) + offsetof(TClipSubPicRec, streamId);
    c.subtitleStyle.assign(from, from + 320);
    c.subtitleStream = sub->streamId;
    c.subtitleOpacity = std::clamp(100 - sub->transparency, 0, 100);
  }
  return c;
}

}  // namespace

bool ClipPlan::NeutralPicture() const {
  return brightness == 0 && contrast == 0 && saturation == 0 && effects == 0 && flip == 0 && deinterlace == 0 &&
         !hasCrop && !watermark && subtitleStyle.empty();
}

TitlePlan TakeSnapshot(EngineHandle doc) {
  TitlePlan plan;
  const EngineHandle track = TDGetTrack(doc, kTimelineVideoTrack, 0);
  if (!track) return plan;
  const int32_t count = TTGetClipCount(track);
  for (int32_t i = 0; i < count; ++i) {
    const EngineHandle clip = TTGetClip(track, i);
    if (!clip) continue;
    plan.clips.push_back(TakeClip(clip));
    if (const EngineHandle trans = TCGetClipTailTrans(clip)) {
      TransitionPlan t;
      t.id = Utf8(TRGetTransID(trans));
      t.begin = TCGetBeginTime(trans);
      t.length = TCGetLength(trans);
      t.from = plan.clips.size() - 1;
      t.intoBlack = i == count - 1;
      if (t.length > 0.0) plan.transitions.push_back(t);
    }
  }
  plan.length = plan.clips.empty() ? 0.0 : std::max(0.0, TTGetLength(track));
  return plan;
}

}  // namespace tracks
