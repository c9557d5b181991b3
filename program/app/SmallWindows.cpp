#include "program/app/SmallWindows.h"

#include "program/controls/ControlsModule.h"
#include "program/imaging/GPPictures.h"
#include "vcl/Image.h"
#include "vcl/Label.h"

void RegisterSmallWindowClasses() {
  static const bool registered = [] {
    StartControlsModule();
    // TPNGImage: the class form files name for the pictures they keep.
    RegisterClasses({TLabel::StaticClass(), TImage::StaticClass(), TPNGImage::StaticClass()});
    return true;
  }();
  (void)registered;
}
