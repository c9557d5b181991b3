#include "program/imaging/Quantize.h"

#include <algorithm>
#include <string>

#include "program/imaging/QuantizeDither.h"
#include "rtl/Exceptions.h"

namespace imaging::detail {

// FIXME: raises a plain Exception until the GDI+ object layer's status exceptions are here.
void CheckQuantizerStatus(GpStatus status, const char* call) {
  if (status != Ok)
    throw Exception("GDIPlus Exception: " + std::to_string(static_cast<int>(status)) + " - " + call);
}

}  // namespace imaging::detail

using imaging::detail::CheckQuantizerStatus;

namespace {

// Keeps a bitmap's bits locked for a scope.
class LockedBits {
 public:
  LockedBits(GpBitmap* bitmap, const GpRect& rect, UINT mode, PixelFormat format) : m_bitmap(bitmap) {
    CheckQuantizerStatus(GdipBitmapLockBits(bitmap, &rect, mode, format, &m_data), "GdipBitmapLockBits");
  }
  ~LockedBits() {
    if (m_bitmap) GdipBitmapUnlockBits(m_bitmap, &m_data);
  }
  LockedBits(const LockedBits&) = delete;
  LockedBits& operator=(const LockedBits&) = delete;
  const BitmapData& Data() const { return m_data; }
  // Unlocks now, so that a failure to write the pixels back is reported.
  void Unlock() {
    GpBitmap* bitmap = m_bitmap;
    m_bitmap = nullptr;
    CheckQuantizerStatus(GdipBitmapUnlockBits(bitmap, &m_data), "GdipBitmapUnlockBits");
  }

 private:
  GpBitmap* m_bitmap;
  BitmapData m_data{};
};

const uint8_t* RowOf(const BitmapData& data, int32_t row) {
  return static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(row) * data.Stride;
}

TGdipBitmapPtr NewBitmap(int32_t width, int32_t height, PixelFormat format) {
  GpBitmap* bitmap = nullptr;
  CheckQuantizerStatus(GdipCreateBitmapFromScan0(width, height, 0, format, nullptr, &bitmap),
                       "GdipCreateBitmapFromScan0");
  return TGdipBitmapPtr(bitmap);
}

}  // namespace

// ---- TQuantizer ---------------------------------------------------------------------------

TGdipBitmapPtr TQuantizer::Quantize(GpImage* Image) {
  UINT width = 0;
  UINT height = 0;
  CheckQuantizerStatus(GdipGetImageWidth(Image, &width), "GdipGetImageWidth");
  CheckQuantizerStatus(GdipGetImageHeight(Image, &height), "GdipGetImageHeight");
  const GpRect bounds{0, 0, static_cast<INT>(width), static_cast<INT>(height)};

  TGdipBitmapPtr copy = NewBitmap(bounds.Width, bounds.Height, PixelFormat32bppARGB);
  TGdipBitmapPtr output = NewBitmap(bounds.Width, bounds.Height, PixelFormat8bppIndexed);
  {
    GpGraphics* graphics = nullptr;
    CheckQuantizerStatus(GdipGetImageGraphicsContext(copy.get(), &graphics), "GdipGetImageGraphicsContext");
    std::unique_ptr<GpGraphics, GpStatus (*)(GpGraphics*)> owner(graphics, GdipDeleteGraphics);
    CheckQuantizerStatus(GdipSetPageUnit(graphics, UnitPixel), "GdipSetPageUnit");
    CheckQuantizerStatus(GdipDrawImageRectI(graphics, Image, 0, 0, bounds.Width, bounds.Height), "GdipDrawImageRectI");
  }

  LockedBits source(copy.get(), bounds, ImageLockModeRead, PixelFormat32bppARGB);
  if (!FOnePass) ScanColors(source.Data(), bounds.Width, bounds.Height);

  INT paletteSize = 0;
  CheckQuantizerStatus(GdipGetImagePaletteSize(output.get(), &paletteSize), "GdipGetImagePaletteSize");
  std::vector<uint8_t> paletteBlock(std::max<size_t>(static_cast<size_t>(paletteSize), sizeof(ColorPalette)));
  auto* palette = reinterpret_cast<ColorPalette*>(paletteBlock.data());
  CheckQuantizerStatus(GdipGetImagePalette(output.get(), palette, paletteSize), "GdipGetImagePalette");
  FillPalette(*palette);
  CheckQuantizerStatus(GdipSetImagePalette(output.get(), palette), "GdipSetImagePalette");

  MapPixels(source.Data(), output.get(), bounds, bounds.Height, bounds.Width);
  return output;
}

void TQuantizer::ScanColors(const BitmapData& Data, int32_t Width, int32_t Height) {
  for (int32_t row = 0; row < Height; ++row) {
    const auto* pixels = reinterpret_cast<const uint32_t*>(RowOf(Data, row));
    for (int32_t column = 0; column < Width; ++column) CountPixel(pixels[column]);
  }
}

void TQuantizer::MapPixels(const BitmapData& Source, GpBitmap* Output, const GpRect& Bounds, int32_t Height,
                           int32_t Width) {
  LockedBits target(Output, Bounds, ImageLockModeWrite, PixelFormat8bppIndexed);
  TOctreeColorLookup lookup(this);
  TStuckiDitherer ditherer(Width, &lookup);
  for (int32_t row = 0; row < Height; ++row) {
    const auto* source = reinterpret_cast<const uint32_t*>(RowOf(Source, row));
    auto* indexes = const_cast<uint8_t*>(RowOf(target.Data(), row));
    while (ditherer.Column() >= 0 && ditherer.Column() < Width) {
      const int32_t column = ditherer.Column();
      const uint32_t pixel = source[column];
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

void TOctreeQuantizer::CountPixel(uint32_t Pixel) { FTree->Insert(Pixel); }

int32_t TOctreeQuantizer::PixelIndex(uint32_t Pixel, uint32_t& Color) {
  if ((Pixel >> 24) == 0) {
    Color = 0xFF000000;
    return FColorLimit;
  }
  return FTree->FindIndex(Pixel, Color);
}

void TOctreeQuantizer::FillPalette(ColorPalette& Palette) {
  const std::vector<uint32_t> colors = FTree->BuildPalette(FColorLimit - 1);
  // Only the entries the bitmap's palette has are written.
  for (size_t i = 0; i < colors.size() && i < Palette.Count; ++i) Palette.Entries[i] = colors[i];
  if (static_cast<UINT>(FColorLimit) < Palette.Count) Palette.Entries[FColorLimit] = 0xFF000000;
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
