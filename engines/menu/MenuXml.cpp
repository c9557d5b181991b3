#include "engines/menu/MenuXml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include <charconv>
#include <cstdio>
#include <memory>

#include "platform/kernel/Unicode.h"

namespace engines::menu {

namespace {

// The document format's version; a newer one is refused rather than half read.
constexpr int kVersion = 1;

// libxml2 wants its parser set up once before threads use it.
void InitLibxml() {
  static const bool done = [] {
    xmlInitParser();
    return true;
  }();
  (void)done;
}

struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

const xmlChar* X(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

std::string Utf8(const std::u16string& text) { return platform::Utf16ToUtf8(text); }

std::string RectText(const Rect& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
         std::to_string(rect.bottom);
}

std::string ColourText(uint32_t colorref) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
  return text;
}

xmlNode* Child(xmlNode* parent, const char* name) { return xmlNewChild(parent, nullptr, X(name), nullptr); }

void Set(xmlNode* node, const char* name, const std::string& value) { xmlNewProp(node, X(name), X(value.c_str())); }
// Characters XML 1.0 cannot carry (control characters other than tab and line breaks) are
// left out, so that the menu can always read back what it wrote.
void Set(xmlNode* node, const char* name, const std::u16string& value) {
  std::u16string clean;
  clean.reserve(value.size());
  for (const char16_t c : value)
    if ((c >= 0x20 || c == u'\t' || c == u'\n' || c == u'\r') && c != 0xFFFE && c != 0xFFFF) clean += c;
  Set(node, name, Utf8(clean));
}
void Set(xmlNode* node, const char* name, int value) { Set(node, name, std::to_string(value)); }

const char* const kButtonNames[kPageButtonCount] = {"previous", "play", "next"};

void WriteTemplate(xmlNode* parent, const MenuTemplate& t) {
  xmlNode* node = Child(parent, "template");
  Set(node, "folder", t.folder);
  Set(node, "name", t.name);
  Set(node, "category", t.category);
  Set(node, "preview", t.preview);
  Set(node, "background", t.background);
  Set(node, "frame", t.frame);
  Set(node, "frame_window", RectText(t.frameWindow));
  Set(node, "heading", t.heading);
  Set(node, "heading_rect", RectText(t.headingRect));
  Set(node, "heading_font", t.headingFont);
  Set(node, "heading_size", t.headingSize);
  Set(node, "heading_color", ColourText(t.headingColor));
  Set(node, "title_font", t.titleFont);
  Set(node, "title_size", t.titleSize);
  Set(node, "title_color", ColourText(t.titleColor));
  Set(node, "highlight_color", ColourText(t.highlightColor));
  Set(node, "select_color", ColourText(t.selectColor));
  for (const Rect& slot : t.slots) Set(Child(node, "slot"), "rect", RectText(slot));
  for (int i = 0; i < kPageButtonCount; ++i) {
    xmlNode* button = Child(node, "button");
    Set(button, "kind", kButtonNames[i]);
    Set(button, "path", t.buttons[static_cast<size_t>(i)]);
    Set(button, "rect", RectText(t.buttonRects[static_cast<size_t>(i)]));
  }
}

void WritePage(xmlNode* parent, const PageContent& page) {
  xmlNode* node = Child(parent, "page");
  WriteTemplate(node, page.layout);
  Set(Child(node, "background"), "path", page.background);
  Set(Child(node, "audio"), "path", page.audio);
  Set(Child(node, "frame"), "path", page.frame);
  for (const auto& [title, path] : page.titleFrames) {
    xmlNode* frame = Child(node, "title_frame");
    Set(frame, "title", title);
    Set(frame, "path", path);
  }
  for (const Rect& slot : page.slots) Set(Child(node, "slot"), "rect", RectText(slot));
  for (int i = 0; i < kPageButtonCount; ++i) {
    xmlNode* button = Child(node, "button");
    Set(button, "kind", kButtonNames[i]);
    Set(button, "path", page.buttons[static_cast<size_t>(i)]);
    Set(button, "rect", RectText(page.buttonRects[static_cast<size_t>(i)]));
  }
  for (const TextItem& item : page.texts) {
    xmlNode* text = Child(node, "text");
    Set(text, "text", item.text);
    Set(text, "font", item.font);
    Set(text, "size", item.size);
    Set(text, "color", ColourText(item.color));
    Set(text, "style", static_cast<int>(item.style));
    Set(text, "rect", RectText(item.box));
  }
}

// Reading: every problem throws this, naming what is wrong.
struct Damaged {
  std::string what;
};

bool Is(const xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, X(name)) == 0;
}

std::string Attribute(xmlNode* node, const char* name, bool required = true) {
  xmlChar* value = xmlGetProp(node, X(name));
  if (!value) {
    if (required)
      throw Damaged{std::string("<") + reinterpret_cast<const char*>(node->name) + "> has no " + name +
                    " (line " + std::to_string(xmlGetLineNo(node)) + ")"};
    return {};
  }
  std::string text = reinterpret_cast<const char*>(value);
  xmlFree(value);
  return text;
}

std::u16string TextAttribute(xmlNode* node, const char* name, bool required = true) {
  return platform::Utf8ToUtf16(Attribute(node, name, required));
}

// Item texts and font names hold at most 255 units; a longer one is cut (not between the two
// halves of a surrogate pair).
std::u16string Limited(std::u16string text) {
  if (text.size() > static_cast<size_t>(kTextUnitsMax)) {
    text.resize(static_cast<size_t>(kTextUnitsMax));
    if (text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
  }
  return text;
}

int IntAttribute(xmlNode* node, const char* name, int low, int high) {
  const std::string text = Attribute(node, name);
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
    throw Damaged{std::string(name) + "=\"" + text + "\" is not a number from " + std::to_string(low) + " to " +
                  std::to_string(high) + " (line " + std::to_string(xmlGetLineNo(node)) + ")"};
  return value;
}

Rect RectAttribute(xmlNode* node, const char* name, bool allowEmpty = false) {
  const std::string text = Attribute(node, name);
  int values[4] = {};
  const char* at = text.data();
  const char* end = text.data() + text.size();
  bool good = true;
  for (int i = 0; i < 4 && good; ++i) {
    const auto result = std::from_chars(at, end, values[i]);
    good = result.ec == std::errc() && values[i] >= -10000 && values[i] <= 10000;
    at = result.ptr;
    if (i < 3) good = good && at != end && *at++ == ',';
  }
  const Rect rect{values[0], values[1], values[2], values[3]};
  if (!good || at != end || (!allowEmpty && rect.Empty()) || rect.right < rect.left || rect.bottom < rect.top)
    throw Damaged{std::string(name) + "=\"" + text + "\" is not a rectangle (line " +
                  std::to_string(xmlGetLineNo(node)) + ")"};
  return rect;
}

uint32_t ColourAttribute(xmlNode* node, const char* name) {
  const std::string text = Attribute(node, name);
  uint32_t colorref = 0;
  if (!ParseColour(text, colorref))
    throw Damaged{std::string(name) + "=\"" + text + "\" is not a colour (line " + std::to_string(xmlGetLineNo(node)) +
                  ")"};
  return colorref;
}

int ButtonIndex(xmlNode* node) {
  const std::string kind = Attribute(node, "kind");
  for (int i = 0; i < kPageButtonCount; ++i)
    if (kind == kButtonNames[i]) return i;
  throw Damaged{"unknown button kind \"" + kind + "\""};
}

MenuTemplate ReadTemplate(xmlNode* node) {
  MenuTemplate t;
  t.folder = TextAttribute(node, "folder");
  t.name = TextAttribute(node, "name");
  t.category = TextAttribute(node, "category");
  t.preview = TextAttribute(node, "preview");
  t.background = TextAttribute(node, "background");
  t.frame = TextAttribute(node, "frame");
  t.frameWindow = RectAttribute(node, "frame_window", true);
  t.heading = Limited(TextAttribute(node, "heading"));
  t.headingRect = RectAttribute(node, "heading_rect", true);
  t.headingFont = Limited(TextAttribute(node, "heading_font"));
  t.headingSize = IntAttribute(node, "heading_size", 1, 200);
  t.headingColor = ColourAttribute(node, "heading_color");
  t.titleFont = Limited(TextAttribute(node, "title_font"));
  t.titleSize = IntAttribute(node, "title_size", 1, 200);
  t.titleColor = ColourAttribute(node, "title_color");
  t.highlightColor = ColourAttribute(node, "highlight_color");
  t.selectColor = ColourAttribute(node, "select_color");
  for (xmlNode* child = node->children; child; child = child->next) {
    if (Is(child, "slot")) {
      t.slots.push_back(RectAttribute(child, "rect"));
    } else if (Is(child, "button")) {
      const int i = ButtonIndex(child);
      t.buttons[static_cast<size_t>(i)] = TextAttribute(child, "path");
      t.buttonRects[static_cast<size_t>(i)] = RectAttribute(child, "rect", true);
    }
  }
  if (t.slots.empty() || t.slots.size() > static_cast<size_t>(kMaxSlots))
    throw Damaged{"a page's template has no slots or too many"};
  return t;
}

PageContent ReadPage(xmlNode* node) {
  PageContent page;
  bool haveTemplate = false;
  for (xmlNode* child = node->children; child; child = child->next) {
    if (Is(child, "template")) {
      page.layout = ReadTemplate(child);
      haveTemplate = true;
    } else if (Is(child, "background")) {
      page.background = TextAttribute(child, "path");
    } else if (Is(child, "audio")) {
      page.audio = TextAttribute(child, "path");
    } else if (Is(child, "frame")) {
      page.frame = TextAttribute(child, "path");
    } else if (Is(child, "title_frame")) {
      page.titleFrames[IntAttribute(child, "title", 0, 1 << 20)] = TextAttribute(child, "path");
    } else if (Is(child, "slot")) {
      page.slots.push_back(RectAttribute(child, "rect", true));
    } else if (Is(child, "button")) {
      const int i = ButtonIndex(child);
      page.buttons[static_cast<size_t>(i)] = TextAttribute(child, "path");
      page.buttonRects[static_cast<size_t>(i)] = RectAttribute(child, "rect", true);
    } else if (Is(child, "text")) {
      TextItem item;
      item.text = Limited(TextAttribute(child, "text"));
      item.font = Limited(TextAttribute(child, "font"));
      item.size = IntAttribute(child, "size", 1, 200);
      item.color = ColourAttribute(child, "color");
      item.style = static_cast<uint32_t>(IntAttribute(child, "style", 0, 15));
      item.box = RectAttribute(child, "rect", true);
      page.texts.push_back(std::move(item));
    }
  }
  if (!haveTemplate) throw Damaged{"a page has no template"};
  if (page.slots.size() != page.layout.slots.size()) throw Damaged{"a page's slots do not match its template"};
  return page;
}

}  // namespace

std::u16string WriteMenuXml(const MenuDocument& document) {
  InitLibxml();
  DocPtr doc(xmlNewDoc(X("1.0")));
  xmlNode* root = xmlNewNode(nullptr, X("menu"));
  xmlDocSetRootElement(doc.get(), root);
  Set(root, "version", kVersion);
  xmlNode* titles = Child(root, "titles");
  for (size_t i = 0; i < document.thumbnails.size(); ++i) {
    xmlNode* title = Child(titles, "title");
    Set(title, "index", static_cast<int>(i));
    Set(title, "thumbnail", document.thumbnails[i]);
  }
  for (const auto& page : document.pages) WritePage(root, page);

  xmlBuffer* buffer = xmlBufferCreate();
  if (!buffer) throw std::bad_alloc();
  std::string text;
  if (xmlSaveCtxt* save = xmlSaveToBuffer(buffer, "UTF-8", XML_SAVE_FORMAT | XML_SAVE_NO_DECL)) {
    xmlSaveDoc(save, doc.get());
    xmlSaveClose(save);
    text.assign(reinterpret_cast<const char*>(xmlBufferContent(buffer)), static_cast<size_t>(xmlBufferLength(buffer)));
  }
  xmlBufferFree(buffer);
  return platform::Utf8ToUtf16(text);
}

bool ReadMenuXml(std::u16string_view xml, MenuDocument& document, std::string& error) {
  const std::string text = platform::Utf16ToUtf8(xml);
  if (text.empty()) {
    error = "the menu XML is empty";
    return false;
  }
  InitLibxml();
  // The text is UTF-8 now whatever its declaration says; no network, no entities from outside.
  DocPtr doc(xmlReadMemory(text.data(), static_cast<int>(text.size()), "menu.xml", "UTF-8",
                           XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!doc) {
    const xmlError* last = xmlGetLastError();
    error = "the menu XML is not well formed";
    if (last && last->message) {
      std::string message = last->message;
      while (!message.empty() && message.back() == '\n') message.pop_back();
      error += ": " + message + " (line " + std::to_string(last->line) + ")";
    }
    return false;
  }
  xmlNode* root = xmlDocGetRootElement(doc.get());
  try {
    // The menu never writes a document type; one in the text can only define entities.
    if (doc->intSubset || doc->extSubset) throw Damaged{"a menu carries no document type"};
    if (!root || !Is(root, "menu")) throw Damaged{"the root element is not <menu>"};
    if (IntAttribute(root, "version", 1, 1000000) > kVersion) throw Damaged{"the menu was written by a newer version"};
    MenuDocument read;
    for (xmlNode* child = root->children; child; child = child->next) {
      if (Is(child, "page")) {
        read.pages.push_back(ReadPage(child));
      } else if (Is(child, "titles")) {
        for (xmlNode* title = child->children; title; title = title->next) {
          if (!Is(title, "title")) continue;
          const int index = IntAttribute(title, "index", 0, 100000);
          if (index != static_cast<int>(read.thumbnails.size())) throw Damaged{"the titles are not in order"};
          read.thumbnails.push_back(TextAttribute(title, "thumbnail"));
        }
      }
    }
    if (read.pages.empty()) throw Damaged{"the menu has no page"};
    document = std::move(read);
    return true;
  } catch (const Damaged& damaged) {
    error = "the menu XML is damaged: " + damaged.what;
    return false;
  }
}

}  // namespace engines::menu
