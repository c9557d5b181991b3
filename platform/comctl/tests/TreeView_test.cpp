// The tree view through its messages: structure and navigation, expansion and selection with
// their notifications, hit tests, mouse and keys, check boxes, custom draw, sorting, scroll
// bars through the function table, and display callbacks.

#include "platform/comctl/TreeView.h"

#include <gtest/gtest.h>

#include "platform/comctl/tests/NotifyRecorder.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Pictures.h"
#include "platform/user/FunctionTable.h"
#include "platform/user/ScrollBars.h"

namespace {

using namespace platform;
using comctltest::Heard;
using comctltest::ParentWindow;
namespace pt = platform::testing;

class TreeViewTest : public comctltest::ComctlTest {
 protected:
  void SetUp() override {
    ComctlTest::SetUp();
    parent = std::make_unique<ParentWindow>();
    parent->describe = [](NMHDR* header, Heard* h) {
      switch (header->code) {
        case TVN_SELCHANGINGW: case TVN_SELCHANGEDW: case TVN_ITEMEXPANDINGW: case TVN_ITEMEXPANDEDW:
        case TVN_DELETEITEMW: case TVN_BEGINDRAGW: case TVN_BEGINRDRAGW: case TVN_SINGLEEXPAND: {
          auto* nm = reinterpret_cast<NMTREEVIEWW*>(header);
          h->action = nm->action;
          h->oldItem = nm->itemOld.hItem;
          h->newItem = nm->itemNew.hItem;
          break;
        }
        default: break;
      }
    };
  }
  void TearDown() override {
    parent.reset();
    ComctlTest::TearDown();
  }

  HWND MakeTree(DWORD style, int width = 200, int height = 160) {
    tree = CreateWindowExW(0, WC_TREEVIEWW, u"", WS_CHILD | WS_VISIBLE | style, 10, 10, width, height, parent->hwnd,
                           reinterpret_cast<HMENU>(7), nullptr, nullptr);
    EXPECT_NE(tree, nullptr);
    return tree;
  }
  HTREEITEM Add(const std::u16string& text, HTREEITEM under = TVI_ROOT, HTREEITEM after = TVI_LAST, LPARAM data = 0) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = under;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<LPWSTR>(text.c_str());
    insert.item.lParam = data;
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  }
  HTREEITEM Next(WPARAM code, HTREEITEM item = nullptr) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
  }
  std::u16string Text(HTREEITEM item) {
    char16_t buffer[64] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = buffer;
    tv.cchTextMax = 64;
    if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return u"<none>";
    return buffer;
  }
  std::u16string Children(HTREEITEM under) {
    std::u16string out;
    for (HTREEITEM c = Next(TVGN_CHILD, under); c; c = Next(TVGN_NEXT, c)) out += (out.empty() ? u"" : u",") + Text(c);
    return out;
  }
  RECT ItemRect(HTREEITEM item, bool label) {
    RECT r{};
    *reinterpret_cast<HTREEITEM*>(&r) = item;
    EXPECT_TRUE(SendMessageW(tree, TVM_GETITEMRECT, label, reinterpret_cast<LPARAM>(&r)));
    return r;
  }
  POINT Screen(int x, int y) { return pt::ScreenPoint(tree, x, y); }
  bool Expanded(HTREEITEM item) { return SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) != 0; }
  UINT CheckIndex(HTREEITEM item) {
    return static_cast<UINT>(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK)) >> 12;
  }

  std::unique_ptr<ParentWindow> parent;
  HWND tree = nullptr;
};

