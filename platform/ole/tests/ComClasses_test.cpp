// CoCreateInstance over the class table: registration, the interface asked for, and the
// failures a caller can meet.

#include <gtest/gtest.h>

#include <atomic>

#include "platform/ole/ComClasses.h"

namespace {

constexpr CLSID kCounterClass = {0x1A2B3C4D, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr IID kCounterInterface = {0x1A2B3C4E, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};

std::atomic<int> g_live{0};

struct ICounter : IUnknown {
  virtual int Next() = 0;

 protected:
  ~ICounter() = default;
};

class Counter final : public ICounter {
 public:
  Counter() { ++g_live; }
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (iid != IID_IUnknown && iid != kCounterInterface) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<ICounter*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++m_references; }
  ULONG Release() override {
    const ULONG left = --m_references;
    if (left == 0) delete this;
    return left;
  }
  int Next() override { return ++m_value; }

 private:
  ~Counter() { --g_live; }
  std::atomic<ULONG> m_references{0};
  int m_value = 0;
};

HRESULT MakeCounter(REFIID iid, void** object) {
  auto* counter = new Counter;
  counter->AddRef();
  const HRESULT result = counter->QueryInterface(iid, object);
  counter->Release();
  return result;
}

TEST(ComClasses, RegisteredClassesAreMadeByTheirId) {
  ASSERT_TRUE(platform::RegisterComClass(kCounterClass, MakeCounter));
  ICounter* counter = nullptr;
  ASSERT_EQ(CoCreateInstance(kCounterClass, nullptr, CLSCTX_INPROC_SERVER, kCounterInterface,
                             reinterpret_cast<void**>(&counter)),
            S_OK);
  ASSERT_NE(counter, nullptr);
  EXPECT_EQ(counter->Next(), 1);
  EXPECT_EQ(counter->Next(), 2);
  EXPECT_EQ(counter->Release(), 0u);
  EXPECT_EQ(g_live.load(), 0);

  constexpr IID kOther = {0x99, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
  constexpr CLSID kUnknownClass = {0x98, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
  struct Case {
    const char* what;
    CLSID clsid;
    bool outer;
    DWORD context;
    IID iid;
    HRESULT expected;
  };
  const Case cases[] = {
      {"no such interface", kCounterClass, false, CLSCTX_ALL, kOther, E_NOINTERFACE},
      {"unknown class", kUnknownClass, false, CLSCTX_ALL, IID_IUnknown, REGDB_E_CLASSNOTREG},
      {"out of process only", kCounterClass, false, CLSCTX_LOCAL_SERVER, IID_IUnknown, REGDB_E_CLASSNOTREG},
      {"aggregation", kCounterClass, true, CLSCTX_ALL, IID_IUnknown, CLASS_E_NOAGGREGATION},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    void* object = reinterpret_cast<void*>(0x1);
    IUnknown* outer = c.outer ? static_cast<IUnknown*>(reinterpret_cast<ICounter*>(0x10)) : nullptr;
    EXPECT_EQ(CoCreateInstance(c.clsid, outer, c.context, c.iid, &object), c.expected);
    EXPECT_EQ(object, nullptr) << "cleared on failure";
    EXPECT_EQ(g_live.load(), 0) << "nothing left behind";
  }
  EXPECT_EQ(CoCreateInstance(kCounterClass, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr), E_POINTER);
  EXPECT_FALSE(platform::RegisterComClass(kUnknownClass, nullptr));

  EXPECT_TRUE(platform::UnregisterComClass(kCounterClass));
  EXPECT_FALSE(platform::UnregisterComClass(kCounterClass));
  void* object = nullptr;
  EXPECT_EQ(CoCreateInstance(kCounterClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
}

}  // namespace
