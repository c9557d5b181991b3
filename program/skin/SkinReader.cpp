#include "program/skin/SkinReader.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "platform/kernel/ProgramFolder.h"
#include "program/imaging/BitmapUtils.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinSlice.h"
#include "program/skin/SkinXml.h"
#include "rtl/FileNames.h"
#include "rtl/Format.h"
#include "rtl/Numbers.h"
#include "rtl/Strings.h"

using namespace skin;

namespace {

// A + B held to the 32-bit range: skin files may hold any numbers.
int32_t Sum(int64_t a, int64_t b) {
  const int64_t sum = a + b;
  return static_cast<int32_t>(sum < INT32_MIN ? INT32_MIN : sum > INT32_MAX ? INT32_MAX : sum);
}

bool HasDirectoryPart(const AnsiString& name) { return name.find_first_of("\\/") != AnsiString::npos; }

AnsiString JoinPath(const AnsiString& folder, const AnsiString& name) {
  return IncludeTrailingPathDelimiter(folder) + name;
}

// The folder of the skins: the root folder under the program folder, unless it is absolute.
AnsiString RootPath(const AnsiString& rootFolder) {
  if (!rootFolder.empty() && (rootFolder[0] == '/' || rootFolder[0] == '\\')) return rootFolder;
  return JoinPath(platform::ProgramFolder(), rootFolder);
}

// Fill keywords of "FillMode" and "Stretch".
uint8_t FillKeyword(const AnsiString& raw) {
  const AnsiString text = Trim(raw);
  if (text.empty()) return 0;
  if (SameText(text, "none") || SameText(text, "False")) return 1;
  if (SameText(text, "stretch") || SameText(text, "True")) return 2;
  if (SameText(text, "center")) return 3;
  if (SameText(text, "tile")) return 4;
  if (SameText(text, "HCenterTile")) return 5;
  if (SameText(text, "VCenterTile")) return 6;
  return 0;
}

uint8_t StateKeyword(const AnsiString& raw) {
  const AnsiString text = Trim(raw);
  if (text.empty() || SameText(text, "image")) return SkinStateType::Image;
  if (SameText(text, "box") || SameText(text, "rectangle")) return SkinStateType::Rectangle;
  if (SameText(text, "roundrect")) return SkinStateType::RoundRect;
  if (SameText(text, "ellipse")) return SkinStateType::Ellipse;
  if (SameText(text, "horizontalline")) return SkinStateType::HorizontalLine;
  if (SameText(text, "verticalline")) return SkinStateType::VerticalLine;
  return SkinStateType::Image;
}

// "TransparentColor" (mode 1 when given) and then "TransparentMode" of a Part or State element.
void ReadTransparency(TSkinItemPart* part, const IXMLNodePtr& element) {
  if (!Trim(Attr(element, "TransparentColor")).empty()) {
    part->TransparentColor = AttrColor(element, "TransparentColor", part->TransparentColor);
    part->TransparentMode = 1;
  }
  bool present = false;
  const AnsiString mode = Trim(Attr(element, "TransparentMode", &present));
  if (present) part->TransparentMode = SameText(mode, "Mask") ? 1 : SameText(mode, "Alpha") ? 2 : 0;
}

void ReadState(TSkinItemPart* part, const IXMLNodePtr& element) {
  auto state = std::make_unique<TSkinItemState>(part->Item, part);
  TSkinItemState* previous = part->States.empty() ? nullptr : part->States.back().get();
  if (previous) {
    state->Rect = previous->Rect;
    state->Margins.Assign(&previous->Margins);
    state->Font.Assign(&previous->Font);
    state->Font.StyleSet = previous->Font.StyleSet;
  }
  ReadTransparency(part, element);
  state->StateType = StateKeyword(Attr(element, "type"));
  TRect& r = state->Rect;
  const int previousRight = previous ? previous->Rect.Right : 0;
  const int previousBottom = previous ? previous->Rect.Bottom : 0;
  r.Left = AttrInt(element, "Left", previousRight);
  r.Top = AttrInt(element, "Top", previousBottom);
  r.Right = AttrInt(element, "Right", 0);
  r.Bottom = AttrInt(element, "Bottom", 0);
  if (r.Right == 0) r.Right = Sum(r.Left, AttrInt(element, "Width", 0));
  if (r.Bottom == 0) r.Bottom = Sum(r.Top, AttrInt(element, "Height", 0));

  int margins = 0;
  ForEachElement(element, [&](const IXMLNodePtr& child) {
    if (NameIs(child, "Color")) {
      state->Color = TextToColor(Text(child), child, clNone);
    } else if (NameIs(child, "Margins")) {
      if (margins == 0) state->Margins.ReadXML(child);
      else if (margins == 1) state->DestMargins.ReadXML(child);
      ++margins;
    } else if (NameIs(child, "Spaces")) {
      state->Spaces.ReadXML(child);
    } else if (NameIs(child, "Alignment")) {
      state->Alignment = static_cast<uint8_t>(StrToIntDef(Trim(Text(child)), 0));
    } else if (NameIs(child, "Font")) {
      state->Font.ReadXML(child);
    } else if (NameIs(child, "Pen")) {
      state->Pen.ReadXML(child);
    } else if (NameIs(child, "Brush")) {
      state->Brush.ReadXML(child);
    } else if (NameIs(child, "Shadow")) {
      state->Shadow.ReadXML(child);
    } else if (NameIs(child, "Frame")) {
      state->Frames.ReadXML(child);
    } else if (NameIs(child, "Animation")) {
      state->Animation.ReadXML(child);
    }
  });
  if (margins == 1) state->DestMargins.Assign(&state->Margins);
  if (!state->Font.Loaded) {
    state->Font.Assign(&part->Font);
    state->Font.StyleSet = part->Font.StyleSet;
  }
  part->AddState(std::move(state));
}

bool DefinesSomething(const IXMLNodePtr& element) {
  bool result = false;
  if (IXMLNamedNodeMapPtr attributes = element->GetAttributes()) {
    for (int i = 0; i < attributes->GetCount() && !result; ++i)
      if (!NameIs(attributes->GetItem(i), "id")) result = true;
  }
  ForEachElement(element, [&](const IXMLNodePtr&) { result = true; });
  return result;
}

void ReadPart(TSkinItemPart* part, const IXMLNodePtr& element) {
  const AnsiString folder = SkinItemFolder(part->Item);
  part->Name = Attr(element, "Name");
  part->Visible = AttrBool(element, "Visible", true);
  part->Enabled = AttrBool(element, "Enabled", true);
  part->LangID = AttrInt(element, "LangID", 0);
  part->KeepingSize = SameText(Trim(Attr(element, "KeepingSize")), "Window") ? kstWindow : kstClient;
  const AnsiString fill = Attr(element, "FillMode");
  part->FillMode = Trim(fill).empty() ? FillKeyword(Attr(element, "Stretch")) : FillKeyword(fill);
  part->Position.ReadXML(element);
  part->Graphic.Folder = folder;
  if (DefinesSomething(element)) part->Empty = false;

  if (IXMLNodePtr font = Child(element, "Font")) part->Font.ReadXML(font);
  ForEachElement(element, [&](const IXMLNodePtr& child) {
    if (NameIs(child, "State")) ReadState(part, child);
    else if (NameIs(child, "Position")) part->Position.ReadXML(child);
    else if (NameIs(child, "Margins")) part->Margins.ReadXML(child);
    else if (NameIs(child, "Padding")) part->Padding.ReadXML(child);
    else if (NameIs(child, "Graphic")) part->Graphic.ReadXML(child, folder);
    else if (NameIs(child, "Shape")) part->Shape.ReadXML(child);
  });
  ReadTransparency(part, element);
}

void ReadSlice(TSkinItem* item, const IXMLNodePtr& element) {
  auto slice = std::make_unique<TSkinItemSlice>(item);
  slice->Id = Attr(element, "Id");
  const int left = AttrInt(element, "Left", 0), top = AttrInt(element, "Top", 0);
  slice->Rect = TRect(left, top, Sum(left, AttrInt(element, "Width", 0)), Sum(top, AttrInt(element, "Height", 0)));
  slice->TransparentColor = AttrColor(element, "TransparentColor", clDefault);
  if (slice->Rect.Right <= slice->Rect.Left || slice->Rect.Bottom <= slice->Rect.Top) {
    bool present = false;
    const AnsiString text = Attr(element, "rect", &present);
    if (present) ParseSkinRectText(text, slice->Rect);
  }
  if (IXMLNodePtr margins = Child(element, "Margins")) slice->Margins.ReadXML(margins);
  item->Slices->Add(std::move(slice));
}

void ReadMapList(TSkinItem* item, const IXMLNodePtr& element) {
  auto list = std::make_unique<TSkinMapList>();
  for (IXMLNodePtr child = element->GetFirstChild(); child; child = child->GetNextSibling())
    list->Items.emplace_back(AttrInt(child, "Id", 0), AttrInt(child, "Mapto", 0), AttrInt(child, "LangId", 0));
  item->MapList = std::move(list);
}

}  // namespace