TEST_F(TreeViewTest, InsertsWhereAskedAndNavigates) {
  MakeTree(TVS_HASLINES);
  HTREEITEM b = Add(u"b");
  HTREEITEM a = Add(u"a", TVI_ROOT, TVI_FIRST);
  HTREEITEM d = Add(u"d");
  HTREEITEM c = Add(u"c", TVI_ROOT, b);
  Add(u"bb", TVI_ROOT, TVI_SORT);
  EXPECT_EQ(Children(TVI_ROOT), u"a,b,bb,c,d");
  HTREEITEM child = Add(u"child", c);
  EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 6);
  EXPECT_EQ(Next(TVGN_ROOT), a);
  EXPECT_EQ(Next(TVGN_PREVIOUS, c), Next(TVGN_NEXT, b));
  EXPECT_EQ(Next(TVGN_PARENT, child), c);
  EXPECT_EQ(Next(TVGN_PARENT, a), nullptr);
  EXPECT_EQ(Next(TVGN_CHILD, c), child);
  EXPECT_EQ(Next(TVGN_LASTVISIBLE), d);
  // A collapsed child is not among the rows until its parent opens.
  EXPECT_EQ(Next(TVGN_NEXTVISIBLE, c), d);
  RECT r{};
  *reinterpret_cast<HTREEITEM*>(&r) = child;
  EXPECT_FALSE(SendMessageW(tree, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&r)));
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(c));
  EXPECT_EQ(Next(TVGN_NEXTVISIBLE, c), child);
  EXPECT_EQ(Next(TVGN_PREVIOUSVISIBLE, d), child);

  // Handles that are not live items are refused, never followed.
  auto bogus = reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(0x1234560));
  EXPECT_EQ(Next(TVGN_NEXT, bogus), nullptr);
  EXPECT_EQ(Text(bogus), u"<none>");
  EXPECT_FALSE(SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(bogus)));
  EXPECT_FALSE(SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(bogus)));
  TVINSERTSTRUCTW insert{};
  insert.hParent = bogus;
  insert.hInsertAfter = TVI_LAST;
  EXPECT_EQ(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)), 0);

  parent->heard.clear();
  EXPECT_TRUE(SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(c)));
  EXPECT_EQ(parent->Codes({TVN_DELETEITEMW}), (std::vector<UINT>{TVN_DELETEITEMW, TVN_DELETEITEMW}));
  EXPECT_EQ(parent->heard[0].oldItem, child);  // children go first
  EXPECT_EQ(Children(TVI_ROOT), u"a,b,bb,d");
  EXPECT_EQ(Next(TVGN_NEXT, child), nullptr);
}

TEST_F(TreeViewTest, ExpandingNotifiesOnceByMessageAndCanBeRefused) {
  MakeTree(TVS_HASBUTTONS | TVS_LINESATROOT);
  HTREEITEM top = Add(u"top");
  HTREEITEM leaf = Add(u"leaf", top);
  HTREEITEM empty = Add(u"empty");
  const std::vector<UINT> kExpand = {TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDEDW};

  // An item without children does not expand and says nothing.
  EXPECT_FALSE(SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(empty)));
  EXPECT_TRUE(parent->Codes(kExpand).empty());

  // The parent may refuse.
  parent->onNotify = [](NMHDR* h, bool* handled) -> LRESULT {
    *handled = h->code == TVN_ITEMEXPANDINGW;
    return 1;
  };
  EXPECT_FALSE(SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top)));
  EXPECT_FALSE(Expanded(top));
  parent->onNotify = nullptr;
  parent->heard.clear();
  EXPECT_TRUE(SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top)));
  EXPECT_TRUE(Expanded(top));
  EXPECT_EQ(parent->Codes(kExpand), kExpand);
  EXPECT_EQ(parent->heard[0].action, TVE_EXPAND);
  EXPECT_EQ(parent->heard[0].newItem, top);

  // Once it has been open, messages expand and collapse silently; the mouse still tells.
  parent->heard.clear();
  SendMessageW(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(top));
  SendMessageW(tree, TVM_EXPAND, TVE_TOGGLE, reinterpret_cast<LPARAM>(top));
  EXPECT_TRUE(Expanded(top));
  EXPECT_TRUE(parent->Codes(kExpand).empty());
  Pump();
  const RECT row = ItemRect(top, false);
  const RECT label = ItemRect(top, true);
  const int buttonX = label.left - 19 / 2 - 3;
  pt::Click(Screen(buttonX, (row.top + row.bottom) / 2));
  Pump();
  EXPECT_FALSE(Expanded(top));
  EXPECT_EQ(parent->Codes(kExpand), kExpand);

  // Collapsing hides the selection, so the selection moves up to the collapsed item.
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(leaf));
  SendMessageW(tree, TVM_EXPAND, TVE_COLLAPSE | TVE_COLLAPSERESET, reinterpret_cast<LPARAM>(top));
  EXPECT_EQ(Next(TVGN_CARET), top);
  EXPECT_EQ(Next(TVGN_CHILD, top), nullptr);  // the reset deleted the children
}

