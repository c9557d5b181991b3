#pragma once

// A loaded skin file (TSkinFile) with its items, the item lists of files and of the engine
// (TSkinItemList) and the engine's list of files (TSkinFileList).
//
// A file's item list owns its items and is unsorted; every item added to it enters the
// engine's list (sorted, without case, not owning) and leaves it again when removed or
// cleared, except while the engine is being destroyed. GUI thread.

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "program/skin/SkinItem.h"

class TSkinItemList : public TObject {
  BRANTWELL_CLASS(TSkinItemList, TObject)

 public:
  static constexpr int Added = 0, Removed = 1, Cleared = 2;

  TSkinItemList(TFSSkinEngine* engine, bool ownsObjects, bool sorted) : Engine(engine), OwnsObjects(ownsObjects), Sorted(sorted) {}
  ~TSkinItemList() override;
  TSkinItemList(const TSkinItemList&) = delete;
  TSkinItemList& operator=(const TSkinItemList&) = delete;

  // Adds under the item's name and notifies Added; an owning list takes ownership.
  void Add(TSkinItem* item);
  // Takes the item out (not freed) and notifies Removed.
  void Remove(TSkinItem* item);
  // Notifies Cleared for each item from the last to the first, freeing it when owning.
  void Clear();
  // Index of a name (without case), -1 when absent.
  int IndexOf(std::string_view name) const;
  int Count() const { return static_cast<int>(m_items.size()); }
  TSkinItem* Items(int index) const;

  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

  TFSSkinEngine* Engine;
  bool OwnsObjects;
  bool Sorted;
  std::function<void(TSkinItem* item, int action)> OnNotify;

 private:
  struct Entry {
    AnsiString name;
    TSkinItem* item;
  };
  // For a sorted list: the position of name, or where it would go.
  bool Find(std::string_view name, size_t& index) const;
  std::vector<Entry> m_items;

 public:
  using const_iterator = std::vector<Entry>::const_iterator;
};

class TSkinFile : public TPersistent {
  BRANTWELL_CLASS(TSkinFile, TPersistent)

 public:
  explicit TSkinFile(TFSSkinEngine* engine);
  ~TSkinFile() override;

  // Reads the skin file through the engine's reader. False, nothing changed, when no file
  // exists under the name; true when its root held at least one Item element. A malformed
  // value raises (the engine then discards the file).
  bool LoadFromFile(const AnsiString& name);

  TFSSkinEngine* Engine;
  TSkinItemList Items;
  AnsiString Folder;
  AnsiString FileName;
  TSkinImageRef Graphic;
};

class TSkinFileList : public TObject {
  BRANTWELL_CLASS(TSkinFileList, TObject)

 public:
  explicit TSkinFileList(TFSSkinEngine* engine) : Engine(engine) {}
  ~TSkinFileList() override;

  void Add(std::unique_ptr<TSkinFile> file) { m_files.push_back(std::move(file)); }
  int Count() const { return static_cast<int>(m_files.size()); }
  TSkinFile* Items(int index) const { return m_files[static_cast<size_t>(index)].get(); }
  // The file loaded under that name (without case), or nil.
  TSkinFile* FindByName(std::string_view name) const;
  // Frees the files from the last to the first; their items leave the engine's list.
  void Clear();
  // Hands all files to another list without freeing anything.
  void MoveTo(TSkinFileList& other);

  TFSSkinEngine* Engine;

 private:
  std::vector<std::unique_ptr<TSkinFile>> m_files;
};
