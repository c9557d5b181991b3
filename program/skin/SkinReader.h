#pragma once

// Skin folders and skin files: the reader classes through which the engine finds skins,
// opens skin files and loads images (TFSSkinReader, TFSFileSkinReader), the engine's shared
// image cache (TSkinShareImageList), and the building of the model from a skin file's XML.
//
// A skin is a folder of XML skin files and the images they name, under the program folder's
// "Skin" folder. File names accept '\' and '/' and resolve through the kernel's
// case-insensitive lookup. GUI thread.

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "program/core/FSxmldom.h"
#include "program/skin/SkinFile.h"

class TFSSkinEngine;
class TSkinItemSlice;

class TFSSkinReader : public TObject {
  BRANTWELL_CLASS(TFSSkinReader, TObject)

 public:
  using TEnumSkinCallback = std::function<bool(const AnsiString& name, const AnsiString& folder, intptr_t a, intptr_t b)>;

  explicit TFSSkinReader(TFSSkinEngine* engine) : Engine(engine) {}
  // Calls callback for each skin until one returns false; the number of true results.
  virtual int EnumSkins(intptr_t a, intptr_t b, const TEnumSkinCallback& callback) = 0;
  virtual bool SetSkin(const AnsiString& name) = 0;
  // The document of a skin file, or nil when there is none.
  virtual IXMLDocumentPtr LoadXML(const AnsiString& fileName) = 0;
  // A new graphic from an image file (the caller owns it), or nil.
  virtual std::unique_ptr<TGraphic> LoadGraphic(const AnsiString& fileName, const AnsiString& fileType, int kind,
                                                const AnsiString& folder) = 0;

  TFSSkinEngine* Engine;
  AnsiString RootFolder = "Skin";
  AnsiString SkinName;
};

class TFSFileSkinReader : public TFSSkinReader {
  BRANTWELL_CLASS(TFSFileSkinReader, TFSSkinReader)

 public:
  explicit TFSFileSkinReader(TFSSkinEngine* engine) : TFSSkinReader(engine) {}

  // The sub-folders of the program folder's RootFolder (an absolute RootFolder stands alone).
  int EnumSkins(intptr_t a, intptr_t b, const TEnumSkinCallback& callback) override;
  // RootFolder/Name (or Name itself when it holds a delimiter) becomes the skin path; true
  // when that folder exists.
  bool SetSkin(const AnsiString& name) override;
  IXMLDocumentPtr LoadXML(const AnsiString& fileName) override;
  std::unique_ptr<TGraphic> LoadGraphic(const AnsiString& fileName, const AnsiString& fileType, int kind,
                                        const AnsiString& folder) override;
  // A changed path reloads every skin of the engine.
  void SetSkinPath(const AnsiString& path);

  AnsiString SkinPath;
  AnsiString Extension = "xml";
};

// Images by file name (without case; the first entry of a name stays), owning them.
class TSkinShareImageList : public TObject {
  BRANTWELL_CLASS(TSkinShareImageList, TObject)

 public:
  ~TSkinShareImageList() override { Clear(); }
  TGraphic* Add(const AnsiString& name, std::unique_ptr<TGraphic> graphic, TObject* owner = nullptr);
  TSkinImage* Find(std::string_view name) const;
  void Remove(std::string_view name);
  void Clear();
  int Count() const { return static_cast<int>(m_images.size()); }
  // Hands every entry to other (which must be empty) without freeing anything.
  void MoveTo(TSkinShareImageList& other);

 private:
  bool Find(std::string_view name, size_t& index) const;
  std::vector<std::unique_ptr<TSkinImage>> m_images;  // sorted by name without case
};

// Building the model from a skin file's elements (raise ESkinFormatError on a bad colour).
void ReadSkinFileRoot(TSkinFile* file, const IXMLNodePtr& root, bool& hadItem);
void ReadSkinItem(TSkinItem* item, const IXMLNodePtr& element);
// Rectangle text "left,top,width,height": stops at the first missing or -1 value (a
// malformed value counts as -1); the values before it are set.
void ParseSkinRectText(const AnsiString& text, TRect& rect);
