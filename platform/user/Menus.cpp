// The menu data model and system menus.

#include "platform/user/Menus.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/kernel/HandleTable.h"
#include "platform/kernel/WinError.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"

namespace platform::detail {
namespace {

struct MenuItem {
  UINT type = MFT_STRING;  // MFT_* bits
  UINT state = 0;          // MFS_* bits
  UINT id = 0;
  HMENU submenu = nullptr;
  std::u16string text;
  ULONG_PTR data = 0;
  HBITMAP bitmap = nullptr, checked = nullptr, unchecked = nullptr;
};

struct Menu {
  bool popup = false;
  std::vector<MenuItem> items;
  HWND systemMenuOf = nullptr;
};

std::recursive_mutex g_menuMutex;
using MenuGuard = std::lock_guard<std::recursive_mutex>;

HandleTable<Menu>& Menus() {
  static auto* table = new HandleTable<Menu>(handle_tags::kMenu);
  return *table;
}

std::map<HWND, HMENU>& SystemMenus() {
  static auto* menus = new std::map<HWND, HMENU>;
  return *menus;
}

std::shared_ptr<Menu> GetMenuPtr(HMENU menu) {
  auto m = Menus().Get(reinterpret_cast<uintptr_t>(menu));
  if (!m) SetLastError(ERROR_INVALID_MENU_HANDLE);
  return m;
}

HMENU NewMenu(bool popup) {
  auto m = std::make_shared<Menu>();
  m->popup = popup;
  return reinterpret_cast<HMENU>(Menus().Add(m));
}

// Finds an item by position, or by command id in the menu and (depth first) its submenus.
struct Found {
  std::shared_ptr<Menu> menu;
  size_t index = 0;
  MenuItem& item() const { return menu->items[index]; }
};

bool FindItem(HMENU handle, UINT item, bool byPosition, Found* out, int depth = 0) {
  auto m = Menus().Get(reinterpret_cast<uintptr_t>(handle));
  if (!m || depth > 32) return false;
  if (byPosition) {
    if (item >= m->items.size()) return false;
    *out = Found{m, item};
    return true;
  }
  for (size_t i = 0; i < m->items.size(); ++i) {
    const MenuItem& it = m->items[i];
    if (it.submenu) {
      if (FindItem(it.submenu, item, false, out, depth + 1)) return true;
      // A submenu item matches its own handle used as an id, as popup items have no id.
      if (reinterpret_cast<UINT_PTR>(it.submenu) == item) {
        *out = Found{m, i};
        return true;
      }
    } else if (it.id == item && !(it.type & MFT_SEPARATOR)) {
      *out = Found{m, i};
      return true;
    }
  }
  return false;
}

bool FindOrFail(HMENU menu, UINT item, bool byPosition, Found* out) {
  if (!GetMenuPtr(menu)) return false;
  if (FindItem(menu, item, byPosition, out)) return true;
  SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
  return false;
}

// An item from the classic MF_* flags.
bool ItemFromFlags(UINT flags, UINT_PTR idOrSubmenu, const char16_t* text, MenuItem* item) {
  item->type = flags & (MF_BITMAP | MF_OWNERDRAW | MF_MENUBARBREAK | MF_MENUBREAK | MF_SEPARATOR | MF_RIGHTJUSTIFY);
  item->state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT);
  if (flags & MF_POPUP) {
    HMENU sub = reinterpret_cast<HMENU>(idOrSubmenu);
    if (!Menus().Contains(reinterpret_cast<uintptr_t>(sub))) {
      SetLastError(ERROR_INVALID_MENU_HANDLE);
      return false;
    }
    item->submenu = sub;
    item->id = static_cast<UINT>(idOrSubmenu);
  } else {
    item->id = static_cast<UINT>(idOrSubmenu);
  }
  if (flags & MF_BITMAP) item->bitmap = reinterpret_cast<HBITMAP>(const_cast<char16_t*>(text));
  else if (flags & MF_OWNERDRAW) item->data = reinterpret_cast<ULONG_PTR>(text);
  else if (!(flags & MF_SEPARATOR) && text) item->text = text;
  return true;
}

// Refuses to make a menu its own descendant.
bool WouldCycle(HMENU parent, HMENU sub, int depth = 0) {
  if (!sub || depth > 32) return depth > 32;
  if (sub == parent) return true;
  auto m = Menus().Get(reinterpret_cast<uintptr_t>(sub));
  if (!m) return false;
  for (const MenuItem& it : m->items)
    if (it.submenu && WouldCycle(parent, it.submenu, depth + 1)) return true;
  return false;
}

BOOL InsertItem(HMENU menu, UINT position, bool byPosition, bool append, const MenuItem& item) {
  MenuGuard guard(g_menuMutex);
  auto m = GetMenuPtr(menu);
  if (!m) return FALSE;
  if (item.submenu && WouldCycle(menu, item.submenu)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (append || (byPosition && position >= m->items.size()) || (!byPosition && position == UINT(-1))) {
    m->items.push_back(item);
    return TRUE;
  }
  if (byPosition) {
    m->items.insert(m->items.begin() + position, item);
    return TRUE;
  }
  Found found;
  if (!FindItem(menu, position, false, &found)) {
    // Windows appends when the command is not found.
    m->items.push_back(item);
    return TRUE;
  }
  found.menu->items.insert(found.menu->items.begin() + static_cast<long>(found.index), item);
  return TRUE;
}

void DestroyMenuTree(HMENU menu, int depth = 0) {
  auto m = Menus().Get(reinterpret_cast<uintptr_t>(menu));
  if (!m || depth > 32) return;
  for (const MenuItem& it : m->items)
    if (it.submenu) DestroyMenuTree(it.submenu, depth + 1);
  Menus().Remove(reinterpret_cast<uintptr_t>(menu));
}

BOOL RemoveItem(HMENU menu, UINT item, UINT flags, bool destroySubmenu) {
  MenuGuard guard(g_menuMutex);
  Found found;
  if (!FindOrFail(menu, item, flags & MF_BYPOSITION, &found)) return FALSE;
  HMENU sub = found.item().submenu;
  found.menu->items.erase(found.menu->items.begin() + static_cast<long>(found.index));
  if (destroySubmenu && sub) DestroyMenuTree(sub);
  return TRUE;
}

std::u16string Wide(const char* text) { return text ? ToWide(text) : std::u16string(); }

template <typename Info>
bool ValidInfo(const Info* info) {
  if (!info || info->cbSize < offsetof(Info, hbmpItem)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

// Applies the fields named by fMask; `text` is the item text already in UTF-16.
bool ApplyInfo(HMENU menu, MenuItem& item, UINT mask, UINT type, UINT state, UINT id, HMENU sub, ULONG_PTR data,
               HBITMAP checked, HBITMAP unchecked, HBITMAP bitmap, const std::u16string* text) {
  if (mask & MIIM_SUBMENU) {
    if (sub && (!Menus().Contains(reinterpret_cast<uintptr_t>(sub)) || WouldCycle(menu, sub))) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    item.submenu = sub;
  }
  if (mask & MIIM_TYPE) {
    item.type = type;
    if (!(type & (MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW)) && text) item.text = *text;
    if (type & MFT_BITMAP) item.bitmap = bitmap;
  }
  if (mask & MIIM_FTYPE) item.type = (item.type & MFT_BITMAP) | (type & ~MFT_BITMAP);
  if (mask & MIIM_STRING) item.text = text ? *text : std::u16string();
  if (mask & MIIM_STATE) item.state = state;
  if (mask & MIIM_ID) item.id = id;
  if (mask & MIIM_DATA) item.data = data;
  if (mask & MIIM_CHECKMARKS) {
    item.checked = checked;
    item.unchecked = unchecked;
  }
  if (mask & MIIM_BITMAP) item.bitmap = bitmap;
  return true;
}

template <typename Info, typename Char>
BOOL GetInfo(HMENU menu, UINT position, BOOL byPosition, Info* info) {
  if (!ValidInfo(info)) return FALSE;
  MenuGuard guard(g_menuMutex);
  Found found;
  if (!FindOrFail(menu, position, byPosition, &found)) return FALSE;
  const MenuItem& item = found.item();
  const UINT mask = info->fMask;
  if (mask & (MIIM_TYPE | MIIM_FTYPE)) info->fType = item.type;
  if (mask & MIIM_STATE) info->fState = item.state;
  if (mask & MIIM_ID) info->wID = item.id;
  if (mask & MIIM_SUBMENU) info->hSubMenu = item.submenu;
  if (mask & MIIM_DATA) info->dwItemData = item.data;
  if (mask & MIIM_CHECKMARKS) {
    info->hbmpChecked = item.checked;
    info->hbmpUnchecked = item.unchecked;
  }
  if (mask & MIIM_BITMAP) info->hbmpItem = item.bitmap;
  if ((mask & MIIM_STRING) || ((mask & MIIM_TYPE) && !(item.type & (MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW)))) {
    std::basic_string<Char> text;
    if constexpr (sizeof(Char) == 1) text = ToNarrow(item.text);
    else text = item.text;
    if (info->dwTypeData && info->cch > 0) {
      const size_t count = std::min<size_t>(text.size(), info->cch - 1);
      std::memcpy(info->dwTypeData, text.data(), count * sizeof(Char));
      info->dwTypeData[count] = 0;
      info->cch = static_cast<UINT>(count);
    } else {
      info->cch = static_cast<UINT>(text.size());
    }
  }
  return TRUE;
}

BOOL InsertFromInfo(HMENU menu, UINT position, BOOL byPosition, const MENUITEMINFOW* info, const std::u16string* text) {
  MenuItem item;
  {
    MenuGuard guard(g_menuMutex);
    if (!GetMenuPtr(menu)) return FALSE;
    if (!ApplyInfo(menu, item, info->fMask, info->fType, info->fState, info->wID, info->hSubMenu, info->dwItemData,
                   info->hbmpChecked, info->hbmpUnchecked, info->hbmpItem, text))
      return FALSE;
  }
  return InsertItem(menu, position, byPosition, false, item);
}

BOOL SetFromInfo(HMENU menu, UINT position, BOOL byPosition, const MENUITEMINFOW* info, const std::u16string* text) {
  MenuGuard guard(g_menuMutex);
  Found found;
  if (!FindOrFail(menu, position, byPosition, &found)) return FALSE;
  return ApplyInfo(found.menu.get() ? menu : menu, found.item(), info->fMask, info->fType, info->fState, info->wID,
                   info->hSubMenu, info->dwItemData, info->hbmpChecked, info->hbmpUnchecked, info->hbmpItem, text)
             ? TRUE
             : FALSE;
}

MENUITEMINFOW WideInfo(const MENUITEMINFOA* info, std::u16string* text) {
  MENUITEMINFOW wide{};
  std::memcpy(&wide, info, std::min<size_t>(sizeof wide, info->cbSize));
  wide.cbSize = sizeof wide;
  wide.dwTypeData = nullptr;
  if (info->dwTypeData && ((info->fMask & MIIM_STRING) ||
                           ((info->fMask & MIIM_TYPE) && !(info->fType & (MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW)))))
    *text = Wide(info->dwTypeData);
  return wide;
}

void FillSystemMenu(HMENU menu) {
  struct Entry {
    UINT id;
    const char16_t* text;
  };
  static const Entry kEntries[] = {{SC_RESTORE, u"&Restore"}, {SC_MOVE, u"&Move"},         {SC_SIZE, u"&Size"},
                                   {SC_MINIMIZE, u"Mi&nimize"}, {SC_MAXIMIZE, u"Ma&ximize"}, {0, nullptr},
                                   {SC_CLOSE, u"&Close\tAlt+F4"}};
  for (const Entry& e : kEntries) {
    if (!e.text) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    else AppendMenuW(menu, MF_STRING, e.id, e.text);
  }
  SetMenuDefaultItem(menu, SC_CLOSE, FALSE);
}

}  // namespace

bool SnapshotMenu(HMENU menu, std::vector<MenuItemView>* items) {
  MenuGuard guard(g_menuMutex);
  auto m = Menus().Get(reinterpret_cast<uintptr_t>(menu));
  if (!m) return false;
  items->clear();
  for (const MenuItem& it : m->items) items->push_back(MenuItemView{it.type, it.state, it.id, it.submenu, it.text});
  return true;
}

bool IsSystemMenu(HMENU menu, HWND* window) {
  MenuGuard guard(g_menuMutex);
  auto m = Menus().Get(reinterpret_cast<uintptr_t>(menu));
  if (!m || !m->systemMenuOf) return false;
  if (window) *window = m->systemMenuOf;
  return true;
}

}  // namespace platform::detail

using namespace platform::detail;

HMENU CreateMenu() { return NewMenu(false); }
HMENU CreatePopupMenu() { return NewMenu(true); }

BOOL DestroyMenu(HMENU menu) {
  MenuGuard guard(g_menuMutex);
  auto m = GetMenuPtr(menu);
  if (!m) return FALSE;
  if (m->systemMenuOf) SystemMenus().erase(m->systemMenuOf);
  DestroyMenuTree(menu);
  return TRUE;
}

BOOL IsMenu(HMENU menu) { return Menus().Contains(reinterpret_cast<uintptr_t>(menu)) ? TRUE : FALSE; }

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idOrSubmenu, LPCWSTR text) {
  MenuItem item;
  if (!ItemFromFlags(flags, idOrSubmenu, text, &item)) return FALSE;
  return InsertItem(menu, 0, true, true, item);
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrSubmenu, LPCSTR text) {
  if (flags & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR))
    return AppendMenuW(menu, flags, idOrSubmenu, reinterpret_cast<LPCWSTR>(text));
  const std::u16string wide = Wide(text);
  return AppendMenuW(menu, flags, idOrSubmenu, text ? wide.c_str() : nullptr);
}

BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubmenu, LPCWSTR text) {
  MenuItem item;
  if (!ItemFromFlags(flags, idOrSubmenu, text, &item)) return FALSE;
  return InsertItem(menu, position, flags & MF_BYPOSITION, false, item);
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubmenu, LPCSTR text) {
  if (flags & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR))
    return InsertMenuW(menu, position, flags, idOrSubmenu, reinterpret_cast<LPCWSTR>(text));
  const std::u16string wide = Wide(text);
  return InsertMenuW(menu, position, flags, idOrSubmenu, text ? wide.c_str() : nullptr);
}

BOOL ModifyMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubmenu, LPCWSTR text) {
  MenuItem item;
  MenuGuard guard(g_menuMutex);
  if (!ItemFromFlags(flags, idOrSubmenu, text, &item)) return FALSE;
  Found found;
  if (!FindOrFail(menu, position, flags & MF_BYPOSITION, &found)) return FALSE;
  if (item.submenu && WouldCycle(menu, item.submenu)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  MenuItem& target = found.item();
  // The old submenu is destroyed when replaced, as the item owned it.
  if (target.submenu && target.submenu != item.submenu) DestroyMenuTree(target.submenu);
  item.data = (flags & MF_OWNERDRAW) ? item.data : target.data;
  target = item;
  return TRUE;
}

BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubmenu, LPCSTR text) {
  if (flags & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR))
    return ModifyMenuW(menu, position, flags, idOrSubmenu, reinterpret_cast<LPCWSTR>(text));
  const std::u16string wide = Wide(text);
  return ModifyMenuW(menu, position, flags, idOrSubmenu, text ? wide.c_str() : nullptr);
}

