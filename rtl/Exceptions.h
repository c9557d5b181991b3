#pragma once

// The runtime's exception family. Exception carries a UTF-8 message and a help context; the
// subclasses mark the kind of failure the way callers catch them. Every class has a
// CreateFmt factory that formats its message with Format:
//
//   throw EConvertError::CreateFmt("'%s' is not a valid integer value", {text});

#include <exception>
#include <string>

#include "rtl/Format.h"
#include "rtl/SysTypes.h"

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message, int helpContext = 0)
      : FMessage(std::move(message)), FHelpContext(helpContext) {}
  ~Exception() override = default;

  const AnsiString& Message() const { return FMessage; }
  void SetMessage(AnsiString message) { FMessage = std::move(message); }
  int HelpContext() const { return FHelpContext; }
  const char* what() const noexcept override { return FMessage.c_str(); }

  static Exception CreateFmt(std::string_view format, std::initializer_list<TVarRec> args) {
    return Exception(Format(format, args));
  }

 private:
  AnsiString FMessage;
  int FHelpContext;
};

// Declares an exception class that adds nothing but its kind.
#define BRANTWELL_DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {                    \
   public:                                      \
    using Base::Base;                           \
    static Name CreateFmt(std::string_view format, \
                          std::initializer_list<TVarRec> args) { \
      return Name(Format(format, args));        \
    }                                           \
  }

// An operating-system failure with the system error code.
class EOSError : public Exception {
 public:
  explicit EOSError(AnsiString message, unsigned errorCode = 0)
      : Exception(std::move(message)), ErrorCode(errorCode) {}
  static EOSError CreateFmt(std::string_view format, std::initializer_list<TVarRec> args,
                            unsigned errorCode = 0) {
    return EOSError(Format(format, args), errorCode);
  }
  unsigned ErrorCode;
};

BRANTWELL_DECLARE_EXCEPTION(EAbort, Exception);
BRANTWELL_DECLARE_EXCEPTION(EConvertError, Exception);
BRANTWELL_DECLARE_EXCEPTION(EListError, Exception);
BRANTWELL_DECLARE_EXCEPTION(EStreamError, Exception);
BRANTWELL_DECLARE_EXCEPTION(EFOpenError, EStreamError);
BRANTWELL_DECLARE_EXCEPTION(EFCreateError, EStreamError);
BRANTWELL_DECLARE_EXCEPTION(EReadError, EStreamError);
BRANTWELL_DECLARE_EXCEPTION(EWriteError, EStreamError);
BRANTWELL_DECLARE_EXCEPTION(EInvalidOperation, Exception);
BRANTWELL_DECLARE_EXCEPTION(EResNotFound, Exception);
BRANTWELL_DECLARE_EXCEPTION(EClassNotFound, Exception);
BRANTWELL_DECLARE_EXCEPTION(EThread, Exception);
BRANTWELL_DECLARE_EXCEPTION(EOutOfMemory, Exception);
BRANTWELL_DECLARE_EXCEPTION(EInvalidPointer, Exception);
BRANTWELL_DECLARE_EXCEPTION(EInvalidCast, Exception);
BRANTWELL_DECLARE_EXCEPTION(ERangeError, Exception);
BRANTWELL_DECLARE_EXCEPTION(EIntOverflow, Exception);
BRANTWELL_DECLARE_EXCEPTION(EMathError, Exception);
BRANTWELL_DECLARE_EXCEPTION(EInvalidOp, EMathError);
BRANTWELL_DECLARE_EXCEPTION(EZeroDivide, Exception);
BRANTWELL_DECLARE_EXCEPTION(ENotSupportedException, Exception);
