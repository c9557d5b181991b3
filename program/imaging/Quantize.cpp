#include "program/imaging/Quantize.h"

#include <algorithm>

#include "program/imaging/GPGraphics.h"
#include "program/imaging/QuantizeDither.h"
#include "rtl/Exceptions.h"

// ---- TQuantizer ---------------------------------------------------------------------------

std::unique_ptr<TGPBitmap> TQuantizer::Quantize(TGPImage* Image) {
  if (!Image) RaiseGdiplusStatus(InvalidParameter);
  UINT width = 0;
  UINT height = 0;
  Image->SetStatus(GdipGetImageWidth(Image->NativeImage(), &width));
  Image->SetStatus(GdipGetImageHeight(Image->NativeImage(), &height));
  const GpRect bounds{0, 0, static_cast<INT>(width), static_cast<INT>(height)};

  auto copy = std::make_unique<TGPBitmap>(bounds.Width, bounds.Height, PixelFormat32bppARGB);
  auto output = std::make_unique<TGPBitmap>(bounds.Width, bounds.Height, PixelFormat8bppIndexed);
  {
    TGPGraphics graphics(copy.get());
    graphics.SetPageUnit(UnitPixel);
    graphics.DrawImageRect(Image, 0, 0, bounds.Width, bounds.Height);
  }

  TGPLockedBits source(*copy, bounds, ImageLockModeRead, PixelFormat32bppARGB);
  if (!FOnePass) ScanColors(source.Data(), bounds.Width, bounds.Height);

  INT paletteSize = 0;
  output->SetStatus(GdipGetImagePaletteSize(output->NativeImage(), &paletteSize));
  TGPColorPalette palette(paletteSize);
  output->SetStatus(GdipGetImagePalette(output->NativeImage(), palette.Palette(), palette.ByteSize()));
  FillPalette(palette);
  output->SetStatus(GdipSetImagePalette(output->NativeImage(), palette.Palette()));

  MapPixels(source.Data(), *output, bounds, bounds.Height, bounds.Width);
  return output;
}

void TQuantizer::ScanColors(const BitmapData& Data, int32_t Width, int32_t Height) {
  for (int32_t row = 0; row < Height; ++row) {
    const auto* pixels = reinterpret_cast<const uint32_t*>(GetScanLine(Data, row));
    for (int32_t column = 0; column < Width; ++column) CountPixel(pixels[column]);
  }
}

void TQuantizer::MapPixels(const BitmapData& Source, TGPBitmap& Output, const GpRect& Bounds, int32_t Height,
                           int32_t Width) {
  TGPLockedBits target(Output, Bounds, ImageLockModeWrite, PixelFormat8bppIndexed);
  TOctreeColorLookup lookup(this);
  TStuckiDitherer ditherer(Width, &lookup);
  for (int32_t row = 0; row < Height; ++row) {
    const auto* source = reinterpret_cast<const uint32_t*>(GetScanLine(Source, row));
    uint8_t* indexes = target.ScanLine(row);
    while (ditherer.Column() >= 0 && ditherer.Column() < Width) {
      const int32_t column = ditherer.Column();
      const uint32_t pixel = source[column];
      if ((pixel >> 24) == 0) {
        // A hole in the picture: its stored colour means nothing, so it neither takes nor
        // passes on any error, and the pixels around it are dithered as if it were not there.
        uint32_t color = 0;
        indexes[column] = static_cast<uint8_t>(PixelIndex(pixel, color));
        ditherer.SkipPixel();
        continue;
      }
      uint8_t red, green, blue;
      indexes[column] = static_cast<uint8_t>(ditherer.DitherPixel(static_cast<uint8_t>(pixel >> 16),
                                                                  static_cast<uint8_t>(pixel >> 8),
                                                                  static_cast<uint8_t>(pixel), red, green, blue));
    }
    ditherer.NextRow();
  }
  target.Unlock();
}

// ---- TOctreeQuantizer ---------------------------------------------------------------------

TOctreeQuantizer::TOctreeQuantizer(int32_t Colors, int32_t Bits) : TQuantizer(false) {
  if (Colors >= 256) throw Exception("The number of colors should be less than 256");
  // No colour at all leaves nothing to build a palette from.
  if (Colors < 1) throw Exception("The number of colors should be at least 1");
  if (Bits < 1 || Bits > 8) throw Exception("This should be between 1 and 8");
  FTree = std::make_unique<TOctree>(Bits);
  FColorLimit = Colors;
}

TOctreeQuantizer::~TOctreeQuantizer() = default;

void TOctreeQuantizer::CountPixel(uint32_t Pixel) {
  // A transparent pixel's stored colour (usually black) must not take a palette entry.
  if ((Pixel >> 24) == 0) {
    FHasTransparency = true;
    return;
  }
  FTree->Insert(Pixel);
}