BOOL InsertMenuItemW(HMENU menu, UINT position, BOOL byPosition, const MENUITEMINFOW* info) {
  if (!ValidInfo(info)) return FALSE;
  std::u16string text = info->dwTypeData ? std::u16string(info->dwTypeData) : std::u16string();
  return InsertFromInfo(menu, position, byPosition, info, &text);
}

BOOL InsertMenuItemA(HMENU menu, UINT position, BOOL byPosition, const MENUITEMINFOA* info) {
  if (!ValidInfo(info)) return FALSE;
  std::u16string text;
  const MENUITEMINFOW wide = WideInfo(info, &text);
  return InsertFromInfo(menu, position, byPosition, &wide, &text);
}

BOOL GetMenuItemInfoW(HMENU menu, UINT position, BOOL byPosition, MENUITEMINFOW* info) {
  return GetInfo<MENUITEMINFOW, char16_t>(menu, position, byPosition, info);
}

BOOL GetMenuItemInfoA(HMENU menu, UINT position, BOOL byPosition, MENUITEMINFOA* info) {
  return GetInfo<MENUITEMINFOA, char>(menu, position, byPosition, info);
}

BOOL SetMenuItemInfoW(HMENU menu, UINT position, BOOL byPosition, const MENUITEMINFOW* info) {
  if (!ValidInfo(info)) return FALSE;
  std::u16string text = info->dwTypeData ? std::u16string(info->dwTypeData) : std::u16string();
  return SetFromInfo(menu, position, byPosition, info, &text);
}