TEST_F(TreeViewTest, SelectionNotifiesWithCauseAndVetoAndFollowsDeletion) {
  MakeTree(TVS_HASLINES);
  HTREEITEM a = Add(u"a");
  HTREEITEM b = Add(u"b");
  HTREEITEM c = Add(u"c");
  EXPECT_TRUE(SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(b)));
  const Heard* changed = parent->Last(TVN_SELCHANGEDW);
  ASSERT_NE(changed, nullptr);
  EXPECT_EQ(changed->oldItem, nullptr);
  EXPECT_EQ(changed->newItem, b);
  EXPECT_EQ(changed->action, TVC_UNKNOWN);
  EXPECT_EQ(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(b), TVIS_SELECTED), TVIS_SELECTED);

  parent->onNotify = [](NMHDR* h, bool* handled) -> LRESULT {
    *handled = h->code == TVN_SELCHANGINGW;
    return 1;
  };
  EXPECT_FALSE(SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(c)));
  EXPECT_EQ(Next(TVGN_CARET), b);
  parent->onNotify = nullptr;

  // Keys select with TVC_BYKEYBOARD; the mouse with TVC_BYMOUSE, after NM_CLICK.
  SetFocus(tree);
  pt::KeyPress(VK_DOWN);
  Pump();
  EXPECT_EQ(Next(TVGN_CARET), c);
  EXPECT_EQ(parent->Last(TVN_SELCHANGEDW)->action, TVC_BYKEYBOARD);
  parent->heard.clear();
  const RECT label = ItemRect(a, true);
  pt::Click(Screen(label.left + 3, label.top + 3));
  Pump();
  EXPECT_EQ(Next(TVGN_CARET), a);
  EXPECT_EQ(parent->Codes({NM_CLICK, TVN_SELCHANGINGW, TVN_SELCHANGEDW}),
            (std::vector<UINT>{NM_CLICK, TVN_SELCHANGINGW, TVN_SELCHANGEDW}));
  EXPECT_EQ(parent->Last(TVN_SELCHANGEDW)->action, TVC_BYMOUSE);

  // Deleting the selected item selects its next sibling, else the previous one.
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(b));
  SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(b));
  EXPECT_EQ(Next(TVGN_CARET), c);
  SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(c));
  EXPECT_EQ(Next(TVGN_CARET), a);
  SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  EXPECT_EQ(Next(TVGN_CARET), nullptr);
  EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 0);
}

TEST_F(TreeViewTest, HitTestsNameEachPartOfARow) {
  MakeTree(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_CHECKBOXES);
  HTREEITEM top = Add(u"Top item");
  HTREEITEM child = Add(u"Child", top);
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
  const RECT label = ItemRect(top, true);
  const RECT childLabel = ItemRect(child, true);
  const int indent = static_cast<int>(SendMessageW(tree, TVM_GETINDENT, 0, 0));
  const int y = (label.top + label.bottom) / 2;
  const int cy = (childLabel.top + childLabel.bottom) / 2;
  const int height = static_cast<int>(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0));
  struct Case {
    POINT at;
    UINT flags;
    HTREEITEM item;
  } cases[] = {
      {{label.left + 2, y}, TVHT_ONITEMLABEL, top},
      {{label.left - 8, y}, TVHT_ONITEMSTATEICON, top},
      {{label.left - 16 - indent / 2 - 3, y}, TVHT_ONITEMBUTTON, top},
      {{label.right + 10, y}, TVHT_ONITEMRIGHT, top},
      {{childLabel.left - 16 - indent / 2 - 3, cy}, TVHT_ONITEMINDENT, child},  // a leaf has no button
      {{1, cy}, TVHT_ONITEMINDENT, child},
      {{20, height * 5}, TVHT_NOWHERE, nullptr},
      {{-5, y}, TVHT_TOLEFT, nullptr},
      {{20, -3}, TVHT_ABOVE, nullptr},
      {{500, 500}, TVHT_TORIGHT | TVHT_BELOW, nullptr},
  };
  for (const Case& c : cases) {
    TVHITTESTINFO info{c.at, 0, nullptr};
    const auto found = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(info.flags, c.flags) << c.at.x << "," << c.at.y;
    EXPECT_EQ(info.hItem, c.item) << c.at.x << "," << c.at.y;
    EXPECT_EQ(found, c.item);
  }
}

