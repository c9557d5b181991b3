#include <gtest/gtest.h>

#include <typeinfo>

#include "program/imaging/GPExceptions.h"

namespace {

struct StatusCase {
  int status;
  const std::type_info& type;
  const char* message;
};

template <class E> bool Is(const GDIPlusException& e) { return dynamic_cast<const E*>(&e) != nullptr; }

TEST(GPExceptions, EveryStatusRaisesItsKindWithItsMessage) {
  const StatusCase cases[] = {
      {1, typeid(ExternalException), "GdiplusGenericError"},
      {2, typeid(ArgumentException), "GdiplusInvalidParameter"},
      {3, typeid(OutOfMemoryException), "GdiplusOutOfMemory"},
      {4, typeid(InvalidOperationException), "GdiplusObjectBusy"},
      {5, typeid(OutOfMemoryException), "GdiplusInsufficientBuffer"},
      {6, typeid(NotImplementedException), "GdiplusNotImplemented"},
      {7, typeid(ExternalException), "GdiplusGenericError"},
      {8, typeid(InvalidOperationException), "GdiplusWrongState"},
      {9, typeid(ExternalException), "GdiplusAborted"},
      {10, typeid(FileNotFoundException), "GdiplusFileNotFound"},
      {11, typeid(OverflowException), "GdiplusOverflow"},
      {12, typeid(ExternalException), "GdiplusAccessDenied"},
      {13, typeid(ArgumentException), "GdiplusUnknownImageFormat"},
      {14, typeid(ArgumentException), "GdiplusFontFamilyNotFound"},
      {15, typeid(ArgumentException), "GdiplusFontStyleNotFound"},
      {16, typeid(ArgumentException), "GdiplusNotTrueTypeFont_NoName"},
      {17, typeid(ExternalException), "GdiplusUnsupportedGdiplusVersion"},
      {18, typeid(ExternalException), "GdiplusNotInitialized"},
      {19, typeid(ArgumentException), "GdiplusPropertyNotFoundError"},
      {20, typeid(ArgumentException), "GdiplusPropertyNotSupportedError"},
      {21, typeid(ExternalException), "GdiplusUnknown"},
      {-1, typeid(ExternalException), "GdiplusUnknown"},
  };
  AnsiString lastLine;
  imaging::detail::DebugOutput = [&](const AnsiString& line) { lastLine = line; };
  for (const StatusCase& c : cases) {
    SCOPED_TRACE(c.status);
    try {
      RaiseGdiplusStatus(static_cast<Status>(c.status));
      ADD_FAILURE() << "no exception";
    } catch (const GDIPlusException& e) {
      EXPECT_EQ(typeid(e), c.type);
      EXPECT_EQ(e.Message(), c.message);
      EXPECT_EQ(lastLine, Format("GDIPlus Exception: %d - %s", {c.status, c.message}));
    }
  }
  imaging::detail::DebugOutput = nullptr;
  // The family is caught as the runtime's exceptions too.
  EXPECT_THROW(RaiseGdiplusStatus(InvalidParameter), Exception);
  EXPECT_EQ(CheckGdiplusStatus(Ok), Ok);
}

}  // namespace