BOOL SetMenuItemInfoA(HMENU menu, UINT position, BOOL byPosition, const MENUITEMINFOA* info) {
  if (!ValidInfo(info)) return FALSE;
  std::u16string text;
  const MENUITEMINFOW wide = WideInfo(info, &text);
  return SetFromInfo(menu, position, byPosition, &wide, &text);
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) { return RemoveItem(menu, position, flags, true); }
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) { return RemoveItem(menu, position, flags, false); }

DWORD EnableMenuItem(HMENU menu, UINT position, UINT enable) {
  MenuGuard guard(g_menuMutex);
  Found found;
  if (!FindOrFail(menu, position, enable & MF_BYPOSITION, &found)) return static_cast<DWORD>(-1);
  MenuItem& item = found.item();
  const DWORD previous = item.state & (MF_GRAYED | MF_DISABLED);
  item.state = (item.state & ~MFS_GRAYED) | (enable & (MF_GRAYED | MF_DISABLED));
  return previous;
}

DWORD CheckMenuItem(HMENU menu, UINT position, UINT check) {
  MenuGuard guard(g_menuMutex);
  Found found;
  if (!FindOrFail(menu, position, check & MF_BYPOSITION, &found)) return static_cast<DWORD>(-1);
  MenuItem& item = found.item();
  const DWORD previous = item.state & MF_CHECKED;
  item.state = (item.state & ~MF_CHECKED) | (check & MF_CHECKED);
  return previous;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
  MenuGuard guard(g_menuMutex);
  auto m = GetMenuPtr(menu);
  if (!m) return FALSE;
  const bool byPosition = flags & MF_BYPOSITION;
  bool checkedOne = false;
  for (size_t i = 0; i < m->items.size(); ++i) {
    MenuItem& item = m->items[i];
    const UINT key = byPosition ? static_cast<UINT>(i) : item.id;
    if (item.submenu || key < first || key > last) continue;
    if (key == check) {
      item.state |= MF_CHECKED;
      item.type |= MFT_RADIOCHECK;
      checkedOne = true;
    } else {
      item.state &= ~MF_CHECKED;
    }
  }
  if (!checkedOne) SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
  return checkedOne ? TRUE : FALSE;
}

