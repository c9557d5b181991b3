#include "program/fc/FcRegIniFile.h"

void TFcRegIniFile::DescribeClass(TClassBuilder<TFcRegIniFile>& c) {
  using T = TFcRegIniFile;
  c.Property("Path", &T::Path, &T::SetPath);
  c.Property("PathType", &T::PathType, &T::SetPathType).Default(ptIniFile);
  c.Property("RegKey", &T::RegKey, &T::SetRegKey).Default(hkeyCurrentUser);
  c.Property("RegAccess", &T::RegAccess, &T::SetRegAccess).Default(TFcRegAccess{keyAllAccess}.Bits());
}

void TFcRegIniFile::SetPath(const AnsiString& value) {
  if (value == FPath) return;
  FPath = value;
  FChanged = true;
}

void TFcRegIniFile::SetPathType(TFcPathType value) {
  if (value == FPathType) return;
  FPathType = value;
  FChanged = true;
}

void TFcRegIniFile::SetRegKey(TFcRegKey value) {
  if (value == FRegKey) return;
  FRegKey = value;
  FChanged = true;
}

void TFcRegIniFile::SetRegAccess(TFcRegAccess value) {
  if (value == FRegAccess) return;
  FRegAccess = value;
  FChanged = true;
}
