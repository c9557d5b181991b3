#include "program/skin/SkinFile.h"

#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinReader.h"
#include "program/skin/SkinXml.h"
#include "rtl/FileNames.h"
#include "rtl/Format.h"
#include "rtl/Strings.h"

// ---- TSkinItemList --------------------------------------------------------------------------

TSkinItemList::~TSkinItemList() {
  if (OwnsObjects)
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) delete it->item;
}

bool TSkinItemList::Find(std::string_view name, size_t& index) const {
  size_t low = 0, high = m_items.size();
  while (low < high) {
    const size_t middle = (low + high) / 2;
    const int order = CompareText(m_items[middle].name, name);
    if (order < 0) low = middle + 1;
    else if (order > 0) high = middle;
    else {
      index = middle;
      return true;
    }
  }
  index = low;
  return false;
}

void TSkinItemList::Add(TSkinItem* item) {
  if (!item) return;
  size_t index = m_items.size();
  if (Sorted) Find(item->Name, index);
  m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(index), Entry{item->Name, item});
  if (OnNotify) OnNotify(item, Added);
}

void TSkinItemList::Remove(TSkinItem* item) {
  for (auto it = m_items.begin(); it != m_items.end(); ++it)
    if (it->item == item) {
      m_items.erase(it);
      if (OnNotify) OnNotify(item, Removed);
      return;
    }
}

void TSkinItemList::Clear() {
  for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
    if (OnNotify) OnNotify(it->item, Cleared);
    if (OwnsObjects) {
      delete it->item;
      it->item = nullptr;
    }
  }
  m_items.clear();
}

int TSkinItemList::IndexOf(std::string_view name) const {
  if (Sorted) {
    size_t index = 0;
    return Find(name, index) ? static_cast<int>(index) : -1;
  }
  for (size_t i = 0; i < m_items.size(); ++i)
    if (SameText(m_items[i].name, name)) return static_cast<int>(i);
  return -1;
}

TSkinItem* TSkinItemList::Items(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return m_items[static_cast<size_t>(index)].item;
}

// ---- TSkinFile ------------------------------------------------------------------------------

TSkinFile::TSkinFile(TFSSkinEngine* engine) : Engine(engine), Items(engine, true, false), Graphic(engine, this) {
  Items.OnNotify = [this](TSkinItem* item, int action) {
    if (!Engine || Engine->Destroying) return;
    if (action == TSkinItemList::Added) Engine->Items.Add(item);
    else Engine->Items.Remove(item);
  };
}

TSkinFile::~TSkinFile() { Items.Clear(); }

bool TSkinFile::LoadFromFile(const AnsiString& name) {
  if (!Engine || !Engine->Reader) return false;
  IXMLDocumentPtr document = Engine->Reader->LoadXML(name);
  if (!document) return false;
  Items.Clear();
  FileName = name;
  const AnsiString path = ExtractFilePath(name);
  Folder = path.empty() ? AnsiString() : ExcludeTrailingPathDelimiter(path);
  Graphic.Folder = Folder;
  if (auto error = document->GetParseError(); error && error->GetErrorCode() != 0)
    throw ESkinFormatError(Format("not well-formed XML at line %d: %s", {error->GetLine(), error->GetReason()}));
  bool hadItem = false;
  ReadSkinFileRoot(this, document->GetDocumentElement(), hadItem);
  return hadItem;
}

// ---- TSkinFileList --------------------------------------------------------------------------

TSkinFileList::~TSkinFileList() { Clear(); }

TSkinFile* TSkinFileList::FindByName(std::string_view name) const {
  for (const auto& file : m_files)
    if (SameText(file->FileName, name)) return file.get();
  return nullptr;
}

void TSkinFileList::Clear() {
  while (!m_files.empty()) {
    std::unique_ptr<TSkinFile> file = std::move(m_files.back());
    m_files.pop_back();
    file.reset();
  }
}

void TSkinFileList::MoveTo(TSkinFileList& other) {
  for (auto& file : m_files) other.m_files.push_back(std::move(file));
  m_files.clear();
}
