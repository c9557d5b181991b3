#include "engines/DiscTools/DvdVerifier.h"

#include <dvdread/dvd_reader.h>
#include <dvdread/dvd_udf.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>
#include <dvdread/nav_read.h>
#include <dvdread/nav_types.h>

#include <cstdarg>
#include <cstdio>
#include <map>
#include <memory>

namespace disctools {
namespace {

constexpr uint32_t kSectorBytes = 2048;

struct ReaderCloser {
  void operator()(dvd_reader_t* dvd) const { DVDClose(dvd); }
};
struct IfoCloser {
  void operator()(ifo_handle_t* ifo) const { ifoClose(ifo); }
};
struct FileCloser {
  void operator()(dvd_file_t* file) const { DVDCloseFile(file); }
};
using Reader = std::unique_ptr<dvd_reader_t, ReaderCloser>;
using Ifo = std::unique_ptr<ifo_handle_t, IfoCloser>;
using DvdFile = std::unique_ptr<dvd_file_t, FileCloser>;

// libdvdread prints its complaints to stderr by default; we report our own reasons instead.
void QuietLog(void*, dvd_logger_level_t, const char*, va_list) {}

std::string Format(const char* pattern, ...) {
  char text[512];
  va_list args;
  va_start(args, pattern);
  std::vsnprintf(text, sizeof text, pattern, args);
  va_end(args);
  return text;
}

// Size in sectors of one file of the structure (0 when it does not exist).
uint64_t FileSectors(dvd_reader_t* dvd, int titleSet, dvd_read_domain_t domain) {
  dvd_stat_t stat{};
  if (DVDFileStat(dvd, titleSet, domain, &stat) != 0) return 0;
  return static_cast<uint64_t>(stat.size) / kSectorBytes;
}

size_t CellCount(const c_adt_t* table) {
  if (!table || table->last_byte + 1 < C_ADT_SIZE) return 0;
  return (table->last_byte + 1 - C_ADT_SIZE) / sizeof(cell_adr_t);
}

// Every cell of a cell address table lies inside the VOB file it addresses.
std::string CheckCells(const c_adt_t* table, uint64_t fileSectors, const std::string& what) {
  const size_t cells = CellCount(table);
  for (size_t i = 0; i < cells; ++i) {
    const cell_adr_t& cell = table->cell_adr_table[i];
    if (cell.start_sector > cell.last_sector || cell.last_sector >= fileSectors)
      return Format("%s: cell %zu (sectors %u..%u) lies outside its file of %llu sectors", what.c_str(), i + 1,
                    cell.start_sector, cell.last_sector, static_cast<unsigned long long>(fileSectors));
  }
  return {};
}

// Counts the buttons of a menu cell from the navigation pack that starts it.
int MenuButtons(dvd_file_t* menuVobs, uint32_t sector) {
  unsigned char block[kSectorBytes];
  if (DVDReadBlocks(menuVobs, static_cast<int>(sector), 1, block) != 1) return -1;
  // A navigation pack: pack header, system header, then the PCI private stream 2 packet.
  if (block[0] != 0 || block[1] != 0 || block[2] != 1 || block[3] != 0xBA) return -1;
  if (block[0x26] != 0 || block[0x27] != 0 || block[0x28] != 1 || block[0x29] != 0xBF || block[0x2c] != 0)
    return -1;
  pci_t pci{};
  navRead_PCI(&pci, block + 0x2d);
  return pci.hli.hl_gi.hli_ss ? (pci.hli.hl_gi.btn_ns & 0x3F) : 0;
}

std::string CheckTitleSet(dvd_reader_t* dvd, int number, const ifo_handle_t* vts, uint32_t imageIfoSector,
                          uint32_t titleSetSector) {
  const std::string name = Format("title set %d", number);
  const uint64_t ifo = FileSectors(dvd, number, DVD_READ_INFO_FILE);
  const uint64_t menu = FileSectors(dvd, number, DVD_READ_MENU_VOBS);
  const uint64_t titles = FileSectors(dvd, number, DVD_READ_TITLE_VOBS);
  const vtsi_mat_t* mat = vts->vtsi_mat;
  if (ifo == 0 || titles == 0) return name + ": its IFO or title VOBs are missing";
  if (menu && mat->vtsm_vobs != ifo)
    return Format("%s: menu VOBs start at sector %u, the IFO ends at %llu", name.c_str(), mat->vtsm_vobs,
                  static_cast<unsigned long long>(ifo));
  if (mat->vtstt_vobs != ifo + menu)
    return Format("%s: title VOBs start at sector %u, the files before them end at %llu", name.c_str(),
                  mat->vtstt_vobs, static_cast<unsigned long long>(ifo + menu));
  if (mat->vts_last_sector + 1 != 2 * ifo + menu + titles)
    return Format("%s: the IFO gives %u sectors, the files hold %llu", name.c_str(), mat->vts_last_sector + 1,
                  static_cast<unsigned long long>(2 * ifo + menu + titles));
  if (imageIfoSector != 0 && imageIfoSector != titleSetSector)
    return Format("%s: the main IFO places it at sector %u, the image holds it at %u", name.c_str(),
                  titleSetSector, imageIfoSector);
  std::string error = CheckCells(vts->vts_c_adt, titles, name + " titles");
  if (error.empty() && menu) error = CheckCells(vts->menu_c_adt, menu, name + " menus");
  return error;
}

}  // namespace

DvdCheck InspectDvd(const std::string& path) {
  DvdCheck check;
  dvd_logger_cb logger{QuietLog};
  Reader dvd(DVDOpen2(nullptr, &logger, path.c_str()));
  if (!dvd) {
    check.error = "cannot open '" + path + "' as a DVD-Video structure";
    return check;
  }
  Ifo vmg(ifoOpen(dvd.get(), 0));
  if (!vmg || !vmg->vmgi_mat || !vmg->tt_srpt) {
    check.error = "'" + path + "' has no readable VIDEO_TS.IFO";
    return check;
  }
  check.summary.hasFirstPlay = vmg->first_play_pgc != nullptr;

  // An image knows where each file starts; a folder does not (UDFFindFile answers 0 there).
  // Title set sectors count from the start of VIDEO_TS.IFO.
  auto imageSector = [&](const char* file) -> uint32_t {
    uint32_t size = 0;
    const uint32_t vmgStart = UDFFindFile(dvd.get(), "/VIDEO_TS/VIDEO_TS.IFO", &size);
    const uint32_t start = UDFFindFile(dvd.get(), file, &size);
    if (vmgStart == 0 || vmgStart == UINT32_MAX || start == 0 || start == UINT32_MAX || start < vmgStart) return 0;
    return start - vmgStart;
  };

  std::map<int, Ifo> titleSets;
  const tt_srpt_t* titleTable = vmg->tt_srpt;
  for (int t = 0; t < titleTable->nr_of_srpts; ++t) {
    const title_info_t& info = titleTable->title[t];
    const int setNumber = info.title_set_nr;
    if (setNumber < 1 || setNumber > vmg->vmgi_mat->vmg_nr_of_title_sets) {
      check.error = Format("title %d names title set %d, which does not exist", t + 1, setNumber);
      return check;
    }
    if (!titleSets.count(setNumber)) {
      Ifo vts(ifoOpen(dvd.get(), setNumber));
      if (!vts || !vts->vtsi_mat || !vts->vts_ptt_srpt || !vts->vts_c_adt) {
        check.error = Format("title set %d has no readable IFO", setNumber);
        return check;
      }
      char ifoName[32];
      std::snprintf(ifoName, sizeof ifoName, "/VIDEO_TS/VTS_%02d_0.IFO", setNumber);
      const std::string error = CheckTitleSet(dvd.get(), setNumber, vts.get(), imageSector(ifoName),
                                              info.title_set_sector);
      if (!error.empty()) {
        check.error = error;
        return check;
      }
      titleSets[setNumber] = std::move(vts);
    }
    const ifo_handle_t* vts = titleSets[setNumber].get();
    if (info.vts_ttn < 1 || info.vts_ttn > vts->vts_ptt_srpt->nr_of_srpts) {
      check.error = Format("title %d names title %d of title set %d, which does not exist", t + 1, info.vts_ttn,
                           setNumber);
      return check;
    }
    const ttu_t& parts = vts->vts_ptt_srpt->title[info.vts_ttn - 1];
    if (parts.nr_of_ptts != info.nr_of_ptts || parts.nr_of_ptts == 0) {
      check.error = Format("title %d: the main IFO gives %d chapters, its title set %d", t + 1, info.nr_of_ptts,
                           parts.nr_of_ptts);
      return check;
    }
    for (int p = 0; p < parts.nr_of_ptts; ++p) {
      const int pgcn = parts.ptt[p].pgcn;
      if (!vts->vts_pgcit || pgcn < 1 || pgcn > vts->vts_pgcit->nr_of_pgci_srp) {
        check.error = Format("title %d chapter %d points to a missing program chain", t + 1, p + 1);
        return check;
      }
    }
    const video_attr_t& video = vts->vtsi_mat->vts_video_attr;
    DvdTitleInfo title;
    title.chapters = parts.nr_of_ptts;
    title.pal = video.video_format == 1;
    title.height = title.pal ? 576 : 480;
    static const int widths[] = {720, 704, 352, 352};
    title.width = widths[video.picture_size & 3];
    if (video.picture_size == 3) title.height /= 2;
    title.aspect = video.display_aspect_ratio == 0   ? DvdAspect::FourThree
                   : video.display_aspect_ratio == 3 ? DvdAspect::SixteenNine
                                                     : DvdAspect::Other;
    title.audioStreams = vts->vtsi_mat->nr_of_vts_audio_streams;
    if (title.audioStreams > 0) title.audioFormat = vts->vtsi_mat->vts_audio_attr[0].audio_format;
    check.summary.titles.push_back(title);
  }

  // The main menu domain: its VOB file must hold every cell, and each menu page starts with
  // a navigation pack carrying its buttons.
  const uint64_t menuSectors = FileSectors(dvd.get(), 0, DVD_READ_MENU_VOBS);
  if (menuSectors > 0) {
    const uint64_t ifoSectors = FileSectors(dvd.get(), 0, DVD_READ_INFO_FILE);
    if (vmg->vmgi_mat->vmgm_vobs != ifoSectors) {
      check.error = Format("the menu VOB starts at sector %u, VIDEO_TS.IFO ends at %llu", vmg->vmgi_mat->vmgm_vobs,
                           static_cast<unsigned long long>(ifoSectors));
      return check;
    }
    const std::string error = CheckCells(vmg->menu_c_adt, menuSectors, "main menu");
    if (!error.empty()) {
      check.error = error;
      return check;
    }
    DvdFile menuVobs(DVDOpenFile(dvd.get(), 0, DVD_READ_MENU_VOBS));
    if (!menuVobs) {
      check.error = "cannot read the main menu VOB";
      return check;
    }
    if (vmg->pgci_ut && vmg->pgci_ut->nr_of_lus > 0) {
      const pgcit_t* pgcit = vmg->pgci_ut->lu[0].pgcit;
      for (int i = 0; pgcit && i < pgcit->nr_of_pgci_srp; ++i) {
        const pgc_t* pgc = pgcit->pgci_srp[i].pgc;
        if (!pgc || pgc->nr_of_cells == 0 || !pgc->cell_playback) continue;
        const int buttons = MenuButtons(menuVobs.get(), pgc->cell_playback[0].first_sector);
        if (buttons < 0) {
          check.error = Format("menu page %d does not start with a navigation pack", i + 1);
          return check;
        }
        check.summary.menuButtons.push_back(buttons);
      }
    }
  }
  check.ok = true;
  return check;
}

std::string DescribeSummary(const DvdSummary& summary) {
  std::string text = std::to_string(summary.titles.size()) + " titles (";
  for (size_t i = 0; i < summary.titles.size(); ++i) {
    const DvdTitleInfo& t = summary.titles[i];
    text += Format("%s%s %dx%d %s, %d chapters", i ? "; " : "",
                   t.aspect == DvdAspect::FourThree     ? "4:3"
                   : t.aspect == DvdAspect::SixteenNine ? "16:9"
                                                        : "?",
                   t.width, t.height, t.pal ? "PAL" : "NTSC", t.chapters);
  }
  text += ")";
  if (!summary.menuButtons.empty()) {
    text += ", menu pages with";
    for (size_t i = 0; i < summary.menuButtons.size(); ++i)
      text += (i ? ", " : " ") + std::to_string(summary.menuButtons[i]);
    text += " buttons";
  }
  return text;
}

}  // namespace disctools
