#pragma once

// Reads a DVD-Video structure back with libdvdread (a folder holding VIDEO_TS, an ISO image
// or a file a pseudo-drive burned) and checks that it is sound: every title and chapter
// reachable, the IFOs' sector addresses matching the files they describe, and the menu
// buttons present in the menus' navigation packs. Any thread; no shared state.

#include <string>
#include <vector>

namespace disctools {

enum class DvdAspect { FourThree, SixteenNine, Other };

struct DvdTitleInfo {
  int chapters = 0;
  int width = 0;
  int height = 0;
  bool pal = false;
  DvdAspect aspect = DvdAspect::Other;
  int audioStreams = 0;
  int audioFormat = -1;  // the IFO's code: 0 AC-3, 2/3 MPEG, 4 LPCM, 6 DTS; -1 none
  bool operator==(const DvdTitleInfo&) const = default;
};

struct DvdSummary {
  std::vector<DvdTitleInfo> titles;
  std::vector<int> menuButtons;  // buttons of each menu page of the disc's main menu domain
  bool hasFirstPlay = false;
  bool operator==(const DvdSummary&) const = default;
};

struct DvdCheck {
  bool ok = false;
  std::string error;  // why the structure is not sound ("title 2: cell 3 ends at sector ...")
  DvdSummary summary;
};

DvdCheck InspectDvd(const std::string& path);

// "2 titles (4:3 720x480 NTSC, 1 chapter; ...), menu pages with 2, 1 buttons": for messages.
std::string DescribeSummary(const DvdSummary& summary);

}  // namespace disctools
