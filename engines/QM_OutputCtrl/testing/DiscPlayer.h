#pragma once

// For tests: plays an authored DVD folder the way a DVD player does. libdvdnav runs the disc's
// navigation commands; the test presses buttons of the page that shows and learns which titles
// then play and which page shows afterwards. Main-menu pages are told apart by where their
// pictures lie in the menu VOB. Header-only; link libdvdnav and libdvdread.

#include <dvdnav/dvdnav.h>
#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace outputctrl::testing {

// Plays an authored folder as a DVD player does.
class DiscPlayer {
 public:
  explicit DiscPlayer(const std::string& folder) {
    if (dvdnav_open(&m_nav, folder.c_str()) != DVDNAV_STATUS_OK) m_nav = nullptr;
    // Where each main-menu page lies in the menu VOB, to tell which page is showing.
    dvd_reader_t* dvd = DVDOpen(folder.c_str());
    ifo_handle_t* vmg = dvd ? ifoOpen(dvd, 0) : nullptr;
    if (vmg && vmg->pgci_ut && vmg->pgci_ut->nr_of_lus > 0) {
      const pgcit_t* pgcit = vmg->pgci_ut->lu[0].pgcit;
      for (int i = 0; i < pgcit->nr_of_pgci_srp; ++i) {
        const pgc_t* pgc = pgcit->pgci_srp[i].pgc;
        if (pgc && pgc->nr_of_cells > 0 && pgc->cell_playback)
          m_pages.emplace_back(uint32_t{pgc->cell_playback[0].first_sector},
                               uint32_t{pgc->cell_playback[pgc->nr_of_cells - 1].last_sector});
      }
      wideMenus = vmg->vmgi_mat->vmgm_video_attr.display_aspect_ratio == 3;
    }
    if (vmg) ifoClose(vmg);
    if (dvd) DVDClose(dvd);
  }
  ~DiscPlayer() {
    if (m_nav) dvdnav_close(m_nav);
  }
  DiscPlayer(const DiscPlayer&) = delete;
  DiscPlayer& operator=(const DiscPlayer&) = delete;
  bool ok() const { return m_nav && !m_pages.empty(); }
  size_t pageCount() const { return m_pages.size(); }

  // Runs until a menu page holds its still picture; answers its index (0-based, -1 when the
  // disc stopped or misbehaved) and appends the titles (1-based) that played on the way.
  int RunToMenu(std::vector<int>& titles) {
    uint8_t block[DVD_VIDEO_LB_LEN];
    int last = 0;
    for (int events = 0; events < 200000; ++events) {
      int32_t event = 0, length = 0;
      if (dvdnav_get_next_block(m_nav, block, &event, &length) != DVDNAV_STATUS_OK) return -1;
      switch (event) {
        case DVDNAV_STILL_FRAME: {
          const auto* still = reinterpret_cast<const dvdnav_still_event_t*>(block);
          if (dvdnav_is_domain_vmgm(m_nav) && still->length == 0xff) return ShowingPage();
          dvdnav_still_skip(m_nav);
          break;
        }
        case DVDNAV_WAIT:
          dvdnav_wait_skip(m_nav);
          break;
        case DVDNAV_CELL_CHANGE:
          if (dvdnav_is_domain_vts(m_nav)) {
            int32_t title = 0, part = 0;
            if (dvdnav_current_title_info(m_nav, &title, &part) == DVDNAV_STATUS_OK && title > 0 && title != last)
              titles.push_back(last = title);
          } else {
            last = 0;
          }
          break;
        case DVDNAV_STOP:
          return -1;
        default:
          break;
      }
    }
    return -1;
  }

  // Presses button `number` (1-based) of the page that is showing.
  bool Press(int number) {
    pci_t* pci = dvdnav_get_current_nav_pci(m_nav);
    return pci && dvdnav_button_select_and_activate(m_nav, pci, number) == DVDNAV_STATUS_OK;
  }

  // The buttons of the page that shows.
  int ButtonCount() const {
    const pci_t* pci = dvdnav_get_current_nav_pci(m_nav);
    return pci ? pci->hli.hl_gi.btn_ns & 0x3F : 0;
  }

  bool wideMenus = false;

 private:
  int ShowingPage() const {
    const pci_t* pci = dvdnav_get_current_nav_pci(m_nav);
    if (!pci) return -1;
    const uint32_t sector = pci->pci_gi.nv_pck_lbn;
    for (size_t i = 0; i < m_pages.size(); ++i)
      if (sector >= m_pages[i].first && sector <= m_pages[i].second) return static_cast<int>(i);
    return -1;
  }

  dvdnav_t* m_nav = nullptr;
  std::vector<std::pair<uint32_t, uint32_t>> m_pages;
};

}  // namespace outputctrl::testing
