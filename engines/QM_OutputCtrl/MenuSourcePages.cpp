#include "engines/QM_OutputCtrl/MenuSourcePages.h"

namespace outputctrl {
namespace {

// A picture of the page's size, or an empty one for an absent overlay; false when the pixels
// do not fill the page exactly (a source that rendered at another size).
bool TakePicture(std::vector<uint8_t>& pixels, const engines::MenuFormat& format, bool required, Picture& picture) {
  const size_t expected = static_cast<size_t>(format.width) * format.height * 4;
  if (pixels.empty() && !required) return true;
  if (pixels.size() != expected) return false;
  picture.width = format.width;
  picture.height = format.height;
  picture.bgra = std::move(pixels);
  return true;
}

}  // namespace

std::string PagesFromSource(engines::MenuSource& source, const engines::MenuFormat& format,
                            std::vector<MenuPage>& pages) {
  std::vector<engines::MenuPagePictures> rendered;
  std::string error;
  if (!source.Describe(format, rendered, error))
    return "the menu could not be made: " + (error.empty() ? std::string("no reason given") : error);
  if (rendered.empty()) return "the menu has no page";
  const std::string size = std::to_string(format.width) + "x" + std::to_string(format.height);
  pages.clear();
  for (size_t p = 0; p < rendered.size(); ++p) {
    engines::MenuPagePictures& from = rendered[p];
    const std::string name = "menu page " + std::to_string(p + 1);
    MenuPage page;
    if (!TakePicture(from.background, format, true, page.background))
      return name + "'s background was not rendered at the disc's " + size;
    if (!TakePicture(from.highlight, format, false, page.highlight))
      return name + "'s highlight overlay was not rendered at the disc's " + size;
    if (!TakePicture(from.select, format, false, page.select))
      return name + "'s select overlay was not rendered at the disc's " + size;
    page.audioFile = std::move(from.audioFile);
    for (const engines::MenuButtonInfo& button : from.buttons)
      page.buttons.push_back(OCMenuButton{button.left, button.top, button.right, button.bottom,
                                          static_cast<int32_t>(button.action), button.target});
    pages.push_back(std::move(page));
  }
  return {};
}

}  // namespace outputctrl
