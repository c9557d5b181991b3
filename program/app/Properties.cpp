#include "program/app/Properties.h"

#include <cmath>
#include <limits>

#include "program/app/SharedRoutines.h"
#include "program/app/SmallWindows.h"
#include "program/core/WideFileUtils.h"
#include "program/engine/LanguageEngine.h"
#include "rtl/SysUtils.h"

Cardinal MediaLengthSeconds(int totalFrames, double frameRate) {
  if (!(frameRate > 0)) return 0;
  const double length = totalFrames / frameRate + 0.5;
  if (!std::isfinite(length) || length < 0) return 0;
  const double whole = std::nearbyint(length);  // halves to even
  if (whole > std::numeric_limits<Cardinal>::max()) return std::numeric_limits<Cardinal>::max();
  return static_cast<Cardinal>(whole);
}

AnsiString ChannelText(int channels) {
  if (channels == 1) return "1 Channel, Mono";
  if (channels == 2) return "2 Channel, Stereo";
  return Format("%d Channel", {channels});
}

void TPropertiesForm::DescribeClass(TClassBuilder<TPropertiesForm>& c) {
  c.Field("lblFileName", &TPropertiesForm::lblFileName);
  c.Field("edtFileName", &TPropertiesForm::edtFileName);
  c.Field("lblLength", &TPropertiesForm::lblLength);
  c.Field("edtlength", &TPropertiesForm::edtlength);
  c.Field("gbvideo", &TPropertiesForm::gbvideo);
  c.Field("lblReso", &TPropertiesForm::lblReso);
  c.Field("edtReso", &TPropertiesForm::edtReso);
  c.Field("lblVBitrate", &TPropertiesForm::lblVBitrate);
  c.Field("edtVBitrate", &TPropertiesForm::edtVBitrate);
  c.Field("lblFRate", &TPropertiesForm::lblFRate);
  c.Field("edtFRate", &TPropertiesForm::edtFRate);
  c.Field("gbAudio", &TPropertiesForm::gbAudio);
  c.Field("lblSampleRate", &TPropertiesForm::lblSampleRate);
  c.Field("edtSRate", &TPropertiesForm::edtSRate);
  c.Field("lblChannel", &TPropertiesForm::lblChannel);
  c.Field("edtChannel", &TPropertiesForm::edtChannel);
  c.Field("btnOk", &TPropertiesForm::btnOk);
  c.Method("FormCreate", &TPropertiesForm::FormCreate);
  c.Method("FormClose", &TPropertiesForm::FormClose);
  c.Method("btnOkClick", &TPropertiesForm::btnOkClick);
}

TPropertiesForm::TPropertiesForm(TComponent* owner, const TAudioInfo& audioInfo, const TVideoInfo& videoInfo,
                                 const WideString& fileName)
    : TSkinForm(owner), FFileName(fileName), FVideoInfo(videoInfo), FAudioInfo(audioInfo) {}

TPropertiesForm* TPropertiesForm::CreateInfo(TComponent* owner, const TAudioInfo& audioInfo,
                                             const TVideoInfo& videoInfo, const WideString& fileName) {
  RegisterSmallWindowClasses();
  return TCustomForm::Create<TPropertiesForm>(owner, audioInfo, videoInfo, fileName);
}

void TPropertiesForm::FormCreate(TObject*) {
  auto text = [](const char16_t* key) { return WideToUTF8(LanguageText(key)); };
  lblFileName->SetCaption(text(u"LBL_FileName_Caption"));
  btnOk->SetCaption(text(u"BTN_OK_Caption"));
  gbvideo->SetCaption(text(u"GB_Video_Caption"));
  gbAudio->SetCaption(text(u"GB_Audio_Caption"));
  lblReso->SetCaption(text(u"LBL_Reso_Caption"));
  lblVBitrate->SetCaption(text(u"LBL_Total_Frame"));
  lblFRate->SetCaption(text(u"LBL_FRate_Caption"));
  lblSampleRate->SetCaption(text(u"LBL_SRate_Caption"));
  lblChannel->SetCaption(text(u"LBL_Channel_Caption"));
  lblLength->SetCaption(text(u"LBL_Media_Length"));

  const AnsiString name = WideToUTF8(WideExtractFileName(FFileName));
  edtFileName->SetText(name);
  // The caret goes after the name, in the edit's window.
  edtFileName->HandleNeeded();
  edtFileName->SetSelStart(static_cast<int>(UTF8ToWide(name).size()));
  edtlength->SetText(FormatSeconds(MediaLengthSeconds(FVideoInfo.total_frames, FVideoInfo.frame_rate)));
  edtReso->SetText(Format("%d*%d", {FVideoInfo.Width, FVideoInfo.Height}));
  edtVBitrate->SetText(IntToStr(FVideoInfo.total_frames));
  const double rate = std::isfinite(FVideoInfo.frame_rate) ? FVideoInfo.frame_rate : 0.0;
  edtFRate->SetText(FormatFloat("0.##", rate) + " fps");
  edtSRate->SetText(IntToStr(FAudioInfo.sample_rate) + " Hz");
  edtChannel->SetText(ChannelText(FAudioInfo.channels));
}

void TPropertiesForm::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TPropertiesForm::btnOkClick(TObject*) { Close(); }
