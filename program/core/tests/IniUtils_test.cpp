#include "program/core/IniUtils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestFolder.h"
#include "program/core/Config.h"
#include "rtl/DateTime.h"
#include "rtl/Exceptions.h"
#include "rtl/FormatSettings.h"
#include "rtl/Strings.h"
#include "vcl/StringList.h"

namespace {

class IniUtilsTest : public ::testing::Test {
 protected:
  TestFolder m_folder;
  WideString m_file = m_folder.WPath("settings.ini");
};

TEST_F(IniUtilsTest, IntegersReadInDecimalAndHexadecimal) {
  m_folder.Write("settings.ini",
                 "[N]\nhex=0x1F\nbare=0x\ndollar=$1F\njunk=12abc\nneg=-42\nempty=\nupper=0X10\n");
  struct Case {
    std::u16string key;
    int expected;
  } cases[] = {{u"hex", 31}, {u"bare", -7},  {u"dollar", 31}, {u"junk", -7},
               {u"neg", -42}, {u"empty", -7}, {u"upper", 16},  {u"missing", -7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::Utf16ToUtf8(c.key));
    EXPECT_EQ(IniReadInteger(m_file, u"N", c.key, -7), c.expected);
  }
  EXPECT_EQ(IniReadInteger(m_folder.WPath("none.ini"), u"N", u"hex", 5), 5);
}

TEST_F(IniUtilsTest, FloatsFollowTheLocaleAndFallBack) {
  const char separator = FormatSettings.DecimalSeparator;
  m_folder.Write("settings.ini", std::string("[F]\nrate=29") + separator + "97\ntext=fast\nempty=\n");
  EXPECT_DOUBLE_EQ(IniReadFloat(m_file, u"F", u"rate", 0), 29.97);
  EXPECT_DOUBLE_EQ(IniReadFloat(m_file, u"F", u"text", 1.5), 1.5);
  EXPECT_DOUBLE_EQ(IniReadFloat(m_file, u"F", u"empty", 2.5), 2.5);
  EXPECT_DOUBLE_EQ(IniReadFloat(m_file, u"F", u"missing", 3.5), 3.5);
}

TEST_F(IniUtilsTest, WritesAndReadsBack) {
  IniWriteString(m_file, u"System", u"SkinPath", u"/home/u/Skins/Blue Ä");
  EXPECT_EQ(IniReadString(m_file, u"system", u"SKINPATH", u"x"), u"/home/u/Skins/Blue Ä");
  EXPECT_EQ(IniReadString(m_file, u"System", u"missing", u"dflt"), u"dflt");
  IniWriteBool(m_file, u"System", u"Flag", true);
  EXPECT_EQ(IniReadString(m_file, u"System", u"Flag", u""), u"1");
  EXPECT_EQ(IniReadInteger(m_file, u"System", u"Flag", 0), 1);
  IniWriteBool(m_file, u"System", u"Flag", false);
  EXPECT_EQ(IniReadInteger(m_file, u"System", u"Flag", 7), 0);

  const TDateTime midnight = EncodeDate(2020, 2, 29);
  IniWriteDateTime(m_file, u"System", u"When", midnight);
  EXPECT_EQ(IniReadString(m_file, u"System", u"When", u""), UTF8ToWide(DateTimeToStr(midnight)));
  EXPECT_EQ(IniReadString(m_file, u"System", u"When", u""), UTF8ToWide(DateToStr(midnight)));

  EXPECT_NE(IniWriteAnsiString(m_folder.Path("settings.ini"), "A", "k", "v"), 0);
  EXPECT_EQ(IniReadAnsiString(m_folder.Path("settings.ini"), "A", "k", ""), "v");
  EXPECT_EQ(IniReadStringA(m_folder.Path("settings.ini"), "A", "none", "d"), "d");
}

TEST_F(IniUtilsTest, LongValuesAndKeyListsAreNeverCut) {
  std::u16string longValue;
  for (int i = 0; i < 10000; ++i) longValue += static_cast<char16_t>(u'a' + i % 26);
  IniWriteString(m_file, u"Big", u"Value", longValue);
  EXPECT_EQ(IniReadString(m_file, u"Big", u"Value", u""), longValue);
  const std::string ansi = platform::Utf16ToUtf8(longValue);
  EXPECT_EQ(IniReadAnsiString(m_folder.Path("settings.ini"), "Big", "Value", ""), ansi);

  std::string content = "[Many]\n";
  for (int i = 0; i < 3000; ++i) content += "SomeRatherLongKeyName" + std::to_string(i) + "=v\n";
  m_folder.Write("many.ini", content);
  const std::vector<AnsiString> keys = IniReadSectionKeys(m_folder.WPath("many.ini"), u"Many");
  ASSERT_EQ(keys.size(), 3000u);
  EXPECT_EQ(keys.front(), "SomeRatherLongKeyName0");
  EXPECT_EQ(keys.back(), "SomeRatherLongKeyName2999");
  EXPECT_EQ(IniReadSectionKeysA(m_folder.Path("many.ini"), "Many").size(), 3000u);
  EXPECT_TRUE(IniValueExists(m_folder.WPath("many.ini"), u"Many", u"somerATHERlongkeyname2999"));
}

TEST_F(IniUtilsTest, SectionsKeysAndErasing) {
  m_folder.Write("settings.ini", "[S]\nAlpha=1\nbeta=2\n[Empty]\n");
  EXPECT_TRUE(IniValueExists(m_file, u"S", u"ALPHA"));
  EXPECT_TRUE(IniValueExists(m_file, u"s", u"Beta"));
  EXPECT_FALSE(IniValueExists(m_file, u"S", u"gamma"));
  EXPECT_TRUE(IniReadSectionKeys(m_file, u"Empty").empty());
  EXPECT_TRUE(IniReadSectionKeys(m_file, u"Missing").empty());
  EXPECT_TRUE(IniReadSectionKeys(m_folder.WPath("none.ini"), u"S").empty());
  IniEraseSection(m_file, u"S");
  EXPECT_FALSE(IniValueExists(m_file, u"S", u"Alpha"));
  IniFlush(m_file);  // nothing cached; must not disturb the file
  EXPECT_EQ(IniReadSectionKeys(m_file, u"Empty").size(), 0u);
}

TEST_F(IniUtilsTest, SectionIntoStringListReplacesItsContent) {
  m_folder.Write("settings.ini", "[S]\nAlpha=1\nbeta=2\n[Empty]\n");
  TStringList list;
  int changes = 0;
  list.SetOnChange([&](TObject*) { ++changes; });
  list.Add("stale");
  changes = 0;
  IniReadSection(m_file, u"S", list);
  EXPECT_EQ(list.Text(), "Alpha\nbeta\n");
  EXPECT_EQ(changes, 1);  // one update, not one change per key
  IniReadSectionA(m_folder.Path("settings.ini"), "S", list);
  EXPECT_EQ(list.Count(), 2);
  for (const char* section : {"Empty", "Missing"}) {
    IniReadSection(m_file, platform::Utf8ToUtf16(section), list);
    EXPECT_EQ(list.Count(), 0) << section;
    list.Add("stale");
    IniReadSectionA(m_folder.Path("settings.ini"), section, list);
    EXPECT_EQ(list.Count(), 0) << section;
  }
}

TEST_F(IniUtilsTest, WriteFailuresRaiseWithTheFileName) {
  const WideString unreachable = m_folder.WPath("no/such/folder/x.ini");
  try {
    IniWriteString(unreachable, u"S", u"k", u"v");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + m_folder.Path("no/such/folder/x.ini"));
  }
  EXPECT_THROW(IniWriteBool(unreachable, u"S", u"k", true), Exception);
  EXPECT_THROW(IniWriteAnsiString(m_folder.Path("no/such/x.ini"), "S", "k", "v"), Exception);
  m_folder.Write("readonly.ini", "[S]\nk=v\n");
  chmod(m_folder.Path("readonly.ini").c_str(), 0444);
  if (geteuid() != 0) {
    EXPECT_THROW(IniEraseSection(m_folder.WPath("readonly.ini"), u"S"), Exception);
    EXPECT_THROW(IniWriteString(m_folder.WPath("readonly.ini"), u"S", u"k", u"w"), Exception);
    EXPECT_EQ(m_folder.Read("readonly.ini"), "[S]\nk=v\n");
  }
  m_folder.Write("settings.ini", "[S]\nk=v\n");
  // A value with a line break would add lines to the file: refused, the file unchanged.
  EXPECT_THROW(IniWriteString(m_file, u"S", u"k", u"a\nb=c"), Exception);
  EXPECT_EQ(m_folder.Read("settings.ini"), "[S]\nk=v\n");
}

