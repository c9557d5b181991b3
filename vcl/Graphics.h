#pragma once

// The graphics classes of the class library in one include: colours, the canvas and its
// tools, and the picture classes.

#include "vcl/Bitmap.h"
#include "vcl/Brush.h"
#include "vcl/Canvas.h"
#include "vcl/Colors.h"
#include "vcl/Font.h"
#include "vcl/Graphic.h"
#include "vcl/GraphicsObject.h"
#include "vcl/Icon.h"
#include "vcl/ImageList.h"
#include "vcl/Pen.h"
#include "vcl/Picture.h"
#include "vcl/Types.h"
