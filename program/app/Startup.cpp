#include "program/app/Startup.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <mutex>
#include <thread>

#include "engines/common/WindowPoster.h"
#include "engines/QM_Log/QM_Log.h"
#include "platform/kernel/Debugger.h"
#include "platform/kernel/FileApi.h"
#include "platform/kernel/KernelObject.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/kernel/Synch.h"
#include "platform/kernel/SysInfo.h"
#include "platform/kernel/Unicode.h"
#include "platform/kernel/WinError.h"
#include "platform/ole/ComInit.h"
#include "platform/user/ProcessRegistry.h"
#include "platform/user/WinUser.h"
#include "program/app/Language.h"
#include "program/app/MainForm.h"
#include "program/app/SharedRoutines.h"
#include "program/app/Splash.h"
#include "program/app/dialogs/DialogPresenters.h"
#include "program/controls/ControlsModule.h"
#include "program/core/Config.h"
#include "program/core/FSXMLPersistent.h"
#include "program/core/LogFile.h"
#include "program/core/WideFileUtils.h"
#include "program/engine/EngineBinding.h"
#include "program/engine/LanguageEngine.h"
#include "program/fc/FcModule.h"
#include "program/imaging/GPInit.h"
#include "program/net/NetStartup.h"
#include "program/skin/BaseForm.h"
#include "program/skin/SkinForm.h"
#include "program/skin/SkinModule.h"
#include "rtl/Exceptions.h"
#include "rtl/Format.h"
#include "rtl/Random.h"
#include "rtl/Strings.h"
#include "vcl/Application.h"
#include "vcl/Screen.h"


namespace {

constexpr char kDefaultFullName[] = "Zelvantic Brantwell";

WideString g_productFullName;

// ---- signals ------------------------------------------------------------------------------
//
// The handler only writes a byte into a pipe; a watcher thread reads it and posts the close
// command to the main window (PostMessage is safe from any thread, not from a handler). A
// signal before the main window exists is kept and delivered once it does.

int g_signalPipe[2] = {-1, -1};
std::atomic<int> g_signalsSeen{0};
constexpr char kSignalByte = 's';
constexpr char kQuitByte = 'q';

extern "C" void OnTerminationSignal(int signalNumber) {
  if (g_signalsSeen.fetch_add(1) > 0) {
    // The second one: end now, as the signal would have without a handler.
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
    return;
  }
  const int savedErrno = errno;
  const char byte = kSignalByte;
  [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
  errno = savedErrno;
}

class TSignalWatcher {
 public:
  TSignalWatcher() {
    if (::pipe2(g_signalPipe, O_CLOEXEC) != 0) return;
    g_signalsSeen = 0;
    m_thread = std::thread([this] { Watch(); });
    struct sigaction action = {};
    action.sa_handler = &OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &m_formerInt);
    ::sigaction(SIGTERM, &action, &m_formerTerm);
    m_installed = true;
  }
  ~TSignalWatcher() {
    if (!m_installed) return;
    ::sigaction(SIGINT, &m_formerInt, nullptr);
    ::sigaction(SIGTERM, &m_formerTerm, nullptr);
    const char byte = kQuitByte;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
    m_thread.join();
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
  }
  TSignalWatcher(const TSignalWatcher&) = delete;
  TSignalWatcher& operator=(const TSignalWatcher&) = delete;

  // From now on a signal closes this window (one that came earlier closes it at once); null:
  // signals are kept again.
  void SetMainWindow(HWND window) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_window = window;
    if (m_window && m_pending) {
      m_pending = false;
      PostClose(m_window);
    }
  }

 private:
  static void PostClose(HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }
  void Watch() {
    char byte = 0;
    while (::read(g_signalPipe[0], &byte, 1) == 1 && byte != kQuitByte) {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_window) PostClose(m_window);
      else m_pending = true;
    }
  }

  bool m_installed = false;
  std::thread m_thread;
  std::mutex m_mutex;  // guards m_window and m_pending
  HWND m_window = nullptr;
  bool m_pending = false;
  struct sigaction m_formerInt = {}, m_formerTerm = {};
};

// ---- the run ------------------------------------------------------------------------------

class TStartup {
 public:
  explicit TStartup(const TStartupSeams& seams) : m_seams(seams) {}
  int Run();

 private:
  void Trace(const AnsiString& event) const {
    if (m_seams.Trace) m_seams.Trace(event);
  }
  void StartModules();
  void StopModules();
  void BindEngines();
  void CreateMainWindow();
  void ShutDown();
  void ReportFailure(const AnsiString& text);
  AnsiString ProgramFileName() const;
  static void MainWindowShown(HWND window, UINT message, UINT_PTR id, DWORD time);
  static constexpr UINT_PTR kShownTimer = 0x5EED;

  const TStartupSeams& m_seams;
  TSignalWatcher m_signals;
  HANDLE m_mutex = nullptr;
  bool m_comStarted = false;
  bool m_skinLoaded = false;
  bool m_languageStarted = false;
  bool m_logHookSet = false;
};

TStartup* g_running = nullptr;

