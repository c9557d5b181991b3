#pragma once

// String lists. TStrings/TStringList hold AnsiString (UTF-8), the text type of most of the
// program; TWideStrings/TWideStringList hold WideString (UTF-16) for the wide callers (the
// form reader fills both kinds). Both share one implementation, TBasicStrings.
//
// Each line may carry an object pointer (Objects), which the list does not own.
// Name=value lines: Names, Values, ValueFromIndex, IndexOfName with NameValueSeparator.
// Text joins lines with a line feed and splits at CR, LF or CR LF. CommaText and
// DelimitedText quote items that contain blanks, the delimiter or the quote character.
// A sorted list keeps its order on Add (Insert raises), and Duplicates decides what an
// existing string does: dupIgnore keeps the old one, dupAccept adds, dupError raises
// EStringListError "String list does not allow duplicates".
// OnChanging/OnChange fire around every change, once per BeginUpdate/EndUpdate bracket.
// Not thread-safe.

#include <algorithm>
#include <vector>

#include "rtl/Exceptions.h"
#include "vcl/Event.h"
#include "vcl/List.h"
#include "vcl/Persistent.h"

class TStream;

BRANTWELL_DECLARE_EXCEPTION(EStringListError, EListError);

namespace vcl::detail {
int CompareStrings(const AnsiString& a, const AnsiString& b, bool caseSensitive);
int CompareStrings(const WideString& a, const WideString& b, bool caseSensitive);
void LoadText(TStream& stream, AnsiString& text);
void LoadText(TStream& stream, WideString& text);
void SaveText(TStream& stream, const AnsiString& text);
void SaveText(TStream& stream, const WideString& text);
void LoadTextFile(const AnsiString& fileName, AnsiString& text);
void LoadTextFile(const AnsiString& fileName, WideString& text);
void SaveTextFile(const AnsiString& fileName, const AnsiString& text);
void SaveTextFile(const AnsiString& fileName, const WideString& text);
}  // namespace vcl::detail

