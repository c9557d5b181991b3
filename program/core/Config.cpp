#include "program/core/Config.h"

#include "rtl/Strings.h"

TConfig AppConfig;

namespace {

// Flushes the settings file when the library unloads.
struct AppConfigFinaliser {
  ~AppConfigFinaliser() {
    AppConfig.Close();
    AppConfig = TConfig();
  }
} g_appConfigFinaliser;

}  // namespace

void TConfig::Create(const WideString& fileName, const WideString& section) {
  FileName = fileName;
  Section = section;
}

void TConfig::Close() { Flush(); }

void TConfig::Flush() {
  if (!FileName.empty()) IniFlush(FileName);
}

void TConfig::EraseSection(const WideString& section) { IniEraseSection(FileName, section); }

bool TConfig::ValueExists(const WideString& section, const WideString& key) {
  return IniValueExists(FileName, section, key);
}

WideString TConfig::ReadString(const WideString& section, const WideString& key, const WideString& defaultValue) {
  return IniReadString(FileName, section, key, defaultValue);
}

AnsiString TConfig::ReadStringA(const AnsiString& section, const AnsiString& key, const AnsiString& defaultValue) {
  return IniReadStringA(WideToUTF8(FileName), section, key, defaultValue);
}

AnsiString TConfig::ReadAnsiString(const AnsiString& section, const AnsiString& key,
                                   const AnsiString& defaultValue) {
  return IniReadAnsiString(WideToUTF8(FileName), section, key, defaultValue);
}

int TConfig::ReadInteger(const WideString& section, const WideString& key, int defaultValue) {
  return IniReadInteger(FileName, section, key, defaultValue);
}

double TConfig::ReadFloat(const WideString& section, const WideString& key, double defaultValue) {
  return IniReadFloat(FileName, section, key, defaultValue);
}

void TConfig::WriteString(const WideString& section, const WideString& key, const WideString& value) {
  IniWriteString(FileName, section, key, value);
}

void TConfig::WriteStringA(const AnsiString& section, const AnsiString& key, const AnsiString& value) {
  IniWriteStringA(WideToUTF8(FileName), section, key, value);
}

void TConfig::WriteBool(const WideString& section, const WideString& key, bool value) {
  IniWriteBool(FileName, section, key, value);
}

void TConfig::WriteDateTime(const WideString& section, const WideString& key, TDateTime value) {
  IniWriteDateTime(FileName, section, key, value);
}