TEST_F(IniUtilsTest, ConfigForwardsToItsFile) {
  TConfig config;
  config.Create(m_file, u"Default");
  EXPECT_EQ(config.Section, u"Default");
  config.WriteString(u"System", u"Name", u"Brantwell");
  config.WriteStringA("System", "Path", "/tmp/x");
  config.WriteBool(u"System", u"On", true);
  config.WriteDateTime(u"System", u"At", EncodeDate(2001, 1, 1));
  TConfig copy = config;  // a value record
  EXPECT_EQ(copy.ReadString(u"System", u"Name", u""), u"Brantwell");
  EXPECT_EQ(copy.ReadStringA("System", "Path", ""), "/tmp/x");
  EXPECT_EQ(copy.ReadAnsiString("System", "Path", ""), "/tmp/x");
  EXPECT_EQ(copy.ReadInteger(u"System", u"On", 0), 1);
  EXPECT_DOUBLE_EQ(copy.ReadFloat(u"System", u"Missing", 0.5), 0.5);
  EXPECT_TRUE(copy.ValueExists(u"System", u"name"));
  copy.EraseSection(u"System");
  EXPECT_FALSE(config.ValueExists(u"System", u"Name"));
  config.Close();

  TConfig unnamed;
  unnamed.Flush();  // no file name: nothing happens
  EXPECT_TRUE(unnamed.FileName.empty());
}

}  // namespace