void ParseSkinRectText(const AnsiString& text, TRect& rect) {
  int values[4];
  size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    if (start > text.size()) return;
    size_t comma = text.find(',', start);
    const AnsiString field = Trim(text.substr(start, comma == AnsiString::npos ? AnsiString::npos : comma - start));
    if (field.empty()) return;
    values[i] = StrToIntDef(field, -1);
    if (values[i] == -1) return;
    switch (i) {
      case 0: rect.Left = values[0]; break;
      case 1: rect.Top = values[1]; break;
      case 2: rect.Right = Sum(values[0], values[2]); break;
      case 3: rect.Bottom = Sum(values[1], values[3]); break;
    }
    if (comma == AnsiString::npos) return;
    start = comma + 1;
  }
}

void ReadSkinItem(TSkinItem* item, const IXMLNodePtr& element) {
  item->InheritFrom = Attr(element, "InheritFrom");
  item->PartIdStart = AttrInt(element, "PartIdStart", 0);
  int64_t runningId = item->PartIdStart;
  ForEachElement(element, [&](const IXMLNodePtr& child) {
    if (NameIs(child, "Part")) {
      auto part = std::make_unique<TSkinItemPart>(item);
      Integer id = 0;
      part->Id = TryStrToInt(Trim(Attr(child, "id")), id) ? id : static_cast<int32_t>(runningId);
      ReadPart(part.get(), child);
      runningId = std::min<int64_t>(static_cast<int64_t>(part->Id) + 1, INT32_MAX);
      item->Parts.push_back(std::move(part));
    } else if (NameIs(child, "Slice")) {
      ReadSlice(item, child);
    } else if (NameIs(child, "Graphic")) {
      item->Graphic.ReadXML(child, SkinItemFolder(item));
    } else if (NameIs(child, "MapList")) {
      ReadMapList(item, child);
    }
  });
}

