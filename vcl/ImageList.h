#pragma once

// TCustomImageList / TImageList: a list of same-sized images, each with an optional mask
// (1 where the background shows through), drawn by index onto a canvas. This is the list's
// own storage; the list-view and tool-bar controls hand it to their windows.
//
// GUI thread only, like every component.

#include <memory>
#include <vector>

#include "vcl/Bitmap.h"
#include "vcl/Component.h"

class TCustomImageList : public TComponent {
  BRANTWELL_CLASS(TCustomImageList, TComponent)

 public:
  explicit TCustomImageList(TComponent* owner);
  ~TCustomImageList() override;

  int Width() const { return FWidth; }
  // Changing the size empties the list.
  void SetWidth(int value) { SetSize(value, FHeight); }
  int Height() const { return FHeight; }
  void SetHeight(int value) { SetSize(FWidth, value); }
  void SetSize(int width, int height);
  int Count() const { return static_cast<int>(FImages.size()); }
  bool Masked() const { return FMasked; }
  void SetMasked(bool value);
  // The colour drawn behind the images; clNone draws them transparent.
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor value);

  // Adds the image (several when it is a multiple of Width wide) with a mask (nullptr: no
  // mask, the image is opaque); returns the index of the first, -1 for an empty image.
  int Add(TBitmap* image, TBitmap* mask);
  // Adds the image with the pixels of maskColor transparent (clDefault: the colour of the
  // bottom-left pixel).
  int AddMasked(TBitmap* image, TColor maskColor);
  void Replace(int index, TBitmap* image, TBitmap* mask);
  void Delete(int index);
  void Clear();

  // Draws image index with its top-left corner at (x, y); a disabled image is drawn in
  // grays. An index out of range draws nothing.
  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
  // Copies an image (on the background colour, or black for clNone) into image; false for
  // an index out of range.
  bool GetBitmap(int index, TBitmap* image);

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }

  static void DescribeClass(TClassBuilder<TCustomImageList>& c);

 protected:
  virtual void Change();

 private:
  struct Entry {
    std::unique_ptr<TBitmap> image;
    std::unique_ptr<TBitmap> mask;  // nullptr: opaque
  };
  Entry MakeEntry(TBitmap* image, int column, TBitmap* mask, TColor maskColor, bool byColor);
  void CheckIndex(int index) const;

  int FWidth = 16;
  int FHeight = 16;
  bool FMasked = true;
  TColor FBkColor = clNone;
  std::vector<Entry> FImages;
  TNotifyEvent FOnChange;
};

class TImageList : public TCustomImageList {
  BRANTWELL_CLASS(TImageList, TCustomImageList)

 public:
  explicit TImageList(TComponent* owner) : TCustomImageList(owner) {}
};
