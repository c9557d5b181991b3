#pragma once

// Free routines the main window, the small windows, the job window and the engine front end
// share: time texts, message boxes, folder and path routines, the disk-space check before a
// job, settings values stored scrambled, version texts, opening a web page and published
// property helpers. Stateless; GUI thread unless a routine says otherwise (the pure text
// routines may run anywhere).

#include <cstdint>
#include <functional>

#include "platform/kernel/FileApi.h"
#include "platform/user/UserTypes.h"
#include "rtl/SysTypes.h"
#include "vcl/TypInfo.h"
#include "vcl/Variant.h"

class TObject;

// ---- time texts --------------------------------------------------------------------------

// "hh:mm:ss" with at least two digits each; hours may have more ("100:00:00").
AnsiString FormatSeconds(Cardinal seconds);
// The same text, each number through the pattern "00".
AnsiString FormatDuration(Cardinal seconds);
// Seconds of "h:m:s"; one colon reads as hours and seconds ("2:30" is 7230). A part that is
// not a number counts 0.
Cardinal ParseTime(const AnsiString& text);
// Blanks become "0" (time texts of masked edits).
AnsiString SpacesToZeros(const AnsiString& text);
// Pads a caption to seven characters, the odd blank in front; longer texts unchanged.
AnsiString CenterInSevenChars(const AnsiString& text);

// ---- strings -----------------------------------------------------------------------------

// The part before (after) the last delimiter; empty when text holds none.
AnsiString CopyBeforeLast(char delimiter, const AnsiString& text);
AnsiString CopyAfterLast(char delimiter, const AnsiString& text);
// The first character of path followed by ":".
AnsiString GetDriveLetter(const AnsiString& path);

// ---- message boxes and the log -----------------------------------------------------------

// MessageBoxA with the three values; the button id.
int MsgBox(HWND owner, const AnsiString& text, const AnsiString& caption, UINT flags);
// MessageBoxA captioned by the icon bits of flags: "Warning", "Error", "Confirm" or
// "Information".
int ShowMessageBoxA(HWND owner, const AnsiString& text, UINT flags);
// The caption ShowMessageBoxA chooses.
AnsiString MessageBoxCaptionFor(UINT flags);
// Logs "Burn error code : %d" for a code other than 0; true when code is 0.
bool LogBurnError(int code);
// Handles pending messages, sleeping 1 ms between passes, until ms milliseconds have passed.
void WaitWithMessages(Cardinal ms);
// Restores and activates the top-level window found by class and caption; false when none.
bool ActivateWindow(const AnsiString& className, const AnsiString& caption);

// ---- settings ----------------------------------------------------------------------------

// "System"/"CodeKey2" and "System"/"ProductID" of the settings (empty defaults).
AnsiString ReadCodeKey();
AnsiString ReadProductID();
// Undoes the scrambling of a stored value with the key text; empty for a value that is not
// well formed (see DescrambleConfigValue of the live update).
AnsiString DescrambleConfigText(const AnsiString& hex, const AnsiString& key);
// Section/Key of the settings descrambled with "System"/"CodeKey2"; empty without a key.
WideString ReadScrambledValue(const AnsiString& section, const AnsiString& key);

// ---- versions ----------------------------------------------------------------------------

// "a.b.c.d" of a file's version.
AnsiString GetFileVersionText(const WideString& fileName);
// The first three numbers of the program's version ("2.1.0"); empty with fewer than three.
AnsiString GetProgramVersion();
// All four numbers of the program's version.
AnsiString GetProgramFullVersion();
// 6: the layer reports Windows 6.1 (0 when the version query fails).
int GetWindowsMajorVersion();

// ---- folders and paths -------------------------------------------------------------------

