#pragma once

// TCustomImageList / TImageList: a list of same-sized images, each with an optional mask
// (1 where the background shows through), drawn by index onto a canvas. The images live in a
// platform image list (`Handle`, made on first use and owned by the component), which the
// tree view, tab control and tool bar draw from. Controls that show the images register a
// change link and hear of every change; a link outlives neither the list nor its owner.
//
// GUI thread only, like every component.

#include <vector>

#include "platform/comctl/ImageList.h"
#include "vcl/Bitmap.h"
#include "vcl/Component.h"

class TCustomImageList;

// A control's subscription to an image list's changes. The control owns the link and
// unregisters it before freeing it; the list clears Sender when it goes first.
class TChangeLink : public TObject {
  BRANTWELL_CLASS(TChangeLink, TObject)

 public:
  TChangeLink() = default;
  ~TChangeLink() override;
  TCustomImageList* Sender() const { return FSender; }
  void SetSender(TCustomImageList* value) { FSender = value; }
  virtual void Change();

  TNotifyEvent OnChange;

 private:
  TCustomImageList* FSender = nullptr;
};

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
  int Count() const;
  // The platform list holding the images, made on first use.
  platform::HIMAGELIST Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);
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
  void CheckIndex(int index) const;
  void CreateList();
  COLORREF PlatformBkColor() const;

  int FWidth = 16;
  int FHeight = 16;
  bool FMasked = true;
  TColor FBkColor = clNone;
  platform::HIMAGELIST FHandle = nullptr;
  std::vector<TChangeLink*> FLinks;
  TNotifyEvent FOnChange;
};

class TImageList : public TCustomImageList {
  BRANTWELL_CLASS(TImageList, TCustomImageList)

 public:
  explicit TImageList(TComponent* owner) : TCustomImageList(owner) {}
};