TEST_F(TreeViewTest, CheckBoxesToggleByClickAndSpaceUnlessTheClickIsHandled) {
  MakeTree(TVS_CHECKBOXES);
  HTREEITEM a = Add(u"alpha");
  HTREEITEM b = Add(u"beta");
  EXPECT_EQ(CheckIndex(a), 1u);  // new items start unchecked
  const RECT label = ItemRect(a, true);
  const POINT box = Screen(label.left - 8, (label.top + label.bottom) / 2);
  pt::Click(box);
  Pump();
  EXPECT_EQ(CheckIndex(a), 2u);
  EXPECT_EQ(Next(TVGN_CARET), nullptr);  // a click on the box does not select
  // A parent that handles NM_CLICK keeps the box as it is.
  parent->onNotify = [](NMHDR* h, bool* handled) -> LRESULT {
    *handled = h->code == NM_CLICK;
    return 1;
  };
  pt::Click(box);
  Pump();
  EXPECT_EQ(CheckIndex(a), 2u);
  parent->onNotify = nullptr;
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(b));
  SetFocus(tree);
  pt::KeyPress(VK_SPACE);
  Pump();
  EXPECT_EQ(CheckIndex(b), 2u);

  // The style switched on later gives existing items their boxes.
  DestroyWindow(tree);
  MakeTree(0);
  HTREEITEM late = Add(u"late");
  EXPECT_EQ(CheckIndex(late), 0u);
  SetWindowLongPtrW(tree, GWL_STYLE, GetWindowLongPtrW(tree, GWL_STYLE) | TVS_CHECKBOXES);
  EXPECT_EQ(CheckIndex(late), 1u);
}

TEST_F(TreeViewTest, MouseAndKeysTable) {
  MakeTree(TVS_HASBUTTONS | TVS_LINESATROOT);
  HTREEITEM top = Add(u"top");
  HTREEITEM kid = Add(u"kid", top);
  HTREEITEM other = Add(u"other");
  SetFocus(tree);
  // Keys from a starting selection: where the selection ends and whether `top` is open.
  struct Case {
    HTREEITEM from;
    bool openFirst;
    WPARAM key;
    HTREEITEM selected;
    bool open;
  } cases[] = {
      {top, false, VK_RIGHT, top, true},  {top, true, VK_RIGHT, kid, true},   {kid, true, VK_LEFT, top, true},
      {top, true, VK_LEFT, top, false},   {top, false, VK_ADD, top, true},    {top, true, VK_SUBTRACT, top, false},
      {top, false, VK_END, other, false}, {other, true, VK_HOME, top, true},  {other, true, VK_UP, kid, true},
      {kid, true, VK_BACK, top, true},    {top, false, VK_MULTIPLY, top, true},
  };
  for (const Case& c : cases) {
    SendMessageW(tree, TVM_EXPAND, c.openFirst ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(top));
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(c.from));
    pt::KeyPress(static_cast<int>(c.key));
    Pump();
    EXPECT_EQ(Next(TVGN_CARET), c.selected) << "key " << c.key;
    EXPECT_EQ(Expanded(top), c.open) << "key " << c.key;
  }
  // Typing the start of a label selects it (after a pause, a new search starts).
  pt::AdvanceClock(1500);
  pt::TypeText(u"o");
  Pump();
  EXPECT_EQ(Next(TVGN_CARET), other);

  // A double click on a label toggles the item; a right click says NM_RCLICK.
  SendMessageW(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(top));
  const RECT label = ItemRect(top, true);
  parent->heard.clear();
  pt::DoubleClick(Screen(label.left + 4, label.top + 3));
  Pump();
  EXPECT_TRUE(Expanded(top));
  EXPECT_EQ(parent->Codes({NM_DBLCLK}).size(), 1u);
  pt::Click(Screen(label.left + 4, label.top + 3), pt::MouseButton::Right);
  Pump();
  EXPECT_EQ(parent->Codes({NM_RCLICK}).size(), 1u);
}

TEST_F(TreeViewTest, DraggingAnItemAsksTheParentUnlessDisabled) {
  for (DWORD style : {DWORD{0}, TVS_DISABLEDRAGDROP}) {
    MakeTree(style);
    HTREEITEM a = Add(u"drag me");
    Add(u"below");
    const RECT label = ItemRect(a, true);
    parent->heard.clear();
    pt::Drag(Screen(label.left + 4, label.top + 3), Screen(label.left + 40, label.top + 30));
    Pump();
    const Heard* drag = parent->Last(TVN_BEGINDRAGW);
    if (style == 0) {
      ASSERT_NE(drag, nullptr);
      EXPECT_EQ(drag->newItem, a);
    } else {
      EXPECT_EQ(drag, nullptr);
    }
    EXPECT_EQ(Next(TVGN_CARET), nullptr);  // a drag does not select
    DestroyWindow(tree);
  }
}

