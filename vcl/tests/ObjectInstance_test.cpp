// Window procedures bound to methods: distinct procedures per method, messages and results
// through a subclassed window, the pool running out, and what happens to freed procedures.

#include "vcl/ObjectInstance.h"

#include <gtest/gtest.h>

#include <vector>

#include "vcl/GraphicsObject.h"

namespace {

constexpr UINT kProbe = WM_USER + 77;

// Answers kProbe with its id plus the message's WParam; everything else goes on to the
// procedure it replaced.
class TProbeWindow {
 public:
  explicit TProbeWindow(int id) : id(id) {}
  void WndProc(TMessage& m) {
    seen.push_back(m.Msg);
    if (m.Msg == kProbe) m.Result = id + static_cast<LRESULT>(m.WParam);
    else if (previous && hwnd) m.Result = CallWindowProcA(previous, hwnd, m.Msg, m.WParam, m.LParam);
  }
  int id;
  HWND hwnd = nullptr;
  WNDPROC previous = nullptr;
  std::vector<UINT> seen;
};

HWND PlainWindow() {
  WNDCLASSA existing{};
  if (!GetClassInfoA(nullptr, "ObjectInstanceTest", &existing)) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = &DefWindowProcA;
    cls.lpszClassName = "ObjectInstanceTest";
    RegisterClassA(&cls);
  }
  return CreateWindowExA(0, "ObjectInstanceTest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

TEST(ObjectInstance, EachMethodGetsItsOwnProcedureAndItsWindowsMessages) {
  TProbeWindow first(100), second(200);
  WNDPROC one = MakeObjectInstance(&first, &TProbeWindow::WndProc);
  WNDPROC two = MakeObjectInstance(&second, &TProbeWindow::WndProc);
  ASSERT_NE(one, nullptr);
  EXPECT_NE(one, two);
  EXPECT_EQ(one(nullptr, kProbe, 5, 0), 105);
  EXPECT_EQ(two(nullptr, kProbe, 5, 0), 205);

  // As a window's procedure, the way a control subclasses a window.
  HWND window = PlainWindow();
  ASSERT_NE(window, nullptr);
  first.hwnd = window;
  first.previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(one)));
  EXPECT_EQ(SendMessageA(window, kProbe, 7, 0), 107);
  EXPECT_TRUE(SetWindowTextA(window, "passed on"));  // handled by the replaced procedure
  char text[32] = {};
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ(text, "passed on");
  EXPECT_EQ(second.seen.size(), 1u);  // the window's messages reached only its own method
  SetWindowLongPtrA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(first.previous));
  DestroyWindow(window);
  FreeObjectInstance(one);
  FreeObjectInstance(two);
}

TEST(ObjectInstance, UsingUpThePoolRaisesAndFreeingMakesRoom) {
  const int before = ObjectInstancesInUse();
  std::vector<WNDPROC> made;
  int calls = 0;
  for (int i = before; i < ObjectInstanceCapacity(); ++i) made.push_back(MakeObjectInstance([&](TMessage&) { ++calls; }));
  EXPECT_EQ(ObjectInstancesInUse(), ObjectInstanceCapacity());
  EXPECT_THROW(MakeObjectInstance([](TMessage&) {}), EOutOfResources);
  FreeObjectInstance(made.back());
  made.pop_back();
  WNDPROC again = MakeObjectInstance([&](TMessage&) { calls += 10; });
  again(nullptr, WM_NULL, 0, 0);
  EXPECT_EQ(calls, 10);
  made.push_back(again);
  for (WNDPROC proc : made) FreeObjectInstance(proc);
  EXPECT_EQ(ObjectInstancesInUse(), before);
}

TEST(ObjectInstance, FreedProceduresAreSafeAndMisuseIsReported) {
  HWND window = PlainWindow();
  int calls = 0;
  WNDPROC proc = MakeObjectInstance([&](TMessage& m) {
    ++calls;
    m.Result = 1;
  });
  FreeObjectInstance(proc);
  // A window still holding it gets the default procedure, not the freed method.
  SetWindowLongPtrA(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
  EXPECT_TRUE(SetWindowTextA(window, "default"));
  char text[16] = {};
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ(text, "default");  // the narrow text was read as narrow
  EXPECT_EQ(SendMessageA(window, kProbe, 0, 0), 0);
  EXPECT_EQ(calls, 0);
  DestroyWindow(window);

  // The freed procedure is not the next one handed out.
  WNDPROC next = MakeObjectInstance([](TMessage&) {});
  EXPECT_NE(next, proc);
  FreeObjectInstance(next);

  EXPECT_THROW(FreeObjectInstance(proc), EInvalidPointer);  // freed twice
  EXPECT_THROW(FreeObjectInstance(&DefWindowProcA), EInvalidPointer);
  EXPECT_NO_THROW(FreeObjectInstance(nullptr));
  EXPECT_THROW(MakeObjectInstance(TWndMethod()), EInvalidOperation);

  // A method may free its own procedure while it runs (a window destroyed in its handler).
  WNDPROC self = nullptr;
  std::vector<int> kept{1, 2, 3};  // captured by value: must survive the free
  self = MakeObjectInstance([&self, kept](TMessage& m) {
    FreeObjectInstance(self);
    m.Result = kept[0] + kept[1] + kept[2];
  });
  EXPECT_EQ(self(nullptr, kProbe, 0, 0), 6);
  EXPECT_THROW(FreeObjectInstance(self), EInvalidPointer);
}

}  // namespace
