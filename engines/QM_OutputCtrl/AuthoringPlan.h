#pragma once

// Turns the job's inputs into an authoring plan, refusing what would make a broken disc:
// one TV standard, DVD resolutions and audio, chapters inside their titles, menus within the
// DVD's button limits, overlays a sub-picture can show. Groups the titles into title sets of
// one video and audio layout each, and writes the XML for dvdauthor and spumux. Pure
// functions; any thread.

#include <string>
#include <vector>

#include "engines/QM_OutputCtrl/MenuDescription.h"
#include "engines/QM_OutputCtrl/OutputCtrl.h"
#include "engines/QM_OutputCtrl/TitleProbe.h"

namespace outputctrl {

constexpr int kMaxTitles = 99;
constexpr int kMaxMenuPages = 99;
constexpr int kMaxButtons43 = 36;
constexpr int kMaxButtonsWide = 18;
constexpr double kDefaultChapterSeconds = 300;

struct PlannedTitle {
  TitleInfo info;
  std::vector<double> chapters;  // starts in seconds, the first 0
  int titleSet = 0;              // 1-based
  int discNumber = 0;            // 1-based number on the disc: the job's order
};

struct Plan {
  bool pal = false;
  bool wideMenus = false;
  std::vector<PlannedTitle> titles;       // in the job's order
  std::vector<std::vector<int>> titleSets;  // indices into titles
  std::vector<MenuPage> pages;            // empty: no menu
};

// Empty on success. chapters[i] may be empty (default marks) and may be shorter than titles.
std::string MakePlan(const OCEncParam& block, const std::vector<TitleInfo>& titles,
                     const std::vector<std::vector<double>>& chapters, const std::vector<MenuPage>& pages, Plan& plan);

// menuVobs[p]: the finished menu VOB (with its sub-pictures) of page p.
std::string DvdauthorXml(const Plan& plan, const std::string& destination, const std::vector<std::string>& menuVobs);
std::string SpumuxXml(const Plan& plan, size_t page, const std::string& highlightPng, const std::string& selectPng);

std::string XmlEscape(const std::string& text);

}  // namespace outputctrl
