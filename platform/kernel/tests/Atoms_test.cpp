#include "platform/kernel/Atoms.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/kernel/WinError.h"

namespace {

TEST(Atoms, StringAtomsIgnoreCaseAndAreCounted) {
  const ATOM atom = GlobalAddAtomA("Brantwell.Test.Atom");
  ASSERT_GE(atom, MAXINTATOM);
  EXPECT_EQ(GlobalAddAtomW(u"BRANTWELL.test.ATOM"), atom);
  EXPECT_EQ(GlobalFindAtomA("brantwell.test.atom"), atom);
  char name[64];
  EXPECT_EQ(GlobalGetAtomNameA(atom, name, sizeof name), 19u);
  EXPECT_STREQ(name, "Brantwell.Test.Atom");  // the first spelling is kept

  EXPECT_EQ(GlobalDeleteAtom(atom), 0);
  EXPECT_EQ(GlobalFindAtomA("Brantwell.Test.Atom"), atom);  // one reference left
  EXPECT_EQ(GlobalDeleteAtom(atom), 0);
  SetLastError(0);
  EXPECT_EQ(GlobalFindAtomA("Brantwell.Test.Atom"), 0);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GlobalDeleteAtom(atom), atom);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GlobalGetAtomNameA(atom, name, sizeof name), 0u);
}

TEST(Atoms, IntegerAtoms) {
  struct Case {
    LPCSTR name;
    ATOM atom;
    DWORD error;
  };
  const std::string tooLong(256, 'x');
  const Case cases[] = {
      {"#123", 123, 0},
      {MAKEINTATOM(123), 123, 0},
      {"#49151", 0xBFFF, 0},
      {"#0", 0, ERROR_INVALID_PARAMETER},
      {"#49152", 0, ERROR_INVALID_PARAMETER},
      {MAKEINTATOM(0xC000), 0, ERROR_INVALID_PARAMETER},
      {"", 0, ERROR_INVALID_NAME},
      {tooLong.c_str(), 0, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(GlobalAddAtomA(c.name), c.atom);
    EXPECT_EQ(GetLastError(), c.error);
  }
  char name[16];
  EXPECT_EQ(GlobalGetAtomNameA(123, name, sizeof name), 4u);
  EXPECT_STREQ(name, "#123");
  EXPECT_EQ(GlobalDeleteAtom(123), 0);
}

TEST(Atoms, NamesAreShortenedToTheBufferWithoutSplittingCharacters) {
  const ATOM atom = AddAtomW(u"Grüße");
  ASSERT_NE(atom, 0);
  EXPECT_EQ(GlobalFindAtomW(u"GRÜSSE"), 0);  // the local table is its own
  EXPECT_EQ(FindAtomA("GRÜßE"), atom);
  char narrow[4];
  EXPECT_EQ(GetAtomNameA(atom, narrow, sizeof narrow), 2u);  // "ü" needs two bytes
  EXPECT_STREQ(narrow, "Gr");
  WCHAR wide[4];
  EXPECT_EQ(GetAtomNameW(atom, wide, 4), 3u);
  EXPECT_EQ(std::u16string(wide), u"Grü");
  EXPECT_EQ(DeleteAtom(atom), 0);
}

}  // namespace