BOOL SetMenuDefaultItem(HMENU menu, UINT position, UINT byPosition) {
  MenuGuard guard(g_menuMutex);
  auto m = GetMenuPtr(menu);
  if (!m) return FALSE;
  // Only the menu's own items take part; -1 clears the default.
  long index = -1;
  if (position != UINT(-1)) {
    for (size_t i = 0; i < m->items.size() && index < 0; ++i)
      if (byPosition ? i == position : (m->items[i].id == position && !m->items[i].submenu)) index = static_cast<long>(i);
    if (index < 0) {
      SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
      return FALSE;
    }
  }
  for (size_t i = 0; i < m->items.size(); ++i) {
    if (static_cast<long>(i) == index) m->items[i].state |= MFS_DEFAULT;
    else m->items[i].state &= ~MFS_DEFAULT;
  }
  return TRUE;
}

UINT GetMenuDefaultItem(HMENU menu, UINT byPosition, UINT flags) {
  MenuGuard guard(g_menuMutex);
  auto m = GetMenuPtr(menu);
  if (!m) return UINT(-1);
  for (size_t i = 0; i < m->items.size(); ++i) {
    const MenuItem& item = m->items[i];
    if (!(item.state & MFS_DEFAULT)) continue;
    if ((item.state & MFS_GRAYED) && !(flags & GMDI_USEDISABLED)) return UINT(-1);
    if (item.submenu && (flags & GMDI_GOINTOPOPUPS)) {
      const UINT inner = GetMenuDefaultItem(item.submenu, byPosition, flags);
      if (inner != UINT(-1)) return inner;
    }
    return byPosition ? static_cast<UINT>(i) : item.id;
  }
  return UINT(-1);
}

