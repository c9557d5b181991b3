#include "platform/shell/PathApi.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PathApi, NextComponent) {
  struct Case {
    const char16_t* path;
    const char16_t* next;  // null: no component
  } cases[] = {{u"/a/b", u"a/b"}, {u"a/b", u"b"}, {u"C:\\dir\\file", u"dir\\file"}, {u"name", u""},
               {u"/", u""},       {u"", nullptr}, {nullptr, nullptr}};
  for (const Case& c : cases) {
    const char16_t* next = PathFindNextComponentW(c.path);
    if (!c.next) {
      EXPECT_EQ(next, nullptr);
    } else {
      ASSERT_NE(next, nullptr);
      EXPECT_EQ(std::u16string(next), c.next);
    }
  }
  const char* narrow = "/x/y";
  EXPECT_EQ(PathFindNextComponentA(narrow), narrow + 1);
}

}  // namespace
