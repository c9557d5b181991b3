#pragma once

// A skin's reference to an image file (TSkinImageRef) and an entry of the engine's shared
// image cache (TSkinImage). A reference never keeps a graphic of its own: every GetImage goes
// through the engine's shared list, so an image file is loaded once per name. GUI thread.

#include <memory>

#include "program/core/FSxmldom.h"
#include "vcl/Graphic.h"
#include "vcl/Persistent.h"

class TFSSkinEngine;

class TSkinImageRef : public TPersistent {
  BRANTWELL_CLASS(TSkinImageRef, TPersistent)

 public:
  static constexpr int KindAny = 0, KindBitmap = 1, KindGPGraphic = 2;

  TSkinImageRef(TFSSkinEngine* engine = nullptr, TObject* owner = nullptr) : Engine(engine), Owner(owner) {}
  // Copies Name, Type and Folder.
  void Assign(TPersistent* source) override;
  bool NamesFile() const { return !Name.empty(); }
  // Kind 1 a TBitmap, 2 a TGPGraphic, 0 either; nil without a file or when it cannot be
  // loaded. With Share the graphic lives in the engine's shared list; without, the caller
  // owns it.
  TGraphic* GetImage(int kind, bool share);
  // "Name"/"Type" of a Graphic element; Folder is the skin file's.
  void ReadXML(const IXMLNodePtr& element, const AnsiString& folder);

  AnsiString Name;
  AnsiString Type;
  AnsiString Folder;
  bool Shared = false;
  TFSSkinEngine* Engine;
  TObject* Owner;
};

// An entry of the shared image list: the image file name and the graphic it owns.
class TSkinImage : public TObject {
  BRANTWELL_CLASS(TSkinImage, TObject)

 public:
  TSkinImage(TObject* owner, AnsiString name, std::unique_ptr<TGraphic> graphic)
      : Owner(owner), Name(std::move(name)), Graphic(std::move(graphic)) {}

  TObject* Owner;
  AnsiString Name;
  std::unique_ptr<TGraphic> Graphic;
};

// The extension of a file name without its dot, only when no '\', '/' or ':' follows it.
AnsiString SkinFileType(const AnsiString& fileName);
