#include "program/controls/IndicatorControls.h"

#include "program/controls/FSGaugeBar.h"
#include "program/controls/FSImage.h"
#include "program/controls/FSProgressBar.h"
#include "program/controls/FSSkinImage.h"
#include "program/controls/FSVideoTrackBar.h"
#include "vcl/TypInfo.h"

void AddIndicatorClasses(std::vector<TClass>& classes) {
  for (TClass cls : {TFSProgressBar::StaticClass(), TFSGaugeBar::StaticClass(), TFSSkinImage::StaticClass(),
                     TFSImage::StaticClass(), TFSVideoTrackBar::StaticClass()})
    classes.push_back(cls);
}