TEST_F(TreeViewTest, SingleExpandOpensTheNewBranchAndClosesTheOld) {
  MakeTree(TVS_SINGLEEXPAND | TVS_HASBUTTONS);
  HTREEITEM a = Add(u"a");
  Add(u"a1", a);
  HTREEITEM b = Add(u"b");
  Add(u"b1", b);
  SetFocus(tree);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a));
  EXPECT_TRUE(Expanded(a));
  RECT label = ItemRect(b, true);
  pt::Click(Screen(label.left + 3, label.top + 3));
  Pump();
  EXPECT_EQ(Next(TVGN_CARET), b);
  EXPECT_TRUE(Expanded(b));
  EXPECT_FALSE(Expanded(a));
  EXPECT_NE(parent->Last(TVN_SINGLEEXPAND), nullptr);
}

TEST_F(TreeViewTest, ItemRecordsInBothTextFormsAndCallbacks) {
  MakeTree(0);
  HTREEITEM a = Add(u"Grüße");
  char buffer[8] = {};
  TVITEMA tv{};
  tv.mask = TVIF_TEXT | TVIF_STATE;
  tv.hItem = a;
  tv.pszText = buffer;
  tv.cchTextMax = 5;  // "Grü" is 4 bytes, the next character would not fit whole
  tv.stateMask = TVIS_BOLD;
  ASSERT_TRUE(SendMessageW(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)));
  EXPECT_STREQ(buffer, "Grü");
  tv.mask = TVIF_TEXT | TVIF_STATE;
  tv.pszText = const_cast<LPSTR>("Hallo");
  tv.state = TVIS_BOLD | INDEXTOOVERLAYMASK(2);
  tv.stateMask = TVIS_BOLD | TVIS_OVERLAYMASK;
  ASSERT_TRUE(SendMessageW(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv)));
  EXPECT_EQ(Text(a), u"Hallo");
  EXPECT_EQ(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(a), TVIS_OVERLAYMASK | TVIS_BOLD),
            static_cast<LRESULT>(TVIS_BOLD | INDEXTOOVERLAYMASK(2)));

  // Text and children asked for when needed; an answer with TVIF_DI_SETITEM is kept.
  int asked = 0;
  parent->onNotify = [&](NMHDR* h, bool* handled) -> LRESULT {
    if (h->code == TVN_GETDISPINFOW) {
      auto* di = reinterpret_cast<NMTVDISPINFOW*>(h);
      ++asked;
      if (di->item.mask & TVIF_TEXT) {
        std::u16string text = u"from parent";
        std::copy(text.begin(), text.end() + 1, di->item.pszText);
      }
      if (di->item.mask & TVIF_CHILDREN) di->item.cChildren = 1;
      di->item.mask |= TVIF_DI_SETITEM;
    }
    *handled = false;
    return 0;
  };
  TVINSERTSTRUCTW insert{};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
  insert.item.pszText = LPSTR_TEXTCALLBACKW;
  insert.item.cChildren = I_CHILDRENCALLBACK;
  auto cb = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  EXPECT_EQ(Text(cb), u"from parent");
  const int afterFirst = asked;
  EXPECT_EQ(Text(cb), u"from parent");
  EXPECT_EQ(asked, afterFirst);  // kept
  TVITEMW children{};
  children.mask = TVIF_CHILDREN;
  children.hItem = cb;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&children));
  EXPECT_EQ(children.cChildren, 1);

  // A parent that wants UTF-8 gets the A codes.
  parent->onNotify = nullptr;
  parent->heard.clear();
  EXPECT_TRUE(SendMessageW(tree, CCM_SETUNICODEFORMAT, FALSE, 0));
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a));
  EXPECT_EQ(parent->Codes({TVN_SELCHANGEDA, TVN_SELCHANGEDW}), std::vector<UINT>{TVN_SELCHANGEDA});
}

TEST_F(TreeViewTest, SortsChildrenByCallbackOrText) {
  MakeTree(0);
  HTREEITEM top = Add(u"top");
  for (int v : {3, 1, 2}) {
    HTREEITEM c = Add(std::u16string(1, static_cast<char16_t>(u'a' + 3 - v)), top, TVI_LAST, v);
    for (int w : {2, 1}) Add(std::u16string(1, static_cast<char16_t>(u'0' + w)), c, TVI_LAST, w);
  }
  TVSORTCB sort{top, [](LPARAM x, LPARAM y, LPARAM descending) {
                  return static_cast<int>(descending ? y - x : x - y);
                }, 0};
  EXPECT_TRUE(SendMessageW(tree, TVM_SORTCHILDRENCB, TRUE, reinterpret_cast<LPARAM>(&sort)));
  EXPECT_EQ(Children(top), u"c,b,a");
  EXPECT_EQ(Children(Next(TVGN_CHILD, top)), u"1,2");  // recursive
  EXPECT_TRUE(SendMessageW(tree, TVM_SORTCHILDREN, FALSE, reinterpret_cast<LPARAM>(top)));
  EXPECT_EQ(Children(top), u"a,b,c");
  TVSORTCB none{top, nullptr, 0};
  EXPECT_FALSE(SendMessageW(tree, TVM_SORTCHILDRENCB, FALSE, reinterpret_cast<LPARAM>(&none)));
}