// The engines' own log lines go to the program's log.
void EngineLogLine(const char* line) {
  AnsiString text(line ? line : "");
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  QMLog(UTF8ToWide(text).c_str());
}

using TMediaSetLogHook = void (*)(void (*hook)(const char* line));

// The media engines share one log hook; the decoder manager exports its setter.
void SetMediaLogHook(void (*hook)(const char* line)) {
  if (!DecoderLibrary.Loaded()) return;
  if (FARPROC entry = GetProcAddress(DecoderLibrary.Module(), "MediaSetLogHook"))
    reinterpret_cast<TMediaSetLogHook>(reinterpret_cast<void (*)()>(entry))(hook);
}

void TStartup::StartModules() {
  InitImaging();
  Trace("start imaging");
  StartSkinModule();
  Trace("start skin");
  StartNetwork();
  Trace("start network");
  StartControlsModule();
  Trace("start controls");
  RegisterFcClasses();
  Trace("start fc");
  RegisterXMLFormReader();
  Trace("start form reader");
  engines::SetWindowPoster(&platform::PostMessageForEngines);
  Trace("start engine poster");
  // The program's own message box, file and folder dialogs and colour dialog.
  InstallDialogPresenters();
  Trace("start dialog presenters");
}

void TStartup::StopModules() {
  UninstallDialogPresenters();
  Trace("stop dialog presenters");
  engines::SetWindowPoster(nullptr);
  Trace("stop engine poster");
  // The form reader and the Fc classes stay registered: registration is idempotent and frees
  // nothing.
  StopControlsModule();
  Trace("stop controls");
  StopNetwork();
  Trace("stop network");
  StopSkinModule();
  Trace("stop skin");
  DoneImaging();
  Trace("stop imaging");
}

void TStartup::BindEngines() {
  Trace("bind engines");
  BindStartupEngines();
  SetMediaLogHook(&EngineLogLine);
  m_logHookSet = true;
}

AnsiString TStartup::ProgramFileName() const {
  if (!m_seams.ProgramFileName.empty()) return m_seams.ProgramFileName;
  return WideToUTF8(WideExtractFileName(UTF8ToWide(platform::ExecutablePath())));
}

void TStartup::CreateMainWindow() {
  TMainForm* form = TMainForm::CreateMainForm(Application);
  Application->SetMainForm(form);
  form->HandleNeeded();
  m_signals.SetMainWindow(form->Handle());
  // Once shown (a posted timer, so the first paint and the window's deferred start-up come
  // first) tests take over; the window's own OnShow runs before.
  const TNotifyEvent formShow = form->OnShow;
  form->OnShow = [form, formShow](TObject* sender) {
    if (formShow) formShow(sender);
    SetTimer(form->Handle(), kShownTimer, 0, &TStartup::MainWindowShown);
  };
}

void TStartup::MainWindowShown(HWND window, UINT, UINT_PTR id, DWORD) {
  KillTimer(window, id);
  CloseSplash();
  if (!g_running) return;
  g_running->Trace("main window shown");
  if (g_running->m_seams.MainFormShown) g_running->m_seams.MainFormShown(Application->MainForm());
}

void TStartup::ReportFailure(const AnsiString& text) {
  CloseSplash();
  // A failure before step 12 still gets a skinned box in the user's language.
  if (!m_skinLoaded) {
    m_skinLoaded = true;
    LoadDefaultSkin();
  }
  if (!m_languageStarted) {
    m_languageStarted = true;
    InitLanguage();
  }
  // One line on standard error: the message's own line breaks become blanks.
  AnsiString line;
  for (char c : text) {
    if (c == '\r') continue;
    line += c == '\n' ? ' ' : c;
  }
  std::fprintf(stderr, "brantwell: %s\n", line.c_str());
  std::fflush(stderr);
  const AnsiString caption = g_productFullName.empty() ? AnsiString(kDefaultFullName) : WideToUTF8(g_productFullName);
  MessageBoxW(nullptr, UTF8ToWide(text).c_str(), UTF8ToWide(caption).c_str(), MB_OK | MB_ICONERROR);
}

void TStartup::ShutDown() {
  Trace("shut down");
  try {
    AppConfig.Close();
  } catch (const std::exception&) {
    // Already reported by the write that failed.
  }
  AppConfig = TConfig();
  if (m_mutex) {
    ReleaseMutex(m_mutex);
    CloseHandle(m_mutex);
    m_mutex = nullptr;
  }
  if (m_languageStarted) {
    MLClose();
    Trace("MLClose");
  }
  if (EncoderLibrary.EngineHandle() != 0) {
    EncoderLibrary.Stop();
    Trace("encoder manager stop");
  }
  if (TransitionManagerStarted()) {
    ReleaseTransitionManager();
    Trace("transition manager stop");
  }
  if (DecoderLibrary.Started()) {
    DecoderLibrary.Stop();
    Trace("decoder manager stop");
  }
  if (m_comStarted) CoUninitialize();
}

