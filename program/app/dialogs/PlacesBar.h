#pragma once

// TPlacesBar: the file dialog's column of places (the home folder, the user's folders, the
// file system and the mounted volumes), one row each with its skin glyph and name. A click or
// the arrow keys choose a row; OnPick hands its folder to the dialog.
//
// GUI thread only; the glyphs belong to the skin engine.

#include <functional>
#include <vector>

#include "rtl/SysTypes.h"
#include "vcl/GraphicControl.h"

struct TDialogPlace {
  WideString Caption;
  WideString Path;
  int GlyphPart = 0;  // part of the dialog's skin item
};

// The places of this user and machine: home, desktop, documents, downloads, music, pictures
// and videos when they exist, the file system's root, then each mounted volume below /media,
// /run/media and /mnt.
std::vector<TDialogPlace> DialogPlaces();

class TPlacesBar : public TCustomControl {
  BRANTWELL_CLASS(TPlacesBar, TCustomControl)

 public:
  explicit TPlacesBar(TComponent* owner);
  static void DescribeClass(TClassBuilder<TPlacesBar>&) {}

  void SetPlaces(std::vector<TDialogPlace> places);
  const std::vector<TDialogPlace>& Places() const { return FPlaces; }
  // Marks the row whose folder is `path` (none when no row has it).
  void MarkPath(const WideString& path);
  int Current() const { return FCurrent; }
  // The row's rectangle in client coordinates.
  TRect RowRect(int index);

  std::function<void(const WideString& path)> OnPick;

  static constexpr int RowHeight = 28;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void Dispatch(TMessage& message) override;

 private:
  void Pick(int index);
  std::vector<TDialogPlace> FPlaces;
  int FCurrent = -1;
  int FHot = -1;
};