TEST_F(TreeViewTest, ItemHeightIndentAndColours) {
  MakeTree(0);
  HTREEITEM a = Add(u"a");
  const LRESULT own = SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0);
  EXPECT_GT(own, 10);
  EXPECT_EQ(SendMessageW(tree, TVM_SETITEMHEIGHT, 24, 0), own);
  EXPECT_EQ(ItemRect(a, false).bottom - ItemRect(a, false).top, 24);
  SendMessageW(tree, TVM_SETITEMHEIGHT, 25, 0);
  EXPECT_EQ(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0), 24);  // kept even
  SendMessageW(tree, TVM_SETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0), own);
  SendMessageW(tree, TVM_SETINDENT, 30, 0);
  EXPECT_EQ(SendMessageW(tree, TVM_GETINDENT, 0, 0), 30);
  EXPECT_EQ(SendMessageW(tree, TVM_SETBKCOLOR, 0, RGB(1, 2, 3)), -1);
  EXPECT_EQ(SendMessageW(tree, TVM_GETBKCOLOR, 0, 0), static_cast<LRESULT>(RGB(1, 2, 3)));
  EXPECT_EQ(SendMessageW(tree, TVM_SETBKCOLOR, 0, -1), static_cast<LRESULT>(RGB(1, 2, 3)));
  EXPECT_EQ(SendMessageW(tree, TVM_GETBKCOLOR, 0, 0), -1);
}

// Custom draw: the stages asked for, the colours an answer sets, and skipping.
TEST_F(TreeViewTest, CustomDrawStagesAndColours) {
  MakeTree(0, 160, 100);
  HTREEITEM a = Add(u"WWWWWW");
  HTREEITEM b = Add(u"WWWWWW");
  SendMessageW(tree, TVM_SETBKCOLOR, 0, RGB(255, 255, 255));
  std::vector<std::pair<DWORD, void*>> stages;
  parent->onNotify = [&](NMHDR* h, bool* handled) -> LRESULT {
    if (h->code != NM_CUSTOMDRAW) return 0;
    auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(h);
    stages.emplace_back(cd->nmcd.dwDrawStage, reinterpret_cast<void*>(cd->nmcd.dwItemSpec));
    *handled = true;
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
      if (reinterpret_cast<HTREEITEM>(cd->nmcd.dwItemSpec) == b) return CDRF_SKIPDEFAULT;
      cd->clrText = RGB(255, 0, 0);
      cd->clrTextBk = RGB(0, 0, 255);
      return CDRF_NOTIFYPOSTPAINT;
    }
    return CDRF_DODEFAULT;
  };
  InvalidateRect(tree, nullptr, TRUE);
  UpdateWindow(tree);
  const std::vector<std::pair<DWORD, void*>> expected = {
      {CDDS_PREPAINT, nullptr}, {CDDS_ITEMPREPAINT, a}, {CDDS_ITEMPOSTPAINT, a}, {CDDS_ITEMPREPAINT, b}, {CDDS_POSTPAINT, nullptr}};
  EXPECT_EQ(stages, expected);
  const pt::Image image = pt::ReadWindow(tree);
  const RECT la = ItemRect(a, true);
  const RECT lb = ItemRect(b, true);
  bool red = false;
  for (int x = la.left; x < la.right; ++x)
    for (int y = la.top; y < la.bottom; ++y) red |= (image.At(x, y) & 0xFFFFFF) == 0xFF0000;
  EXPECT_TRUE(red) << "the answer's text colour";
  EXPECT_EQ(image.At(la.left + 1, la.top + 1) & 0xFFFFFF, 0x0000FFu) << "the answer's label background";
  for (int x = lb.left; x < lb.right; ++x) EXPECT_EQ(image.At(x, (lb.top + lb.bottom) / 2) & 0xFFFFFF, 0xFFFFFFu);
}