void ReadSkinFileRoot(TSkinFile* file, const IXMLNodePtr& root, bool& hadItem) {
  hadItem = false;
  ForEachElement(root, [&](const IXMLNodePtr& child) {
    if (NameIs(child, "Item")) {
      hadItem = true;
      AnsiString name = Attr(child, "name");
      if (name.empty()) name = ChangeFileExt(ExtractFileName(file->FileName), "");
      if (file->Engine && file->Engine->FindSkinItem(name)) return;
      if (file->Items.IndexOf(name) >= 0) return;
      auto item = std::make_unique<TSkinItem>(file->Engine, file, name);
      try {
        ReadSkinItem(item.get(), child);
      } catch (Exception& error) {
        error.SetMessage(Format("item \"%s\": %s", {name, error.Message()}));
        throw;
      }
      file->Items.Add(item.release());
    } else if (NameIs(child, "Graphic")) {
      file->Graphic.ReadXML(child, file->Folder);
    }
  });
}

// ---- TFSFileSkinReader ----------------------------------------------------------------------

int TFSFileSkinReader::EnumSkins(intptr_t a, intptr_t b, const TEnumSkinCallback& callback) {
  const std::filesystem::path root(RootPath(RootFolder));
  std::vector<AnsiString> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(root, error), end; !error && it != end; it.increment(error))
    if (it->is_directory(error)) names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end(), [](const AnsiString& x, const AnsiString& y) { return CompareText(x, y) < 0; });
  int count = 0;
  for (const AnsiString& name : names) {
    if (!callback || !callback(name, name, a, b)) break;
    ++count;
  }
  return count;
}

