// The title timelines the life cycle makes and frees, the current title's document and the
// disc-usage gauge and label.

#include <cmath>

#include "engines/QM_Timeline/TimelineApi.h"
#include "program/app/MainForm.h"
#include "program/engine/LanguageEngine.h"
#include "program/engine/TimelineEngine.h"
#include "rtl/Format.h"
#include "rtl/Strings.h"

namespace {

// Half up, as the label shows minutes.
int RoundHalfUp(double value) { return static_cast<int>(std::floor(value + 0.5)); }

}  // namespace

void TMainForm::CreateTitleTimeline() {
  RECT rect{0, 0, StoryBoardTessaly->Width(), StoryBoardTessaly->Height()};
  const EngineHandle timeline = CreateTimeline(StoryBoardTessaly->Handle(), &rect, kProgramTimelineOptions, 0);
  FTimelines.push_back(timeline);
  FTimeline = timeline;
  InitTimeline(timeline);
  SetColors(24, kProgramTimelineTrackColor);
  SetLanguageText(100, LanguageText(u"INF_TimeLineCaption").c_str());
  SendTimelineCommand(timeline, kTimelineCommandLayout, 0, kProgramTimelineLayout);
  // The timeline callbacks are registered here once they exist.
  FTimelineDoc = GetTimelineDoc(timeline);
  FVideoTrack = TDGetTrack(FTimelineDoc, 1, 0);
}

EngineHandle TMainForm::GetCurrentTimelineDoc() {
  FTimelineDoc = GetTimelineDoc(FTimelines.at(static_cast<size_t>(FCurrentTitle)));
  return FTimelineDoc;
}

bool TMainForm::HasTitleContent() {
  for (EngineHandle timeline : FTimelines)
    if (TDGetLength(GetTimelineDoc(timeline)) > 0) return true;
  return false;
}

void TMainForm::UpdateTimeLabel(double ExtraSeconds) {
  double total = 0.0;
  for (EngineHandle timeline : FTimelines) {
    const double length = TDGetLength(GetTimelineDoc(timeline));
    if (length > 0) total += length;
  }
  static constexpr int kRates[] = {5120, 7520, 10112};
  const int quality = cbVideoquality->ItemIndex();
  const int rate = quality >= 0 && quality <= 2 ? kRates[quality] : kRates[0];
  const double capacity = cbDVDType->ItemIndex() == 1 ? 8500.0 : 4700.0;
  const double seconds = total + ExtraSeconds;
  gbDVDVolume->SetPosition(static_cast<int>(seconds * rate / 8 / 1024));
  const int usedMinutes = RoundHalfUp(seconds / 60);
  const int capacityMinutes = RoundHalfUp(capacity * 1000 * 8 / rate / 60);
  lblTimerInfo->SetCaption(UTF8ToWide(Format("%d/%d ", {usedMinutes, capacityMinutes})) + LanguageText(u"LBL_Time_Tag"));
}