int32_t TOctreeQuantizer::PixelIndex(uint32_t Pixel, uint32_t& Color) {
  if ((Pixel >> 24) == 0) {
    Color = FHasTransparency ? 0x00000000 : 0xFF000000;
    return FColorLimit;
  }
  return FTree->FindIndex(Pixel, Color);
}

void TOctreeQuantizer::FillPalette(TGPColorPalette& Palette) {
  const std::vector<uint32_t> colors = FTree->BuildPalette(FColorLimit - 1);
  // Only the entries the bitmap's palette has are written (SetEntry ignores the others).
  for (size_t i = 0; i < colors.size(); ++i) Palette.SetEntry(static_cast<UINT>(i), colors[i]);
  // Opaque pictures keep opaque black there, so that nothing in them turns transparent.
  Palette.SetEntry(static_cast<UINT>(FColorLimit), FHasTransparency ? 0x00000000 : 0xFF000000);
}

// ---- TOctree ------------------------------------------------------------------------------

TOctree::TOctree(int32_t Bits) : FDepth(Bits) { FRoot = std::make_unique<TOctreeNode>(0, this); }

TOctree::~TOctree() = default;

void TOctree::Insert(uint32_t Pixel) {
  if (Pixel == FLastColor && FLastLeaf) {
    // Runs of one colour are common: count them without walking the tree.
    FLastLeaf->Pixels += 1;
    FLastLeaf->RedSum += (Pixel >> 16) & 0xFF;
    FLastLeaf->GreenSum += (Pixel >> 8) & 0xFF;
    FLastLeaf->BlueSum += Pixel & 0xFF;
    return;
  }
  FLastColor = Pixel;
  FRoot->Insert(Pixel, FDepth, 0, this);
}

bool TOctree::ReduceOne() {
  int level = FDepth - 1;
  while (level >= 0 && !FLevelLists[level]) --level;
  if (level < 0) return false;
  TOctreeNode* node = FLevelLists[level];
  FLevelLists[level] = node->NextInLevel;
  node->NextInLevel = nullptr;

  int children = 0;
  for (auto& child : node->Children) {
    if (!child) continue;
    node->RedSum += child->RedSum;
    node->GreenSum += child->GreenSum;
    node->BlueSum += child->BlueSum;
    node->Pixels += child->Pixels;
    child.reset();
    ++children;
  }
  node->IsLeaf = true;
  FLeaves -= children - 1;
  FLastLeaf = nullptr;
  return true;
}

std::vector<uint32_t> TOctree::BuildPalette(int32_t ColorCount) {
  while (FLeaves > ColorCount && ReduceOne()) {
  }
  std::vector<uint32_t> colors;
  colors.reserve(static_cast<size_t>(std::max(FLeaves, 0)));
  auto walk = [&colors](auto& self, TOctreeNode& node) -> void {
    if (node.IsLeaf) {
      node.ColorIndex = static_cast<int32_t>(colors.size());
      colors.push_back(node.Color());
      return;
    }
    for (auto& child : node.Children)
      if (child) self(self, *child);
  };
  walk(walk, *FRoot);
  return colors;
}

int32_t TOctree::FindIndex(uint32_t Pixel, uint32_t& Color) const {
  const TOctreeNode* node = FRoot.get();
  for (int level = 0; !node->IsLeaf; ++level) {
    const TOctreeNode* next = node->Children[OctreeChildIndex(Pixel, level)].get();
    for (int index = 7; !next && index >= 0; --index) next = node->Children[index].get();
    if (!next) {
      // A tree that never counted a pixel has no leaf to answer with.
      Color = 0xFF000000;
      return 0;
    }
    node = next;
  }
  Color = node->Color();
  return node->ColorIndex;
}

// ---- TOctreeNode --------------------------------------------------------------------------

TOctreeNode::TOctreeNode(int32_t Level, TOctree* Tree) : IsLeaf(Level == Tree->FDepth) {
  if (IsLeaf) {
    ++Tree->FLeaves;
  } else {
    NextInLevel = Tree->FLevelLists[Level];
    Tree->FLevelLists[Level] = this;
  }
}

TOctreeNode::~TOctreeNode() = default;

void TOctreeNode::Insert(uint32_t Pixel, int32_t Depth, int32_t Level, TOctree* Tree) {
  if (IsLeaf) {
    Pixels += 1;
    RedSum += (Pixel >> 16) & 0xFF;
    GreenSum += (Pixel >> 8) & 0xFF;
    BlueSum += Pixel & 0xFF;
    Tree->FLastLeaf = this;
    return;
  }
  auto& child = Children[OctreeChildIndex(Pixel, Level)];
  if (!child) child = std::make_unique<TOctreeNode>(Level + 1, Tree);
  child->Insert(Pixel, Depth, Level + 1, Tree);
}

uint32_t TOctreeNode::Color() const {
  if (Pixels == 0) return 0xFF000000;
  return 0xFF000000u | static_cast<uint32_t>(RedSum / Pixels) << 16 | static_cast<uint32_t>(GreenSum / Pixels) << 8 |
         static_cast<uint32_t>(BlueSum / Pixels);
}
