// ledrow.exe started as a user starts it, driven from outside as a user
// would, and the stand-in viewer that records what ledrow gives it. The
// programs are found from this program's folder: a test of ledrow/app or
// a tool of tools/.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace addrbook_test {

// The build's programs.
std::wstring ledrowPath();
std::wstring standinPath();
// text in double quotes.
std::string inQuotes(const std::string& text);

// A ledrow process; killed when the object goes if it still runs. Its
// standard error is kept.
class LedrowProcess {
public:
  // arguments: everything after the program name.
  explicit LedrowProcess(const std::wstring& arguments);
  ~LedrowProcess();
  // The exit code, or -1 when it has not ended within ms.
  int wait(int ms);
  DWORD id() const { return info_.dwProcessId; }
  // Its main window once it has one (null after ms).
  HWND window(int ms);
  // What it wrote to standard error (once it has ended).
  std::string errorOutput();

private:
  PROCESS_INFORMATION info_;
  HANDLE errorRead_;
};

// The address book's settings key, emptied before and after a test.
struct FreshSettings {
  FreshSettings();
  ~FreshSettings();
};

// The stand-in viewer's "--send" of the file, with further options (such
// as " --raw"): its exit code (0 when every answer was 1, 2 when one was
// 0; -1 when it could not start, 99 when it did not end within 30 s).
int sendAsViewer(const std::string& file, const char* options);

// The stand-in's record of one launch: "command line: ...", "stdin: ...",
// "end of file: ..."; empty when no viewer came within ms.
std::string waitForRecord(const std::string& path, int ms);

// The top-level window of process whose title is title (any window when
// empty), within ms.
HWND waitForWindowOf(DWORD process, const std::wstring& title, const std::wstring& cls, int ms);

// Opens the quick-launch popup of a running ledrow (as a click on its
// notification-area icon does) and launches what text names; false when
// no popup came.
bool quickLaunch(DWORD process, HWND window, const wchar_t* text);

// How many dialogs (message boxes among them) process shows now.
int dialogCount(DWORD process);

// A dialog of process that says text (its static texts begin with it),
// within ms; it is closed as its Cancel button would, and its whole text
// returned (empty when none came).
std::wstring closeBoxSaying(DWORD process, const std::wstring& text, int ms);

} // namespace addrbook_test