// The per-user folder the program keeps its temporary work in, with a trailing delimiter:
// $XDG_CACHE_HOME (absolute), else ~/.cache, created readable by the user only when missing.
// Jobs put gigabytes here, so it is on disk and private, never the shared system temporary
// folder, which may live in memory.
WideString GetUserTempPath();
// The documents folder with a trailing delimiter; "/" when it cannot be found.
AnsiString GetMyDocumentsPath();
// Creates every missing level of path (a path containing a delimiter); the result of the last
// creation attempted, false when nothing had to be created.
bool ForceDirectoriesW(const WideString& path);
// The creation time of a file; time unchanged when it cannot be read.
void GetFileCreationTime(const WideString& path, FILETIME& time);
// The root of a file system: "/" or a folder something is mounted on (a USB stick's folder
// under /media, say), the places a drive's root stood for. Trailing delimiters do not count.
bool IsDriveRoot(const WideString& folder);
// The first folder after the root is "Program Files" or "Windows" (letter case counts).
bool IsProtectedSystemPath(const WideString& path);
// Where Windows Vista would redirect writes below a protected folder: the Windows folder's
// root + "users/" + user + "/AppData/Local/VirtualStore/" + path's folder without its root.
WideString GetVirtualStorePath(const WideString& path);
// There is no per-user redirection of writes here: path itself.
WideString ResolveVirtualStorePath(const WideString& path);
// "System"/"ISOOutPath" + "/" + "YYYY-MM-DD-HHMMSS.iso" of the given time (now by default).
WideString MakeDefaultISOFileName();
WideString MakeDefaultISOFileName(TDateTime now);

// Deletes every file directly in folder; subfolders stay. Failures are skipped.
void DeleteFolderFiles(const AnsiString& folder);
// Deletes folder with everything in it and makes it again, empty (one level). Refused, with
// a log line and nothing deleted, for a folder that is empty or relative, the root or a mount
// point, the home folder or one of the user's desktop folders (documents, pictures ...), or a
// path of fewer than three folder names. Returns false when refused or when something stayed.
bool EmptyFolder(const AnsiString& folder);

// Powers the machine off (the process's shut-down privilege switched on first, which succeeds
// and changes nothing here): ExitWindowsEx with shut-down, force and power-off, reason $FFFF.
// True when the login manager accepted; false leaves its reason in the last error
// (FormatMessage gives the D-Bus error's name and message). Blocks until answered.
bool ShutdownWindows();

// ---- disk space --------------------------------------------------------------------------

// Codes of CheckDiskSpace: the high byte says the temporary folder is short, the low byte the
// output (1 a DVD folder, 2 an ISO image).
constexpr Word DiskSpaceTempShort = 256;
constexpr Word DiskSpaceFolderShort = 1;
constexpr Word DiskSpaceImageShort = 2;

// Megabytes of DVD video a second per quality index, in units of 1024 bits: 5120, 7520, 10112;
// 0 for any other index.
int QualitySizeRate(int quality);

// Output kinds: 0 disc, 1 DVD folder, 2 ISO image. TempNeed and OutNeed get the megabytes the
// job needs in "System"/"TempPath" and at outputPath (OutNeed 0 for a disc); the result is 0
// when both have room, else the sum of the codes above. Two paths on one file system share
// its free space. Other kinds give 0.
Word CheckDiskSpace(const WideString& outputPath, Byte kind, Byte quality, double seconds, double& tempNeed,
                    double& outNeed);

// Where CheckDiskSpace learns free space and file systems. The default asks the converter
// engine for free bytes, and compares the device of each path's nearest existing folder.
struct TDiskSpaceProbe {
  std::function<int64_t(const WideString& path)> FreeBytes;
  // An id of the file system holding the path (or its nearest existing folder); two paths
  // with equal ids share their space. 0 when unknown, which is never equal to anything.
  std::function<uint64_t(const WideString& path)> FileSystemId;
};
// Replaces the probe (tests); an empty probe restores the default.
void SetDiskSpaceProbe(TDiskSpaceProbe probe);
TDiskSpaceProbe DefaultDiskSpaceProbe();

// ---- web pages ---------------------------------------------------------------------------

// Opens an http: or https: address in the desktop's browser (ShellExecuteW "open"), with the
// hourglass cursor meanwhile. False for an empty address, any other scheme (a settings value
// must never start a program or open a local file), or when the desktop cannot open it.
// `visible` is kept for callers: the browser always shows.
bool OpenUrlInBrowser(const AnsiString& url, bool visible = true);

// ---- published properties ----------------------------------------------------------------

// The object held by instance's published property name, when that property is of class kind
// and its type is named "T" + name; null otherwise.
TObject* GetClassPropByName(TObject* instance, const AnsiString& name);
// Sets the published ordinal property name from value when it exists and is of kind.
void SetOrdPropChecked(TObject* instance, const AnsiString& name, TTypeKind kind, const Variant& value);
// SetOrdPropChecked on the object GetClassPropByName(instance, objectName) gives, if any
// ("Font", "Pitch").
void SetNestedOrdProp(TObject* instance, const AnsiString& objectName, const AnsiString& name, const Variant& value,
                      TTypeKind kind);
