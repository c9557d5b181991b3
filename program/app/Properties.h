#pragma once

// The properties of one media file: its name, length, picture size, frame count and rate,
// sample rate and channels, in read-only fields. Centred on its owner; shown modally; frees
// itself when closed.
//
// GUI thread only.

#include "program/controls/FSButton.h"
#include "program/controls/FSEdit.h"
#include "program/controls/FSGroupBox.h"
#include "program/engine/MediaInfo.h"
#include "program/skin/SkinForm.h"
#include "vcl/Label.h"

// The whole seconds of totalFrames at frameRate (rounded after adding half a second, halves
// to even, as the length has always been shown); 0 for a rate that is not above 0, or a
// length that is negative or not a finite number.
Cardinal MediaLengthSeconds(int totalFrames, double frameRate);
// "N Channel, Mono" for one channel, "N Channel, Stereo" for two, "N Channel" otherwise.
AnsiString ChannelText(int channels);

class TPropertiesForm : public TSkinForm {
  BRANTWELL_CLASS(TPropertiesForm, TSkinForm)

 public:
  TPropertiesForm(TComponent* owner, const TAudioInfo& audioInfo, const TVideoInfo& videoInfo,
                  const WideString& fileName);
  static void DescribeClass(TClassBuilder<TPropertiesForm>& c);

  // The window for one file, owned by owner.
  static TPropertiesForm* CreateInfo(TComponent* owner, const TAudioInfo& audioInfo, const TVideoInfo& videoInfo,
                                     const WideString& fileName);

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void btnOkClick(TObject* Sender);

  TLabel* lblFileName = nullptr;
  TFSEdit* edtFileName = nullptr;
  TLabel* lblLength = nullptr;
  TFSEdit* edtlength = nullptr;
  TFSGroupBox* gbvideo = nullptr;
  TLabel* lblReso = nullptr;
  TFSEdit* edtReso = nullptr;
  TLabel* lblVBitrate = nullptr;
  TFSEdit* edtVBitrate = nullptr;
  TLabel* lblFRate = nullptr;
  TFSEdit* edtFRate = nullptr;
  TFSGroupBox* gbAudio = nullptr;
  TLabel* lblSampleRate = nullptr;
  TFSEdit* edtSRate = nullptr;
  TLabel* lblChannel = nullptr;
  TFSEdit* edtChannel = nullptr;
  TFSButton* btnOk = nullptr;

 private:
  WideString FFileName;
  TVideoInfo FVideoInfo;
  TAudioInfo FAudioInfo;
};