bool TFSFileSkinReader::SetSkin(const AnsiString& name) {
  SkinName = name;
  const AnsiString folder = HasDirectoryPart(name) ? name : JoinPath(RootPath(RootFolder), name);
  std::error_code error;
  const bool exists = std::filesystem::is_directory(std::filesystem::path(folder), error);
  SetSkinPath(folder);
  return exists;
}

void TFSFileSkinReader::SetSkinPath(const AnsiString& path) {
  if (path == SkinPath) return;
  SkinPath = path;
  if (Engine) Engine->Reload();
}

IXMLDocumentPtr TFSFileSkinReader::LoadXML(const AnsiString& fileName) {
  AnsiString full = HasDirectoryPart(fileName) || SkinPath.empty() ? fileName : JoinPath(SkinPath, fileName);
  if (ExtractFileExt(fileName).empty()) full += "." + Extension;
  IXMLDocumentPtr document = LoadXMLFile(UTF8ToWide(full));
  if (!document) document = LoadXMLFile(UTF8ToWide(fileName));
  return document;
}

std::unique_ptr<TGraphic> TFSFileSkinReader::LoadGraphic(const AnsiString& fileName, const AnsiString& fileType,
                                                         int kind, const AnsiString& folder) {
  if (fileName.empty()) return nullptr;
  AnsiString full;
  if (HasDirectoryPart(fileName) && fileName[0] != '.') full = fileName;
  else if (!folder.empty()) full = JoinPath(folder, fileName);
  else if (!SkinPath.empty()) full = JoinPath(SkinPath, fileName);
  else full = fileName;
  const AnsiString type = fileType.empty() ? SkinFileType(fileName) : fileType;
  if (kind == TSkinImageRef::KindBitmap) {
    if (!type.empty() && !SameText(type, "bmp")) return std::unique_ptr<TGraphic>(LoadImageAsBitmap(full));
    return std::unique_ptr<TGraphic>(LoadBitmapFile(full));
  }
  return std::unique_ptr<TGraphic>(LoadGPGraphicFile(full));
}

// ---- TSkinShareImageList --------------------------------------------------------------------

bool TSkinShareImageList::Find(std::string_view name, size_t& index) const {
  auto it = std::lower_bound(m_images.begin(), m_images.end(), name,
                             [](const std::unique_ptr<TSkinImage>& entry, std::string_view key) {
                               return CompareText(entry->Name, key) < 0;
                             });
  index = static_cast<size_t>(it - m_images.begin());
  return it != m_images.end() && CompareText((*it)->Name, name) == 0;
}

TGraphic* TSkinShareImageList::Add(const AnsiString& name, std::unique_ptr<TGraphic> graphic, TObject* owner) {
  if (!graphic) return nullptr;
  size_t index = 0;
  if (Find(name, index)) return m_images[index]->Graphic.get();
  auto entry = std::make_unique<TSkinImage>(owner, name, std::move(graphic));
  TGraphic* result = entry->Graphic.get();
  m_images.insert(m_images.begin() + static_cast<std::ptrdiff_t>(index), std::move(entry));
  return result;
}

TSkinImage* TSkinShareImageList::Find(std::string_view name) const {
  size_t index = 0;
  return Find(name, index) ? m_images[index].get() : nullptr;
}

void TSkinShareImageList::Remove(std::string_view name) {
  size_t index = 0;
  if (Find(name, index)) m_images.erase(m_images.begin() + static_cast<std::ptrdiff_t>(index));
}

void TSkinShareImageList::Clear() {
  while (!m_images.empty()) m_images.pop_back();
}

void TSkinShareImageList::MoveTo(TSkinShareImageList& other) {
  for (auto& entry : m_images) other.m_images.push_back(std::move(entry));
  m_images.clear();
}
