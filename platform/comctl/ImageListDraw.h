#pragma once
// What the tree view and the tool bar need of an image list: its image size and drawing one
// image (with an overlay in the ILD_OVERLAYMASK bits, selected or cut looks). Not for other
// modules.

#include "platform/comctl/CommCtrl.h"

struct IMAGELIST_HANDLE;
using HIMAGELIST = IMAGELIST_HANDLE*;

namespace platform::ImageListDraw {

constexpr UINT kSelected = 0x0004;  // blended with the highlight colour
constexpr UINT kCut = 0x0100;       // faded, for items cut to the clipboard
constexpr UINT kDisabled = 0x0200;  // greyed out

bool IconSize(HIMAGELIST list, int* cx, int* cy);
int ImageCount(HIMAGELIST list);
bool Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT flags);

}  // namespace platform::ImageListDraw
