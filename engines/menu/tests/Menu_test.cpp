#include "engines/menu/Menu.h"

#include <gtest/gtest.h>

namespace {

using namespace engines::menu;

class FakeTitles : public TitleSource {
 public:
  explicit FakeTitles(int count) : count(count) {}
  int Count() const override { return count; }
  TitleThumbnail Title(int index) const override { return {ThumbnailPath(index), 0, 0, {}}; }
  std::u16string ThumbnailPath(int index) const override { return u"/thumb" + std::u16string(1, u'0' + index % 10); }
  int count;
};

TEST(Menu, PagesFollowTitles) {
  const auto menu = Menu::Create();
  const auto titles = std::make_shared<FakeTitles>(0);
  menu->SetTitleSource(titles);
  for (const auto& [count, pages] : std::vector<std::pair<int, int>>{{1, 1}, {4, 1}, {5, 2}, {0, 1}}) {
    titles->count = count;
    menu->SyncToTitles();
    EXPECT_EQ(menu->PageCount(), pages) << count << " titles";
  }
}

}  // namespace