int TStartup::Run() {
  g_running = this;
  StartModules();
  int exitCode = 0;
  CoInitialize(nullptr);
  m_comStarted = true;
  HideApplicationTaskButton();
  Randomize();
  Application->Initialize();
  Screen->SetPixelsPerInch(96);

  const AnsiString programFile = ProgramFileName();
  const WideString settingsFile = WideIncludeTrailingBackslash(UTF8ToWide(platform::ProgramFolder())) +
                                  WideChangeFileExt(UTF8ToWide(programFile), u".ini");
  AppConfig.Create(settingsFile, u"");
  g_productFullName = GetProductName();
  Trace("settings " + WideToUTF8(settingsFile));

  platform::PublishTopLevelWindows();
  m_mutex = CreateMutexA(nullptr, FALSE, WideToUTF8(g_productFullName).c_str());
  if (m_mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    Trace("already running");
    ActivatePreviousInstance();
    ReleaseMutex(m_mutex);
    CloseHandle(m_mutex);
    m_mutex = nullptr;
    // Nothing of this process was written: drop the settings record without a flush.
    AppConfig = TConfig();
    CoUninitialize();
    DoneApplication();
    StopModules();
    g_running = nullptr;
    return 0;
  }

  bool started = false;
  try {
    InitLog(u"", -1, 0, 0);
    InitWorkFolders();
    Trace("work folders");
    QMLog(UTF8ToWide(Format("==%s(Version: %s)===", {WideToUTF8(g_productFullName), GetProgramVersion()})).c_str());
    m_skinLoaded = true;
    LoadDefaultSkin();
    Trace("skin");
    m_languageStarted = true;
    InitLanguage();
    Trace("language");
    if (!IsDebuggerPresent()) {
      ShowSplash();
      Trace("splash shown");
      WaitWithMessages(100);
    }
    BindEngines();
    Trace("engines started");
    AppConfig.WriteStringA("System", "AppExeName", AppExeNameOf(programFile));
    CreateMainWindow();
    started = true;
  } catch (const std::exception& error) {
    ReportFailure(error.what());
    exitCode = 1;
  }

  if (started) {
    Trace("message loop");
    Application->Run();
    Trace("message loop ended");
  }
  CloseSplash();
  m_signals.SetMainWindow(nullptr);
  ShutDown();
  // Engine threads are done with the log before the engines unload.
  if (m_logHookSet) SetMediaLogHook(nullptr);
  DoneApplication();
  UnloadEngineLibraries();
  Trace("engines unloaded");
  StopModules();
  g_running = nullptr;
  return exitCode;
}

}  // namespace

WideString GetProductName() { return UTF8ToWide(AppConfig.ReadStringA("System", "FullName", kDefaultFullName)); }

const WideString& ProductFullName() { return g_productFullName; }

BOOL FindInstanceWindowProc(HWND hwnd, LPARAM) {
  // Only a window of another process of the program: this process's own windows (the splash
  // of a start-up that is still running, say) never count.
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process == 0 || process == GetCurrentProcessId()) return TRUE;
  const AnsiString fullName = WideToUTF8(g_productFullName);
  char title[256] = {};
  GetWindowTextA(hwnd, title, 255);
  if (fullName.empty() || AnsiString(title).compare(0, fullName.size(), fullName) != 0) return TRUE;
  ShowWindow(hwnd, SW_RESTORE);
  SetForegroundWindow(hwnd);
  return FALSE;
}

void ActivatePreviousInstance() { EnumWindows(&FindInstanceWindowProc, 0); }

void InitWorkFolders() {
  WideString programFolder, ignored;
  WideGetAppPaths(u"", u"", programFolder, ignored);
  programFolder = WideIncludeTrailingBackslash(programFolder);
  const WideString name = AppConfig.ReadString(u"System", u"name", u"");

  if (AppConfig.ReadString(u"System", u"TempPath", u"").empty()) {
    const WideString temp = GetUserTempPath() + name + u"Temp/";
    if (!WideDirectoryExists(temp)) CreateDirectoryW(temp.c_str(), nullptr);
    AppConfig.WriteString(u"System", u"TempPath", temp);
  }
  if (AppConfig.ReadString(u"System", u"SnapshotPath", u"").empty()) {
    const WideString snapshot = UTF8ToWide(GetMyDocumentsPath()) + name + u"/Snapshot";
    ForceDirectoriesW(snapshot);
    AppConfig.WriteString(u"System", u"SnapshotPath", snapshot);
  }
  if (AppConfig.ReadString(u"System", u"ThumbnailPath", u"").empty()) {
    const WideString thumbnails = programFolder + u"Thumbnail/";
    if (!WideDirectoryExists(thumbnails)) CreateDirectoryW(thumbnails.c_str(), nullptr);
    AppConfig.WriteString(u"System", u"ThumbnailPath", thumbnails);
  }
}

AnsiString AppExeNameOf(const AnsiString& programFile) {
  const AnsiString name = WideToUTF8(WideExtractFileName(UTF8ToWide(programFile)));
  const size_t dot = name.rfind('.');
  return dot == AnsiString::npos || dot == 0 ? name : name.substr(0, dot);
}

int RunBrantwell(const TStartupSeams& seams) { return TStartup(seams).Run(); }
