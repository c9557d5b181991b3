#include "vcl/GraphicsObject.h"

void TGraphicsObject::Changed() {
  if (FOnChange) FOnChange(this);
}

void DeleteGdiObject(HGDIOBJ object) {
  if (object) DeleteObject(object);
}