template <class S> class TBasicStrings : public TPersistent {
 public:
  using Char = typename S::value_type;

  // Lines.
  virtual int Count() const = 0;
  virtual S Get(int index) const = 0;
  virtual void Put(int index, const S& value) {
    TObject* object = GetObject(index);
    Delete(index);
    InsertObject(index, value, object);
  }
  virtual TObject* GetObject(int) const { return nullptr; }
  virtual void PutObject(int, TObject*) {}
  virtual void Insert(int index, const S& value) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  virtual int Add(const S& value) {
    int index = Count();
    Insert(index, value);
    return index;
  }
  int AddObject(const S& value, TObject* object) {
    int index = Add(value);
    PutObject(index, object);
    return index;
  }
  void InsertObject(int index, const S& value, TObject* object) {
    Insert(index, value);
    PutObject(index, object);
  }
  S operator[](int index) const { return Get(index); }
  S Strings(int index) const { return Get(index); }
  void SetStrings(int index, const S& value) { Put(index, value); }
  TObject* Objects(int index) const { return GetObject(index); }
  void SetObjects(int index, TObject* object) { PutObject(index, object); }
  virtual int IndexOf(const S& value) const {
    for (int i = 0; i < Count(); ++i)
      if (CompareStrings(Get(i), value) == 0) return i;
    return -1;
  }
  int IndexOfObject(TObject* object) const {
    for (int i = 0; i < Count(); ++i)
      if (GetObject(i) == object) return i;
    return -1;
  }
  void AddStrings(const TBasicStrings& other) {
    BeginUpdate();
    try {
      for (int i = 0; i < other.Count(); ++i) AddObject(other.Get(i), other.GetObject(i));
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
  }
  void Exchange(int index1, int index2) {
    S first = Get(index1);
    TObject* firstObject = GetObject(index1);
    Put(index1, Get(index2));
    PutObject(index1, GetObject(index2));
    Put(index2, first);
    PutObject(index2, firstObject);
  }
  void Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    S value = Get(curIndex);
    TObject* object = GetObject(curIndex);
    Delete(curIndex);
    InsertObject(newIndex, value, object);
  }

  // Name=value pairs.
  S Names(int index) const {
    S line = Get(index);
    auto at = line.find(FNameValueSeparator);
    return at == S::npos || at == 0 ? S() : line.substr(0, at);
  }
  S ValueFromIndex(int index) const {
    S line = Get(index);
    auto at = line.find(FNameValueSeparator);
    return at == S::npos ? S() : line.substr(at + 1);
  }
  int IndexOfName(const S& name) const {
    for (int i = 0; i < Count(); ++i) {
      S line = Get(i);
      auto at = line.find(FNameValueSeparator);
      if (at != S::npos && at != 0 && CompareStrings(line.substr(0, at), name) == 0) return i;
    }
    return -1;
  }
  S Values(const S& name) const {
    int index = IndexOfName(name);
    return index < 0 ? S() : ValueFromIndex(index);
  }
  // An empty value removes the pair.
  void SetValues(const S& name, const S& value) {
    int index = IndexOfName(name);
    if (value.empty()) {
      if (index >= 0) Delete(index);
      return;
    }
    S line = name + S(1, FNameValueSeparator) + value;
    if (index < 0)
      Add(line);
    else
      Put(index, line);
  }
  Char NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(Char value) { FNameValueSeparator = value; }

  // Whole text.
  S Text() const {
    S text;
    for (int i = 0; i < Count(); ++i) {
      text += Get(i);
      text += Char('\n');
    }
    return text;
  }
  void SetText(const S& text) {
    BeginUpdate();
    try {
      Clear();
      size_t start = 0;
      while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && text[end] != Char('\r') && text[end] != Char('\n')) ++end;
        Add(text.substr(start, end - start));
        if (end < text.size() && text[end] == Char('\r')) ++end;
        if (end < text.size() && text[end] == Char('\n')) ++end;
        start = end;
      }
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
  }
  S DelimitedText() const {
    if (Count() == 1 && Get(0).empty()) return S(2, FQuoteChar);
    S text;
    for (int i = 0; i < Count(); ++i) {
      S item = Get(i);
      bool quote = std::any_of(item.begin(), item.end(), [&](Char c) {
        return Unsigned(c) <= ' ' || c == FQuoteChar || c == FDelimiter;
      });
      if (i > 0) text += FDelimiter;
      text += quote ? Quoted(item) : item;
    }
    return text;
  }
  void SetDelimitedText(const S& value) {
    BeginUpdate();
    try {
      Clear();
      size_t p = 0, n = value.size();
      auto blank = [&] { return p < n && Unsigned(value[p]) >= 1 && Unsigned(value[p]) <= ' '; };
      while (blank()) ++p;
      while (p < n) {
        S item;
        if (value[p] == FQuoteChar) {
          ++p;
          while (p < n) {
            if (value[p] == FQuoteChar) {
              if (p + 1 < n && value[p + 1] == FQuoteChar) {
                item += FQuoteChar;
                p += 2;
                continue;
              }
              ++p;
              break;
            }
            item += value[p++];
          }
        } else {
          size_t start = p;
          while (p < n && Unsigned(value[p]) > ' ' && value[p] != FDelimiter) ++p;
          item = value.substr(start, p - start);
        }
        Add(item);
        while (blank()) ++p;
        if (p < n && value[p] == FDelimiter) {
          if (p + 1 == n) Add(S());
          ++p;
          while (blank()) ++p;
        }
      }
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
  }
  S CommaText() const {
    auto* self = const_cast<TBasicStrings*>(this);
    Char delimiter = FDelimiter, quote = FQuoteChar;
    self->FDelimiter = Char(',');
    self->FQuoteChar = Char('"');
    S text = DelimitedText();
    self->FDelimiter = delimiter;
    self->FQuoteChar = quote;
    return text;
  }
  void SetCommaText(const S& value) {
    Char delimiter = FDelimiter, quote = FQuoteChar;
    FDelimiter = Char(',');
    FQuoteChar = Char('"');
    try {
      SetDelimitedText(value);
    } catch (...) {
      FDelimiter = delimiter;
      FQuoteChar = quote;
      throw;
    }
    FDelimiter = delimiter;
    FQuoteChar = quote;
  }
  Char Delimiter() const { return FDelimiter; }
  void SetDelimiter(Char value) { FDelimiter = value; }
  Char QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(Char value) { FQuoteChar = value; }

  // Files and streams: AnsiString lists read and write UTF-8 (a UTF-8 byte-order mark is
  // skipped); wide lists read UTF-16 with a byte-order mark or UTF-8, and write UTF-16 LE
  // with a byte-order mark.
  void LoadFromStream(TStream& stream) {
    S text;
    vcl::detail::LoadText(stream, text);
    SetText(text);
  }
  void SaveToStream(TStream& stream) const { vcl::detail::SaveText(stream, Text()); }
  void LoadFromFile(const AnsiString& fileName) {
    S text;
    vcl::detail::LoadTextFile(fileName, text);
    SetText(text);
  }
  void SaveToFile(const AnsiString& fileName) const { vcl::detail::SaveTextFile(fileName, Text()); }

  void BeginUpdate() {
    if (FUpdateCount++ == 0) SetUpdateState(true);
  }
  void EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
  }
  int UpdateCount() const { return FUpdateCount; }

  void Assign(TPersistent* source) override {
    if (auto* other = dynamic_cast<TBasicStrings*>(source)) {
      BeginUpdate();
      try {
        Clear();
        FNameValueSeparator = other->FNameValueSeparator;
        FDelimiter = other->FDelimiter;
        FQuoteChar = other->FQuoteChar;
        AddStrings(*other);
      } catch (...) {
        EndUpdate();
        throw;
      }
      EndUpdate();
      return;
    }
    TPersistent::Assign(source);
  }

 protected:
  virtual int CompareStrings(const S& a, const S& b) const {
    return vcl::detail::CompareStrings(a, b, false);
  }
  virtual void SetUpdateState(bool) {}
  static unsigned Unsigned(Char c) {
    return static_cast<unsigned>(static_cast<std::make_unsigned_t<Char>>(c));
  }
  S Quoted(const S& item) const {
    S out(1, FQuoteChar);
    for (Char c : item) {
      out += c;
      if (c == FQuoteChar) out += c;
    }
    out += FQuoteChar;
    return out;
  }

  int FUpdateCount = 0;
  Char FNameValueSeparator = Char('=');
  Char FDelimiter = Char(',');
  Char FQuoteChar = Char('"');
};