// The bars are set through the function table, so a replacement sees every change.
TEST_F(TreeViewTest, ScrollBarsGoThroughTheFunctionTableAndFollowTheRows) {
  static int calls = 0;
  const UserFunctionTable saved = UserFunctions();
  UserFunctions().SetScrollInfo = [](HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
    ++calls;
    return OriginalUserFunctions().SetScrollInfo(hwnd, bar, info, redraw);
  };
  MakeTree(TVS_HASLINES, 120, 100);
  HTREEITEM items[40];
  for (int i = 0; i < 40; ++i) items[i] = Add(u"item " + Utf8ToUtf16(std::to_string(i)));
  UserFunctions() = saved;
  EXPECT_GT(calls, 0);
  EXPECT_TRUE(GetWindowLongPtrW(tree, GWL_STYLE) & WS_VSCROLL);
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(tree, SB_VERT, &info);
  EXPECT_EQ(info.nMax, 39);
  const int page = static_cast<int>(SendMessageW(tree, TVM_GETVISIBLECOUNT, 0, 0));
  EXPECT_EQ(static_cast<int>(info.nPage), page);

  EXPECT_TRUE(SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(items[30])));
  EXPECT_EQ(Next(TVGN_FIRSTVISIBLE), items[30 - page + 1]);
  SendMessageW(tree, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(Next(TVGN_FIRSTVISIBLE), items[0]);
  SendMessageW(tree, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(Next(TVGN_FIRSTVISIBLE), items[1]);
  SendMessageW(tree, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(Next(TVGN_FIRSTVISIBLE), items[40 - page]);
  EXPECT_TRUE(SendMessageW(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(items[5])));
  EXPECT_EQ(Next(TVGN_FIRSTVISIBLE), items[5]);
  EXPECT_EQ(GetScrollPos(tree, SB_VERT), 5);

  SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  EXPECT_FALSE(GetWindowLongPtrW(tree, GWL_STYLE) & WS_VSCROLL);
}

TEST_F(TreeViewTest, DestroyingTheControlDeletesEveryItemWithNotice) {
  MakeTree(0);
  HTREEITEM a = Add(u"a");
  Add(u"b", a);
  Add(u"c");
  parent->heard.clear();
  DestroyWindow(tree);
  EXPECT_EQ(parent->Codes({TVN_DELETEITEMW}).size(), 3u);
}

TEST_F(TreeViewTest, PaintsIntoTheDcOfWmPaintAndPrintClient) {
  MakeTree(TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_CHECKBOXES, 120, 60);
  Add(u"WWW");
  SendMessageW(tree, TVM_SETBKCOLOR, 0, RGB(0, 128, 0));
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 120, 60);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (UINT msg : {UINT{WM_PRINTCLIENT}, UINT{WM_PAINT}}) {
    RECT all{0, 0, 120, 60};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (msg == WM_PAINT) SendMessageW(tree, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(tree, msg, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    const pt::Image image = pt::CaptureDc(dc);
    EXPECT_EQ(image.At(110, 50) & 0xFFFFFF, 0x008000u) << msg;
    int dark = 0;
    for (int x = 0; x < 120; ++x)
      for (int y = 0; y < 20; ++y) {
        const uint32_t p = image.At(x, y);
        dark += ((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60;
      }
    EXPECT_GT(dark, 10) << "text and box drawn, message " << msg;
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

}  // namespace

namespace {

// A tree with lines, buttons, check boxes and a selection, saved for looking at
// (tree_view.png in the test's temporary folder); checked here only for its layout.
TEST_F(TreeViewTest, PictureOfATreeWithCheckBoxes) {
  MakeTree(TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_CHECKBOXES | TVS_SHOWSELALWAYS, 220, 180);
  HTREEITEM titles = Add(u"Titles");
  HTREEITEM first = Add(u"Holiday 2026", titles);
  Add(u"Beach.mp4", first);
  Add(u"Hotel.mp4", first);
  HTREEITEM second = Add(u"Birthday", titles);
  Add(u"Cake.mp4", second);
  HTREEITEM menus = Add(u"Menus");
  Add(u"Main menu", menus);
  for (HTREEITEM i : {titles, first, second, menus}) SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(i));
  TVITEMW check{};
  check.mask = TVIF_STATE;
  check.hItem = first;
  check.state = INDEXTOSTATEIMAGEMASK(2);
  check.stateMask = TVIS_STATEIMAGEMASK;
  SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&check));
  SetFocus(tree);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(second));
  UpdateWindow(parent->hwnd);
  UpdateWindow(tree);
  std::string error;
  EXPECT_TRUE(pt::SaveWindowPng(parent->hwnd, ::testing::TempDir() + "tree_view.png", &error)) << error;
  EXPECT_EQ(Next(TVGN_LASTVISIBLE), Next(TVGN_CHILD, menus));
}

}  // namespace

namespace {

// Label editing: the parent may refuse to start, the edit child shows the text, Enter keeps
// what the parent accepts, Esc cancels, and a slow second click on the selection starts it.
TEST_F(TreeViewTest, LabelEditInAnEditChild) {
  MakeTree(TVS_EDITLABELS);
  HTREEITEM a = Add(u"Holiday");
  bool refuseStart = true;
  bool accept = false;
  std::vector<std::u16string> ended;  // "<null>" for a cancel
  parent->onNotify = [&](NMHDR* h, bool* handled) -> LRESULT {
    if (h->code == TVN_BEGINLABELEDITW) {
      *handled = true;
      return refuseStart;
    }
    if (h->code == TVN_ENDLABELEDITW) {
      auto* di = reinterpret_cast<NMTVDISPINFOW*>(h);
      ended.push_back(di->item.pszText ? std::u16string(di->item.pszText) : u"<null>");
      *handled = true;
      return accept;
    }
    return 0;
  };
  EXPECT_EQ(SendMessageW(tree, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(a)), 0);
  EXPECT_EQ(SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0), 0);
  refuseStart = false;

  struct Case {
    int key;
    bool accept;
    std::u16string heard;
    std::u16string text;
  } cases[] = {
      {VK_RETURN, false, u"Summer", u"Holiday"},  // the parent said no
      {VK_RETURN, true, u"Summer", u"Summer"},
      {VK_ESCAPE, true, u"<null>", u"Summer"},
  };
  for (const Case& c : cases) {
    ended.clear();
    accept = c.accept;
    auto edit = reinterpret_cast<HWND>(SendMessageW(tree, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(a)));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0)), edit);
    EXPECT_EQ(GetFocus(), edit);
    char16_t shown[32] = {};
    GetWindowTextW(edit, shown, 32);
    EXPECT_EQ(std::u16string(shown), Text(a));
    pt::TypeText(u"Summer");  // replaces the selected text
    pt::KeyPress(c.key);
    Pump();
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(ended, std::vector<std::u16string>{c.heard});
    EXPECT_EQ(Text(a), c.text);
    EXPECT_EQ(GetFocus(), tree);
  }

  // Leaving the edit keeps the text too.
  ended.clear();
  auto edit = reinterpret_cast<HWND>(SendMessageW(tree, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(a)));
  SetFocus(parent->hwnd);
  Pump();
  EXPECT_FALSE(IsWindow(edit));
  EXPECT_EQ(ended, std::vector<std::u16string>{u"Summer"});

  // A click on the label of the selected item starts editing once the double-click time is over.
  SetFocus(tree);
  const RECT label = ItemRect(a, true);
  pt::Click(Screen(label.left + 3, label.top + 3));
  Pump();
  EXPECT_EQ(SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0), 0);
  pt::AdvanceClock(GetDoubleClickTime() + 10);
  Pump();
  edit = reinterpret_cast<HWND>(SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0));
  EXPECT_NE(edit, nullptr);
  EXPECT_TRUE(SendMessageW(tree, TVM_ENDEDITLABELNOW, TRUE, 0));
  EXPECT_FALSE(IsWindow(edit));
}

