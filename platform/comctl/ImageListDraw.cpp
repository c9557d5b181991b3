#include "platform/comctl/ImageListDraw.h"

namespace platform::ImageListDraw {

// FIXME: image lists are not in this library yet; the views draw no images until they are.
bool IconSize(HIMAGELIST list, int* cx, int* cy) {
  (void)list;
  *cx = *cy = 0;
  return false;
}

int ImageCount(HIMAGELIST list) {
  (void)list;
  return 0;
}

bool Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT flags) {
  (void)list, (void)index, (void)dc, (void)x, (void)y, (void)flags;
  return false;
}

}  // namespace platform::ImageListDraw
