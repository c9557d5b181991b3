#pragma once

// TConfig binds an INI file name to the INI routines; each operation forwards to the routine
// of the same kind with FileName in front. Section is a default stored with the record; the
// operations take their section as an argument. A value record: copy it freely.
//
// AppConfig is the program's settings file. Start-up sets its FileName (the program's path
// with ".ini"); it is flushed when the library unloads. It is used on the GUI thread.

#include "program/core/IniUtils.h"

struct TConfig {
  WideString FileName;
  WideString Section;

  void Create(const WideString& fileName, const WideString& section);
  void Close();
  // IniFlush, only when FileName is set.
  void Flush();
  void EraseSection(const WideString& section);
  bool ValueExists(const WideString& section, const WideString& key);
  WideString ReadString(const WideString& section, const WideString& key, const WideString& defaultValue);
  AnsiString ReadStringA(const AnsiString& section, const AnsiString& key, const AnsiString& defaultValue);
  AnsiString ReadAnsiString(const AnsiString& section, const AnsiString& key, const AnsiString& defaultValue);
  int ReadInteger(const WideString& section, const WideString& key, int defaultValue);
  double ReadFloat(const WideString& section, const WideString& key, double defaultValue);
  void WriteString(const WideString& section, const WideString& key, const WideString& value);
  void WriteStringA(const AnsiString& section, const AnsiString& key, const AnsiString& value);
  void WriteBool(const WideString& section, const WideString& key, bool value);
  void WriteDateTime(const WideString& section, const WideString& key, TDateTime value);
};

extern TConfig AppConfig;
