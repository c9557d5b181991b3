#include "engines/common/EngineHandles.h"

#include <gtest/gtest.h>

namespace {

struct Decoder : engines::EngineObject {};
struct Encoder : engines::EngineObject {};

TEST(EngineHandles, LookupChecksKindAndStaleness) {
  const auto handle = engines::RegisterObject(std::make_shared<Decoder>());
  ASSERT_NE(handle, 0u);
  EXPECT_NE(engines::Lookup<Decoder>(handle), nullptr);
  EXPECT_EQ(engines::Lookup<Encoder>(handle), nullptr);
  EXPECT_NE(engines::UnregisterObject(handle), nullptr);
  EXPECT_EQ(engines::Lookup<Decoder>(handle), nullptr);
  EXPECT_EQ(engines::UnregisterObject(handle), nullptr);
  EXPECT_EQ(engines::RegisterObject(nullptr), 0u);
}

TEST(EngineHandles, CopyTextCutsToCapacity) {
  const struct {
    int capacity;
    std::u16string expected;
  } cases[] = {{10, u"Title"}, {6, u"Title"}, {5, u"Titl"}, {1, u""}};
  for (const auto& c : cases) {
    char16_t buffer[10] = {u'x', u'x', u'x', u'x', u'x', u'x', u'x', u'x', u'x', u'x'};
    EXPECT_EQ(engines::CopyText(u"Title", buffer, c.capacity), 5);
    EXPECT_EQ(std::u16string(buffer), c.expected);
  }
  EXPECT_EQ(engines::CopyText(u"Title", nullptr, 0), 5);

  // A character outside the basic plane is kept whole or left out whole.
  const std::u16string clef = u"a\U0001D11Eb";
  const struct {
    int capacity;
    std::u16string expected;
  } pairs[] = {{3, u"a"}, {4, u"a\U0001D11E"}, {2, u"a"}};
  for (const auto& c : pairs) {
    char16_t buffer[8] = {};
    EXPECT_EQ(engines::CopyText(clef, buffer, c.capacity), 4);
    EXPECT_EQ(std::u16string(buffer), c.expected) << c.capacity;
  }
  EXPECT_EQ(engines::ReadText(nullptr), u"");
}

}  // namespace
