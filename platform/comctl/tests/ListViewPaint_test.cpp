// What the list view paints of selected items: the full-row highlight of a report row leaves
// the check box and the icon of the first column in sight; border selection frames a selected
// picture in the selection's colour and outlines the others in the outline colour.

#include <gtest/gtest.h>

#include "platform/comctl/ListView.h"
#include "platform/comctl/tests/NotifyRecorder.h"
#include "platform/testing/Pictures.h"

namespace {

using namespace platform;
namespace pt = platform::testing;

class ListViewPaintTest : public comctltest::ComctlTest {};

uint32_t Rgb(COLORREF c) { return (c & 0xFF) << 16 | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// How many pixels of `rect` have exactly `colour` (0xRRGGBB), and how many do not.
std::pair<int, int> CountColour(const pt::Image& image, const RECT& rect, uint32_t colour) {
  int same = 0, other = 0;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x) ((image.At(x, y) & 0xFFFFFF) == colour ? same : other)++;
  return {same, other};
}

TEST_F(ListViewPaintTest, ASelectedRowKeepsItsCheckBoxAndIcon) {
  comctltest::ParentWindow parent(420, 200);
  for (const DWORD extra : {DWORD{LVS_EX_FULLROWSELECT}, DWORD{0}}) {
    SCOPED_TRACE(extra ? "full row" : "label only");
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, u"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 10, 10,
                                360, 150, parent.hwnd, nullptr, nullptr, nullptr);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | extra);
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
    HDC screen = GetDC(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screen, 16, 16);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, picture);
    RECT whole{0, 0, 16, 16};
    HBRUSH green = CreateSolidBrush(RGB(0x20, 0xA0, 0x30));
    FillRect(dc, &whole, green);
    SelectObject(dc, old);
    ImageList_Add(images, picture, nullptr);
    DeleteObject(green);
    DeleteDC(dc);
    DeleteObject(picture);
    ReleaseDC(nullptr, screen);
    ListView_SetImageList(list, images, LVSIL_SMALL);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 160;
    ListView_InsertColumn(list, 0, &column);
    ListView_InsertColumn(list, 1, &column);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.pszText = const_cast<LPWSTR>(u"row");
    for (int i = 0; i < 2; ++i) {
      item.iItem = i;
      ListView_InsertItem(list, &item);
      ListView_SetItemText(list, i, 1, const_cast<LPWSTR>(u"more"));
    }
    ListView_SetCheckState(list, 0, TRUE);
    ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    const pt::Image image = pt::ReadWindow(list);
    const uint32_t highlight = Rgb(GetSysColor(COLOR_BTNFACE));  // selected, not focused

    RECT icon{}, label{}, bounds{};
    icon.left = LVIR_ICON;
    SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&icon));
    ListView_GetItemRect(list, 0, &label, LVIR_LABEL);
    ListView_GetItemRect(list, 0, &bounds, LVIR_BOUNDS);
    const RECT box{bounds.left + 2, bounds.top + 2, icon.left, bounds.bottom - 2};
    EXPECT_GT(CountColour(image, box, highlight).second, 20) << "the check box is drawn";
    EXPECT_GT(CountColour(image, icon, highlight).second, 100) << "the icon is drawn";
    // The label is highlighted; the second column too with a full-row selection.
    EXPECT_GT(CountColour(image, label, highlight).first, 100);
    const RECT second{bounds.left + 200, bounds.top + 1, bounds.left + 300, bounds.bottom - 1};
    if (extra) EXPECT_GT(CountColour(image, second, highlight).first, 100);
    else EXPECT_EQ(CountColour(image, second, highlight).first, 0);
    DestroyWindow(list);
    ImageList_Destroy(images);
  }
}

TEST_F(ListViewPaintTest, BorderSelectionFramesTheSelectedPictureAndOutlinesTheOthers) {
  comctltest::ParentWindow parent(420, 200);
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, u"", WS_CHILD | WS_VISIBLE | LVS_ICON | LVS_SHOWSELALWAYS, 10, 10, 360,
                              150, parent.hwnd, nullptr, nullptr, nullptr);
  ListView_SetExtendedListViewStyle(list, LVS_EX_BORDERSELECT);
  HIMAGELIST images = ImageList_Create(32, 32, ILC_COLOR32, 1, 1);
  HDC screen = GetDC(nullptr);
  HBITMAP picture = CreateCompatibleBitmap(screen, 32, 32);
  ImageList_Add(images, picture, nullptr);
  DeleteObject(picture);
  ReleaseDC(nullptr, screen);
  ListView_SetImageList(list, images, LVSIL_NORMAL);
  ListView_SetOutlineColor(list, RGB(0x10, 0x20, 0x30));
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.pszText = const_cast<LPWSTR>(u"picture");
  for (int i = 0; i < 2; ++i) {
    item.iItem = i;
    ListView_InsertItem(list, &item);
  }
  ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
  InvalidateRect(list, nullptr, TRUE);
  UpdateWindow(list);
  const pt::Image image = pt::ReadWindow(list);
  auto corner = [&](int row) {
    RECT icon{};
    icon.left = LVIR_ICON;
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&icon));
    return image.At(icon.left, icon.top) & 0xFFFFFF;
  };
  EXPECT_EQ(corner(0), Rgb(GetSysColor(COLOR_BTNFACE)));  // selected, the list not focused
  EXPECT_EQ(corner(1), 0x102030u);
  DestroyWindow(list);
  ImageList_Destroy(images);
}

}  // namespace