// Images from the normal list: the selected image for the selection, overlays from the state.
TEST_F(TreeViewTest, DrawsImagesFromItsImageList) {
  MakeTree(0, 120, 60);
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32, 2, 1);
  for (COLORREF colour : {RGB(255, 0, 0), RGB(0, 0, 255)}) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 16, 16};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    ImageList_Add(list, bitmap, nullptr);
    DeleteObject(bitmap);
  }
  const LRESULT heightBefore = SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0);
  EXPECT_EQ(SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list)), 0);
  EXPECT_GE(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0), std::max<LRESULT>(heightBefore, 16));
  TVINSERTSTRUCTW insert{};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  insert.item.pszText = const_cast<LPWSTR>(u"x");
  insert.item.iImage = 0;
  insert.item.iSelectedImage = 1;
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  const RECT label = ItemRect(item, true);
  const int imageX = label.left - 9, imageY = (label.top + label.bottom) / 2;
  UpdateWindow(tree);
  EXPECT_EQ(pt::ReadWindow(tree).At(imageX, imageY) & 0xFFFFFF, 0xFF0000u);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  SendMessageW(tree, TVM_SETBKCOLOR, 0, RGB(255, 255, 255));
  UpdateWindow(tree);
  EXPECT_EQ(pt::ReadWindow(tree).At(imageX, imageY) & 0xFFFFFF, 0x0000FFu) << "unfocused: the selected image as it is";
  SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
  ImageList_Destroy(list);
}

}  // namespace
