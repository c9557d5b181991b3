#include "engines/QM_OutputCtrl/AuthoringPlan.h"

#include <cmath>
#include <cstdio>
#include <set>
#include <tuple>

namespace outputctrl {
namespace {

std::string TitleName(size_t index) { return "title " + std::to_string(index + 1); }

std::string Clock(double seconds) {
  char text[32];
  const int whole = static_cast<int>(seconds);
  std::snprintf(text, sizeof text, "%d:%02d:%02d.%03d", whole / 3600, whole / 60 % 60, whole % 60,
                static_cast<int>(std::lround((seconds - whole) * 1000)) % 1000);
  return text;
}

bool IsDvdResolution(bool pal, int width, int height) {
  const int full = pal ? 576 : 480;
  return (height == full && (width == 720 || width == 704 || width == 352)) || (height == full / 2 && width == 352);
}

std::string CheckTitle(size_t index, const TitleInfo& info, bool pal) {
  const std::string name = TitleName(index) + " ('" + info.file + "')";
  if (info.container != "mpeg") return name + " is not an MPEG program stream";
  if (info.videoCodec != "mpeg2video" && info.videoCodec != "mpeg1video")
    return name + " holds " + info.videoCodec + " video; a DVD needs MPEG-2";
  const bool titlePal = std::fabs(info.frameRate - 25.0) < 0.01;
  const bool titleNtsc = std::fabs(info.frameRate - 30000.0 / 1001) < 0.01;
  if (!titlePal && !titleNtsc) {
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.3f", info.frameRate);
    return name + " runs at " + rate + " frames a second; a DVD needs 25 (PAL) or 29.97 (NTSC)";
  }
  if (titlePal != pal)
    return name + " is " + (titlePal ? "PAL" : "NTSC") + " but the disc is " + (pal ? "PAL" : "NTSC") +
           "; a disc holds one TV standard";
  if (!IsDvdResolution(pal, info.width, info.height))
    return name + " is " + std::to_string(info.width) + "x" + std::to_string(info.height) +
           ", which is not a DVD resolution for " + (pal ? "PAL" : "NTSC");
  if (info.audio.size() > 8) return name + " has more than 8 audio streams";
  for (const AudioStreamInfo& audio : info.audio) {
    const bool ac3 = audio.codec == "ac3", lpcm = audio.codec == "pcm_dvd", mp2 = audio.codec == "mp2";
    if (!ac3 && !lpcm && !mp2 && audio.codec != "dts") return name + " has " + audio.codec + " audio, which a DVD cannot hold";
    if (mp2 && !pal) return name + " has MPEG audio; an NTSC disc needs AC-3 or LPCM audio";
    if (audio.sampleRate != 48000)
      return name + " has audio at " + std::to_string(audio.sampleRate) + " Hz; a DVD needs 48000 Hz";
  }
  return {};
}

std::string CheckOverlay(const Picture& overlay, const MenuPage& page, const std::string& what) {
  if (overlay.empty()) return {};
  if (overlay.width != page.background.width || overlay.height != page.background.height)
    return what + " is not the size of its page";
  std::set<uint32_t> colours;
  for (size_t i = 0; i < overlay.bgra.size(); i += 4) {
    const uint8_t alpha = overlay.bgra[i + 3];
    if (alpha == 0) continue;
    if (alpha != 255) return what + " has partly transparent (anti-aliased) pixels; a DVD sub-picture cannot show them";
    colours.insert(uint32_t(overlay.bgra[i]) | uint32_t(overlay.bgra[i + 1]) << 8 | uint32_t(overlay.bgra[i + 2]) << 16);
    if (colours.size() > 3) return what + " has more than 3 colours; a DVD sub-picture shows 3 plus transparency";
  }
  return {};
}

std::string CheckMenu(const std::vector<MenuPage>& pages, size_t titleCount, bool pal, bool wide) {
  if (pages.size() > kMaxMenuPages) return "the menu has more than " + std::to_string(kMaxMenuPages) + " pages";
  const int height = pal ? 576 : 480;
  const int maxButtons = wide ? kMaxButtonsWide : kMaxButtons43;
  for (size_t p = 0; p < pages.size(); ++p) {
    const MenuPage& page = pages[p];
    const std::string name = "menu page " + std::to_string(p + 1);
    if (page.background.width != 720 || page.background.height != height)
      return name + " is " + std::to_string(page.background.width) + "x" + std::to_string(page.background.height) +
             "; the disc's menus are 720x" + std::to_string(height);
    if (page.buttons.empty()) return name + " has no buttons, so the viewer could not leave it";
    if (static_cast<int>(page.buttons.size()) > maxButtons)
      return name + " has " + std::to_string(page.buttons.size()) + " buttons; a " + (wide ? "16:9" : "4:3") +
             " DVD menu holds at most " + std::to_string(maxButtons);
    for (size_t b = 0; b < page.buttons.size(); ++b) {
      const OCMenuButton& button = page.buttons[b];
      const std::string buttonName = name + " button " + std::to_string(b + 1);
      if (button.left < 0 || button.top < 0 || button.right > page.background.width ||
          button.bottom > page.background.height || button.left >= button.right || button.top >= button.bottom)
        return buttonName + " lies outside the page or is empty";
      if (button.action == OC_ACTION_PLAY_TITLE) {
        if (button.target < 0 || static_cast<size_t>(button.target) >= titleCount)
          return buttonName + " plays title " + std::to_string(button.target + 1) + ", which the disc does not have";
      } else if (button.action == OC_ACTION_GO_TO_PAGE) {
        if (button.target < 0 || static_cast<size_t>(button.target) >= pages.size())
          return buttonName + " goes to page " + std::to_string(button.target + 1) + ", which the menu does not have";
      } else if (button.action != OC_ACTION_PLAY_ALL) {
        return buttonName + " has no action";
      }
      for (size_t o = 0; o < b; ++o) {
        const OCMenuButton& other = page.buttons[o];
        if (button.left < other.right && other.left < button.right && button.top < other.bottom &&
            other.top < button.bottom)
          return buttonName + " overlaps button " + std::to_string(o + 1);
      }
    }
    std::string error = CheckOverlay(page.highlight, page, name + "'s highlight overlay");
    if (error.empty()) error = CheckOverlay(page.select, page, name + "'s select overlay");
    if (!error.empty()) return error;
  }
  return {};
}

std::string VideoElement(bool pal, bool wide) {
  return std::string("<video format=\"") + (pal ? "pal" : "ntsc") + "\" aspect=\"" + (wide ? "16:9" : "4:3") + "\"" +
         (wide ? " widescreen=\"nopanscan\"" : "") + "/>";
}

std::string Seconds(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

}  // namespace

std::string XmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string MakePlan(const OCEncParam& block, const std::vector<TitleInfo>& titles,
                     const std::vector<std::vector<double>>& chapters, const std::vector<MenuPage>& pages, Plan& plan) {
  plan = Plan{};
  plan.pal = block.height == 576 || std::fabs(block.frameRate - 25.0) < 0.01;
  plan.wideMenus = block.aspect == 3;
  if (titles.empty()) return "there is no encoded title to put on the disc";
  if (titles.size() > kMaxTitles) return "a DVD holds at most " + std::to_string(kMaxTitles) + " titles";
  for (size_t i = 0; i < titles.size(); ++i) {
    std::string error = CheckTitle(i, titles[i], plan.pal);
    if (!error.empty()) return error;
    PlannedTitle planned;
    planned.info = titles[i];
    const double length = titles[i].seconds;
    if (i < chapters.size() && !chapters[i].empty()) {
      planned.chapters = chapters[i];
      if (planned.chapters.front() != 0) planned.chapters.insert(planned.chapters.begin(), 0.0);
      for (size_t c = 1; c < planned.chapters.size(); ++c) {
        const double at = planned.chapters[c];
        if (!(at > planned.chapters[c - 1]))
          return TitleName(i) + ": chapter " + std::to_string(c + 1) + " (" + Clock(at) + ") does not follow the one before it";
        if (at >= length)
          return TitleName(i) + ": chapter " + std::to_string(c + 1) + " (" + Clock(at) + ") lies beyond the title's end (" +
                 Clock(length) + ")";
      }
      if (planned.chapters.size() > 99) return TitleName(i) + " has more than 99 chapters";
    } else {
      for (double at = 0; at < std::max(length, 0.001) && planned.chapters.size() < 99; at += kDefaultChapterSeconds)
        planned.chapters.push_back(at);
    }
    plan.titles.push_back(std::move(planned));
  }
  std::string error = CheckMenu(pages, titles.size(), plan.pal, plan.wideMenus);
  if (!error.empty()) return error;
  plan.pages = pages;

  // A title set holds one video and audio layout. A new set begins wherever the layout
  // changes, so the disc numbers its titles in the job's order: grouping all titles of one
  // layout together would move a later title of the first layout ahead of an earlier one.
  using Layout = std::tuple<int, int, bool, std::vector<std::pair<std::string, int>>>;
  Layout previous;
  for (size_t i = 0; i < plan.titles.size(); ++i) {
    const TitleInfo& info = plan.titles[i].info;
    std::vector<std::pair<std::string, int>> audio;
    for (const AudioStreamInfo& a : info.audio) audio.emplace_back(a.codec, a.channels);
    Layout layout{info.width, info.height, info.wide, audio};
    if (i == 0 || layout != previous) plan.titleSets.emplace_back();
    previous = std::move(layout);
    plan.titleSets.back().push_back(static_cast<int>(i));
    plan.titles[i].titleSet = static_cast<int>(plan.titleSets.size());
    plan.titles[i].discNumber = static_cast<int>(i) + 1;
  }
  return {};
}

std::string DvdauthorXml(const Plan& plan, const std::string& destination, const std::vector<std::string>& menuVobs) {
  const bool hasMenu = !plan.pages.empty();
  // With a menu, each page notes itself in g2 when it shows; a frame's button jumps straight
  // to its title. Every title ends in the dispatcher menu after the pages: it plays the next
  // title of a "play all" (g3: the next title, 0 when none; g4: the title it plays now) or
  // hands over to the return menu, which shows the page g2 names. "Play all" starts in a
  // menu of its own, as a button holds one command.
  const std::string playAll = std::to_string(plan.pages.size() + 1);
  const std::string dispatcher = std::to_string(plan.pages.size() + 2);
  const std::string returner = std::to_string(plan.pages.size() + 3);
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  xml += "<dvdauthor dest=\"" + XmlEscape(destination) + "\" format=\"" + (plan.pal ? "pal" : "ntsc") + "\">\n";
  xml += " <vmgm>\n";
  // Without a menu the first title starts at once; every title then hands over to the next
  // through a dispatcher menu that has no picture (register g1 holds the next title).
  xml += std::string("  <fpc>") + (hasMenu ? "jump menu 1;" : "{ g1 = 1; jump menu 1; }") + "</fpc>\n";
  xml += "  <menus>\n   " + VideoElement(plan.pal, plan.wideMenus) + "\n";
  if (hasMenu) {
    for (size_t p = 0; p < plan.pages.size(); ++p) {
      const MenuPage& page = plan.pages[p];
      const std::string here = std::to_string(p + 1);
      xml += std::string("   <pgc") + (p == 0 ? " entry=\"title\"" : "") + ">\n";
      // The page the titles come back to; a viewer who left a "play all" through the menu
      // key has ended it.
      xml += "    <pre>g2 = " + here + "; g3 = 0;</pre>\n";
      for (size_t b = 0; b < page.buttons.size(); ++b) {
        const OCMenuButton& button = page.buttons[b];
        std::string command;
        if (button.action == OC_ACTION_PLAY_TITLE)
          command = "jump title " + std::to_string(plan.titles[static_cast<size_t>(button.target)].discNumber) + ";";
        else if (button.action == OC_ACTION_PLAY_ALL)
          command = "jump menu " + playAll + ";";
        else
          command = "jump menu " + std::to_string(button.target + 1) + ";";
        xml += "    <button name=\"b" + std::to_string(b + 1) + "\">" + command + "</button>\n";
      }
      // A silent page holds its still picture; a page with music plays it again and again.
      xml += "    <vob file=\"" + XmlEscape(menuVobs[p]) + "\"" + (page.audioFile.empty() ? " pause=\"inf\"" : "") + "/>\n";
      if (!page.audioFile.empty()) xml += "    <post>jump cell 1;</post>\n";
      xml += "   </pgc>\n";
    }
    const std::string titleCount = std::to_string(plan.titles.size());
    xml += "   <pgc>\n    <pre>g3 = 2; jump title " + std::to_string(plan.titles.front().discNumber) + ";</pre>\n   </pgc>\n";
    xml += "   <pgc>\n    <pre>g4 = g3; if (g3 != 0) g3 += 1; if (g3 &gt; " + titleCount + ") g3 = 0; ";
    for (size_t i = 0; i < plan.titles.size(); ++i)
      xml += "if (g4 == " + std::to_string(i + 1) + ") jump title " + std::to_string(plan.titles[i].discNumber) + "; ";
    xml += "jump menu " + returner + ";</pre>\n   </pgc>\n";
    xml += "   <pgc>\n    <pre>";
    for (size_t p = 1; p < plan.pages.size(); ++p)
      xml += "if (g2 == " + std::to_string(p + 1) + ") jump menu " + std::to_string(p + 1) + "; ";
    xml += "jump menu 1;</pre>\n   </pgc>\n";
  } else {
    xml += "   <pgc entry=\"title\">\n    <pre>";
    for (size_t i = 0; i < plan.titles.size(); ++i)
      xml += "if (g1 == " + std::to_string(i + 1) + ") jump title " + std::to_string(plan.titles[i].discNumber) + "; ";
    xml += "exit;</pre>\n   </pgc>\n";
  }
  xml += "  </menus>\n </vmgm>\n";
  for (const auto& set : plan.titleSets) {
    const TitleInfo& first = plan.titles[static_cast<size_t>(set.front())].info;
    xml += " <titleset>\n  <titles>\n   " + VideoElement(plan.pal, first.wide) + "\n";
    for (int index : set) {
      const PlannedTitle& title = plan.titles[static_cast<size_t>(index)];
      std::string marks;
      for (double at : title.chapters) marks += (marks.empty() ? "" : ",") + Seconds(at);
      std::string post;
      if (hasMenu) {
        post = "call vmgm menu " + dispatcher + ";";
      } else if (static_cast<size_t>(index) + 1 < plan.titles.size()) {
        post = "{ g1 = " + std::to_string(index + 2) + "; call vmgm menu 1; }";
      } else {
        post = "exit;";
      }
      xml += "   <pgc>\n    <vob file=\"" + XmlEscape(title.info.file) + "\" chapters=\"" + marks + "\"/>\n";
      xml += "    <post>" + post + "</post>\n   </pgc>\n";
    }
    xml += "  </titles>\n </titleset>\n";
  }
  xml += "</dvdauthor>\n";
  return xml;
}

std::string SpumuxXml(const Plan& plan, size_t page, const std::string& highlightPng, const std::string& selectPng) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  xml += std::string("<subpictures format=\"") + (plan.pal ? "pal" : "ntsc") + "\">\n <stream>\n";
  xml += "  <spu start=\"00:00:00.00\" force=\"yes\" highlight=\"" + XmlEscape(highlightPng) + "\" select=\"" +
         XmlEscape(selectPng) + "\">\n";
  const MenuPage& menuPage = plan.pages[page];
  for (size_t b = 0; b < menuPage.buttons.size(); ++b) {
    const OCMenuButton& button = menuPage.buttons[b];
    xml += "   <button name=\"b" + std::to_string(b + 1) + "\" x0=\"" + std::to_string(button.left) + "\" y0=\"" +
           std::to_string(button.top) + "\" x1=\"" + std::to_string(button.right - 1) + "\" y1=\"" +
           std::to_string(button.bottom - 1) + "\"/>\n";
  }
  xml += "  </spu>\n </stream>\n</subpictures>\n";
  return xml;
}

}  // namespace outputctrl
