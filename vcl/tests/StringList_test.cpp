#include "vcl/StringList.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

TEST(StringList, NameValuePairs) {
  TStringList list;
  list.SetText("a=1\r\nB=2\nplain\r=x\n");
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Values("b"), "2");
  EXPECT_EQ(list.Names(2), "");
  EXPECT_EQ(list.Names(3), "");  // "=x" has no name
  EXPECT_EQ(list.ValueFromIndex(3), "x");
  list.SetValues("c", "3");
  list.SetValues("a", "");
  EXPECT_EQ(list.Text(), "B=2\nplain\n=x\nc=3\n");
  list.SetNameValueSeparator(':');
  list.SetText("k:v");
  EXPECT_EQ(list.Values("K"), "v");
}

TEST(StringList, DelimitedTextRoundTrips) {
  struct Case { const char* text; std::vector<AnsiString> items; const char* back; };
  const Case cases[] = {
      {"a,b,c", {"a", "b", "c"}, "a,b,c"},
      {"\"a b\",c", {"a b", "c"}, "\"a b\",c"},
      {"a b", {"a", "b"}, "a,b"},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {"a,", {"a", ""}, "a,"},
      {"\"\"", {""}, "\"\""},
  };
  for (const auto& c : cases) {
    TStringList list;
    list.SetCommaText(c.text);
    std::vector<AnsiString> items;
    for (int i = 0; i < list.Count(); ++i) items.push_back(list[i]);
    EXPECT_EQ(items, c.items) << c.text;
    EXPECT_EQ(list.CommaText(), c.back) << c.text;
  }
  TStringList list;
  list.SetDelimiter(';');
  list.SetQuoteChar('\'');
  list.SetDelimitedText("x;'y;z'");
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list[1], "y;z");
}

TEST(StringList, SortedListsAndDuplicates) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"pear", "Apple", "fig"}) list.Add(s);
  EXPECT_EQ(list.CommaText(), "Apple,fig,pear");
  EXPECT_EQ(list.Add("APPLE"), 0);  // dupIgnore, case ignored
  EXPECT_EQ(list.Count(), 3);
  list.SetDuplicates(dupError);
  try {
    list.Add("fig");
    ADD_FAILURE();
  } catch (const EStringListError& e) {
    EXPECT_STREQ(e.what(), "String list does not allow duplicates");
  }
  list.SetCaseSensitive(true);
  list.Add("apple");
  EXPECT_EQ(list.IndexOf("apple"), 1);
  EXPECT_THROW(list.Insert(0, "x"), EStringListError);
  list.SetDuplicates(dupAccept);
  list.Add("fig");
  EXPECT_EQ(list.Count(), 5);
  EXPECT_THROW(list.Get(5), EStringListError);
}

TEST(StringList, ChangeEventsOncePerUpdate) {
  TStringList list;
  int changing = 0, changed = 0;
  list.SetOnChanging([&](TObject*) { ++changing; });
  list.SetOnChange([&](TObject*) { ++changed; });
  list.Add("a");
  EXPECT_EQ(changed, 1);
  list.BeginUpdate();
  list.Add("b");
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(changing, 2);
  EXPECT_EQ(changed, 2);
  TObject tag;
  list.SetObjects(0, &tag);
  EXPECT_EQ(list.IndexOfObject(&tag), 0);
}

TEST(StringList, FilesKeepTheTextWhole) {
  AnsiString path = AnsiString(BRANTWELL_TEST_BIN_DIR) + "/stringlist_test.txt";
  struct RemoveFile {
    const AnsiString& path;
    ~RemoveFile() { std::remove(path.c_str()); }
  } removeFile{path};
  TStringList list;
  list.SetText("caf\xc3\xa9\nline two\n");
  list.SaveToFile(path);
  TStringList back;
  back.LoadFromFile(path);
  EXPECT_EQ(back.Text(), list.Text());
  TWideStringList wide;
  wide.LoadFromFile(path);
  EXPECT_EQ(wide[0], u"caf\u00e9");
  wide.SaveToFile(path);
  TWideStringList wideBack;
  wideBack.LoadFromFile(path);
  EXPECT_EQ(wideBack.Text(), wide.Text());
  TStringList assigned;
  assigned.Assign(&list);
  EXPECT_EQ(assigned.Text(), list.Text());
  EXPECT_THROW(list.LoadFromFile(path + ".missing"), EStreamError);
}

}  // namespace
