#pragma once

// The pieces of the live update that need no window: the update address from the settings
// (stored scrambled or plain, with "LiveUpdate.ini" as fallback), version numbers, the text
// templates, the time of the last check, the name and digest of a downloaded setup, and
// starting it.
//
// GUI thread (the settings are the program's); the pure functions from any thread.

#include <array>
#include <cstdint>
#include <vector>

#include "program/core/Config.h"
#include "rtl/SysTypes.h"

// The fallback settings, "LiveUpdate.ini" in the program folder, loaded on first use.
TConfig& LiveUpdateConfig();

// Undoes the scrambling of a stored value (hex text) with the text key. Empty for odd
// length, text that is not hex, an empty key, or a length the value cannot hold.
AnsiString DescrambleConfigValue(const AnsiString& hexText, const AnsiString& key);
// "System"/"CodeKey2" of the settings as key; empty without a key.
AnsiString ReadScrambledConfigValue(const AnsiString& section, const AnsiString& key);
// The update address template: "Http"/"UpdateUrl" (descrambled when it gives an http(s)
// address in any letter case, else as stored), or "System"/"UpdateUrl" of LiveUpdate.ini.
AnsiString GetUpdateUrl();

// A version as four numbers ("2.5.10.0"); missing trailing parts count as 0. False for
// anything else (letters, more than four parts, empty parts, numbers above 65535).
bool ParseVersion(const WideString& text, std::array<uint32_t, 4>& parts);
// <0, 0, >0; a version that does not parse is lower than any that does.
int CompareVersions(const WideString& a, const WideString& b);
// "%d.%d.%d.%d" of the file version of the program file.
WideString GetProgramVersionText(const WideString& fileName);

// Fills "%s" (the next argument) and "%n:s" (argument n, after which "%s" goes on from n+1),
// with "%%" for a percent sign. False, with result untouched, for any other directive or an
// argument that does not exist: a text from outside never reads memory it was not given.
bool FormatTemplate(const WideString& format, const std::vector<WideString>& args, WideString& result);
// The language text of key filled with args, falling back to the default's filling, and to
// the default as it stands when neither fills.
WideString FormatLanguageText(const WideString& key, const WideString& defaultText, const std::vector<WideString>& args);

// "System"/"LastUpdateTime": written in ISO 8601 ("2026-12-11T10:20:30"); read in that form or
// in the older one (the default date and time format). 0 when missing or unreadable.
TDateTime ReadLastUpdateTime();
void WriteLastUpdateTime(TDateTime value);

// The file name a setup at url is saved under: the last path segment, per-cent decoded, with
// only letters, digits and ".-_+" kept (no leading dot); "setup" when nothing is left.
AnsiString SetupFileNameFromUrl(const AnsiString& url);
// folder/name, or "name (2).ext", "name (3).ext" ... : a name that neither exists nor has a
// ".part" file beside it.
AnsiString UniqueFileName(const AnsiString& folder, const AnsiString& name);
// The user's download folder (empty when there is none).
AnsiString DownloadFolder();

// Lower-case hex SHA-256 of a file; empty when it cannot be read.
AnsiString FileSha256(const AnsiString& fileName);
// 64 hex digits (either case).
bool IsSha256Text(const AnsiString& text);

// Starts the program file with the arguments as a child process (an argument vector, never
// a shell), not waited for. False with the reason when it cannot be started.
bool StartChildProcess(const AnsiString& file, const std::vector<AnsiString>& args, AnsiString& reason);
