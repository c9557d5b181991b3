#pragma once

// INI routines: one value at a time straight through the kernel's private-profile functions,
// with no cache and no open file kept between calls. Any thread may call them; the kernel
// serialises access to the files.
//
// Values are text: integers in decimal (or hexadecimal after "0x" or "$"), Booleans "0" and
// "1", floats with the locale's decimal separator, date-times in the default date-time text.
// Reading never fails: a missing file, section or key, or a value that does not convert,
// gives the default. Values and key lists are read whole, however long. Writing raises
// Exception "Unable to write to <file>" when the system refuses.

#include <string>
#include <vector>

#include "rtl/SysTypes.h"

class TStrings;

WideString IniReadString(const WideString& fileName, const WideString& section, const WideString& key,
                         const WideString& defaultValue);
AnsiString IniReadAnsiString(const AnsiString& fileName, const AnsiString& section, const AnsiString& key,
                             const AnsiString& defaultValue);
AnsiString IniReadStringA(const AnsiString& fileName, const AnsiString& section, const AnsiString& key,
                          const AnsiString& defaultValue);
int IniReadInteger(const WideString& fileName, const WideString& section, const WideString& key, int defaultValue);
double IniReadFloat(const WideString& fileName, const WideString& section, const WideString& key,
                    double defaultValue);

void IniWriteString(const WideString& fileName, const WideString& section, const WideString& key,
                    const WideString& value);
// Returns the system's non-zero result.
int IniWriteAnsiString(const AnsiString& fileName, const AnsiString& section, const AnsiString& key,
                       const AnsiString& value);
int IniWriteStringA(const AnsiString& fileName, const AnsiString& section, const AnsiString& key,
                    const AnsiString& value);
void IniWriteBool(const WideString& fileName, const WideString& section, const WideString& key, bool value);
void IniWriteDateTime(const WideString& fileName, const WideString& section, const WideString& key,
                      TDateTime value);

// The key names of a section, in file order; empty for a missing file or section.
std::vector<AnsiString> IniReadSectionKeys(const WideString& fileName, const WideString& section);
std::vector<AnsiString> IniReadSectionKeysA(const AnsiString& fileName, const AnsiString& section);
// The same into a string list: it is cleared (in one update) and filled with the key names;
// a missing file or section, or a section without keys, leaves it empty.
void IniReadSection(const WideString& fileName, const WideString& section, TStrings& list);
void IniReadSectionA(const AnsiString& fileName, const AnsiString& section, TStrings& list);
// True when the section holds the key, whatever its letter case.
bool IniValueExists(const WideString& fileName, const WideString& section, const WideString& key);
void IniEraseSection(const WideString& fileName, const WideString& section);
// Asks the system to write any cached copy of the file; the result is ignored.
void IniFlush(const WideString& fileName);
