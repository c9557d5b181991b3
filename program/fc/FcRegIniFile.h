#pragma once

// TFcRegIniFile: names where settings live, an INI file or a registry key. The program keeps
// the properties only; nothing reads or writes settings through it.
// GUI thread only.

#include "vcl/Component.h"
#include "vcl/TypInfo.h"

BRANTWELL_ENUM(TFcPathType, ptIniFile, ptRegistry)
BRANTWELL_ENUM(TFcRegKey, hkeyClassesRoot, hkeyCurrentUser, hkeyLocalMachine, hkeyUsers, hkeyPerformanceData,
               hkeyCurrentConfig, hkeyDynData)
BRANTWELL_ENUM(TFcRegAccessKey, keyQueryValue, keySetValue, keyCreateSubKey, keyEnumerateSubKeys, keyNotify,
               keyCreateLink, keyRead, keyWrite, keyExecute, keyAllAccess)
using TFcRegAccess = TSet<TFcRegAccessKey>;

class TFcRegIniFile : public TComponent {
  BRANTWELL_CLASS(TFcRegIniFile, TComponent)

 public:
  explicit TFcRegIniFile(TComponent* owner) : TComponent(owner) {}
  static void DescribeClass(TClassBuilder<TFcRegIniFile>& c);

  AnsiString Path() const { return FPath; }
  virtual void SetPath(const AnsiString& value);
  TFcPathType PathType() const { return FPathType; }
  virtual void SetPathType(TFcPathType value);
  TFcRegKey RegKey() const { return FRegKey; }
  virtual void SetRegKey(TFcRegKey value);
  TFcRegAccess RegAccess() const { return FRegAccess; }
  virtual void SetRegAccess(TFcRegAccess value);
  // Set by every change, so that a reader opens the location again.
  bool Changed() const { return FChanged; }

 private:
  AnsiString FPath;
  TFcPathType FPathType = ptIniFile;
  TFcRegKey FRegKey = hkeyCurrentUser;
  TFcRegAccess FRegAccess{keyAllAccess};
  bool FChanged = true;
};