int GetMenuItemCount(HMENU menu) {
  MenuGuard guard(g_menuMutex);
  auto m = GetMenuPtr(menu);
  return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  MenuGuard guard(g_menuMutex);
  auto m = GetMenuPtr(menu);
  if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size()) return UINT(-1);
  const MenuItem& item = m->items[position];
  return item.submenu ? UINT(-1) : item.id;
}

UINT GetMenuState(HMENU menu, UINT position, UINT flags) {
  MenuGuard guard(g_menuMutex);
  Found found;
  if (!FindOrFail(menu, position, flags & MF_BYPOSITION, &found)) return UINT(-1);
  const MenuItem& item = found.item();
  UINT state = (item.state & (MF_CHECKED | MF_HILITE | MF_DEFAULT | MFS_GRAYED)) |
               (item.type & (MF_BITMAP | MF_OWNERDRAW | MF_MENUBARBREAK | MF_MENUBREAK | MF_SEPARATOR));
  if (item.submenu) {
    auto sub = Menus().Get(reinterpret_cast<uintptr_t>(item.submenu));
    state |= MF_POPUP | (static_cast<UINT>(sub ? std::min<size_t>(sub->items.size(), 255) : 0) << 8);
  }
  return state;
}

int GetMenuStringW(HMENU menu, UINT position, LPWSTR buffer, int capacity, UINT flags) {
  MenuGuard guard(g_menuMutex);
  Found found;
  if (!FindOrFail(menu, position, flags & MF_BYPOSITION, &found)) return 0;
  const std::u16string& text = found.item().text;
  if (!buffer || capacity <= 0) return static_cast<int>(text.size());
  const size_t count = std::min<size_t>(text.size(), static_cast<size_t>(capacity - 1));
  std::memcpy(buffer, text.data(), count * sizeof(char16_t));
  buffer[count] = 0;
  return static_cast<int>(count);
}

int GetMenuStringA(HMENU menu, UINT position, LPSTR buffer, int capacity, UINT flags) {
  std::u16string text;
  {
    MenuGuard guard(g_menuMutex);
    Found found;
    if (!FindOrFail(menu, position, flags & MF_BYPOSITION, &found)) return 0;
    text = found.item().text;
  }
  const std::string narrow = ToNarrow(text);
  if (!buffer || capacity <= 0) return static_cast<int>(narrow.size());
  size_t count = std::min<size_t>(narrow.size(), static_cast<size_t>(capacity - 1));
  while (count > 0 && count < narrow.size() && (static_cast<unsigned char>(narrow[count]) & 0xC0) == 0x80) --count;
  std::memcpy(buffer, narrow.data(), count);
  buffer[count] = 0;
  return static_cast<int>(count);
}

HMENU GetSubMenu(HMENU menu, int position) {
  MenuGuard guard(g_menuMutex);
  auto m = GetMenuPtr(menu);
  if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size()) return nullptr;
  return m->items[position].submenu;
}

HMENU GetSystemMenu(HWND hwnd, BOOL revert) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  MenuGuard guard(g_menuMutex);
  auto& menus = SystemMenus();
  // Drop copies of windows that have gone (handles are never reused while stale).
  for (auto it = menus.begin(); it != menus.end();) {
    if (!IsWindow(it->first)) {
      DestroyMenuTree(it->second);
      it = menus.erase(it);
    } else {
      ++it;
    }
  }
  auto it = menus.find(hwnd);
  if (revert) {
    if (it != menus.end()) {
      DestroyMenuTree(it->second);
      menus.erase(it);
    }
    return nullptr;
  }
  if (it != menus.end()) return it->second;
  HMENU menu = CreatePopupMenu();
  FillSystemMenu(menu);
  Menus().Get(reinterpret_cast<uintptr_t>(menu))->systemMenuOf = hwnd;
  menus[hwnd] = menu;
  return menu;
}

HMENU GetMenu(HWND hwnd) {
  WindowPtr w = GetWindowPtr(hwnd);
  if (!w) return nullptr;
  UserGuard guard(UserLock());
  return (w->style & WS_CHILD) ? nullptr : w->menu;
}