template <class Base> class TBasicStringList : public Base {
 public:
  using S = std::decay_t<decltype(std::declval<Base>().Get(0))>;

  ~TBasicStringList() override { FOnChange = nullptr, FOnChanging = nullptr; }

  int Count() const override { return static_cast<int>(FList.size()); }
  S Get(int index) const override { return FList[Check(index)].text; }
  TObject* GetObject(int index) const override { return FList[Check(index)].object; }
  void Put(int index, const S& value) override {
    if (FSorted) throw EStringListError("Operation not allowed on sorted list");
    Check(index);
    Changing();
    FList[index].text = value;
    Changed();
  }
  void PutObject(int index, TObject* object) override {
    Check(index);
    Changing();
    FList[index].object = object;
    Changed();
  }
  int Add(const S& value) override {
    int index = Count();
    if (FSorted) {
      if (Find(value, index)) {
        if (FDuplicates == dupIgnore) return index;
        if (FDuplicates == dupError)
          throw EStringListError("String list does not allow duplicates");
      }
    }
    InsertItem(index, value);
    return index;
  }
  void Insert(int index, const S& value) override {
    if (FSorted) throw EStringListError("Operation not allowed on sorted list");
    if (index < 0 || index > Count())
      throw EStringListError::CreateFmt("List index out of bounds (%d)", {index});
    InsertItem(index, value);
  }
  void Delete(int index) override {
    Check(index);
    Changing();
    FList.erase(FList.begin() + index);
    Changed();
  }
  void Clear() override {
    if (FList.empty()) return;
    Changing();
    FList.clear();
    Changed();
  }
  int IndexOf(const S& value) const override {
    if (!FSorted) return Base::IndexOf(value);
    int index;
    return Find(value, index) ? index : -1;
  }
  // Binary search of a sorted list: True when found; index is where it is or would go
  // (before the first equal string).
  bool Find(const S& value, int& index) const {
    int low = 0, high = Count() - 1;
    bool found = false;
    while (low <= high) {
      int middle = low + (high - low) / 2;
      int c = CompareStrings(FList[middle].text, value);
      if (c < 0) {
        low = middle + 1;
      } else {
        high = middle - 1;
        if (c == 0) {
          found = true;
          if (FDuplicates != dupAccept) low = middle;
        }
      }
    }
    index = low;
    return found;
  }
  void Sort() {
    if (FSorted) return;
    Changing();
    std::stable_sort(FList.begin(), FList.end(), [this](const Item& a, const Item& b) {
      return CompareStrings(a.text, b.text) < 0;
    });
    Changed();
  }
  bool Sorted() const { return FSorted; }
  void SetSorted(bool value) {
    if (value == FSorted) return;
    if (value) Sort();
    FSorted = value;
  }
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates value) { FDuplicates = value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool value) {
    if (value == FCaseSensitive) return;
    FCaseSensitive = value;
    if (FSorted) {
      FSorted = false;
      SetSorted(true);
    }
  }

  TNotifyEvent FOnChange;
  TNotifyEvent FOnChanging;
  void SetOnChange(TNotifyEvent event) { FOnChange = std::move(event); }
  void SetOnChanging(TNotifyEvent event) { FOnChanging = std::move(event); }

 protected:
  int CompareStrings(const S& a, const S& b) const override {
    return vcl::detail::CompareStrings(a, b, FCaseSensitive);
  }
  void SetUpdateState(bool updating) override {
    if (updating)
      Changing(true);
    else
      Changed(true);
  }
  void Changing(bool force = false) {
    if ((force || this->FUpdateCount == 0) && FOnChanging) FOnChanging(this);
  }
  void Changed(bool force = false) {
    if ((force || this->FUpdateCount == 0) && FOnChange) FOnChange(this);
  }

 private:
  struct Item {
    S text;
    TObject* object = nullptr;
  };
  int Check(int index) const {
    if (index < 0 || index >= Count())
      throw EStringListError::CreateFmt("List index out of bounds (%d)", {index});
    return index;
  }
  void InsertItem(int index, const S& value) {
    Changing();
    FList.insert(FList.begin() + index, Item{value, nullptr});
    Changed();
  }

  std::vector<Item> FList;
  bool FSorted = false;
  TDuplicates FDuplicates = dupIgnore;
  bool FCaseSensitive = false;
};

class TStrings : public TBasicStrings<AnsiString> {
  BRANTWELL_CLASS(TStrings, TPersistent)
 protected:
  void DefineProperties(TFiler* filer) override;
};

class TStringList : public TBasicStringList<TStrings> {
  BRANTWELL_CLASS(TStringList, TStrings)
 public:
  TStringList() = default;
};

class TWideStrings : public TBasicStrings<WideString> {
  BRANTWELL_CLASS(TWideStrings, TPersistent)
 protected:
  void DefineProperties(TFiler* filer) override;
};

class TWideStringList : public TBasicStringList<TWideStrings> {
  BRANTWELL_CLASS(TWideStringList, TWideStrings)
 public:
  TWideStringList() = default;
};
