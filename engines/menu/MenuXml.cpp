#include "engines/menu/MenuXml.h"

namespace engines::menu {

std::u16string WriteMenuXml(const MenuDocument& /*document*/) { return u"<menu version=\"1\"/>"; }

bool ReadMenuXml(std::u16string_view /*xml*/, MenuDocument& /*document*/, std::string& error) {
  error = "menu XML is not read yet";
  return false;
}

}  // namespace engines::menu
