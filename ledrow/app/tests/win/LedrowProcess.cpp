#include "win/LedrowProcess.h"
#include "testing/ModalHelper.h"
#include "testing/TempDir.h"
#include "testing/WindowInput.h"

#include <stdexcept>

namespace addrbook_test {

// The build folder: the nearest folder above this program that holds
// ledrow.exe where the build puts it.
static std::wstring buildFolder() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  for (size_t cut; (cut = path.find_last_of(L"\\/")) != std::wstring::npos;) {
    path.resize(cut);
    if (GetFileAttributesW((path + L"\\ledrow\\app\\ledrow.exe").c_str()) !=
        INVALID_FILE_ATTRIBUTES)
      return path;
  }
  throw std::runtime_error("no ledrow.exe above this program");
}

std::wstring ledrowPath() { return buildFolder() + L"\\ledrow\\app\\ledrow.exe"; }

std::wstring standinPath() {
  return buildFolder() + L"\\tools\\viewer\\kivviewer-standin.exe";
}

std::string inQuotes(const std::string& text) { return "\"" + text + "\""; }

LedrowProcess::LedrowProcess(const std::wstring& arguments) : info_(), errorRead_(nullptr) {
  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  HANDLE errorWrite;
  CreatePipe(&errorRead_, &errorWrite, &sa, 1 << 20);
  SetHandleInformation(errorRead_, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdError = errorWrite;
  std::wstring commandLine = L"\"" + ledrowPath() + L"\" " + arguments;
  // Without a console, as Windows starts a program of the GUI subsystem
  // (Wine would hand it ours).
  BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE,
                                DETACHED_PROCESS, nullptr, nullptr, &startup, &info_);
  CloseHandle(errorWrite);
  if (!started)
    throw std::runtime_error("cannot start ledrow.exe");
}

LedrowProcess::~LedrowProcess() {
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
  CloseHandle(errorRead_);
}

int LedrowProcess::wait(int ms) {
  if (WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0)
    return -1;
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return (int)code;
}

HWND LedrowProcess::window(int ms) {
  return waitForWindowOf(info_.dwProcessId, L"Kiv Address Book", L"Torvane.Ostrel.AddressBook",
                         ms);
}

std::string LedrowProcess::errorOutput() {
  std::string text;
  char buffer[4096];
  DWORD got;
  while (ReadFile(errorRead_, buffer, sizeof(buffer), &got, nullptr) && got > 0)
    text.append(buffer, got);
  return text;
}

static void clearSettings() {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Torvane\\Kiv Address Book");
}

FreshSettings::FreshSettings() { clearSettings(); }
FreshSettings::~FreshSettings() { clearSettings(); }

int sendAsViewer(const std::string& file, const char* options) {
  std::wstring line = L"\"" + standinPath() + L"\" --send " +
                      testing_support::wide(inQuotes(file)) + testing_support::wide(options);
  STARTUPINFOW startup = {sizeof(startup)};
  PROCESS_INFORMATION info;
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &info))
    return -1;
  DWORD code = 99;
  if (WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0)
    GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return (int)code;
}

std::string waitForRecord(const std::string& path, int ms) {
  for (int waited = 0; waited < ms; waited += 50) {
    if (GetFileAttributesW(testing_support::wide(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
      try {
        return testing_support::readFile(path);
      } catch (const std::exception&) {
        // Just moved into place: the system may not let it be opened yet.
      }
    }
    Sleep(50);
  }
  return "";
}

namespace {

struct Search {
  DWORD process;
  std::wstring title;
  std::wstring cls;
  HWND found;
  const std::wstring* says = nullptr;
};

BOOL CALLBACK match(HWND window, LPARAM param) {
  Search* search = (Search*)param;
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t text[256] = {}, cls[64] = {};
  GetWindowTextW(window, text, 256);
  GetClassNameW(window, cls, 64);
  if (owner == search->process && IsWindowVisible(window) &&
      (search->title.empty() || search->title == text) &&
      (search->cls.empty() || search->cls == cls) &&
      (!search->says || testing_support::staticTexts(window).find(*search->says) == 0)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

} // namespace

HWND waitForWindowOf(DWORD process, const std::wstring& title, const std::wstring& cls, int ms) {
  for (int waited = 0; waited < ms; waited += 50) {
    Search search = {process, title, cls, nullptr};
    EnumWindows(match, (LPARAM)&search);
    if (search.found)
      return search.found;
    Sleep(50);
  }
  return nullptr;
}

int dialogCount(DWORD process) {
  struct Count {
    DWORD process;
    int dialogs;
  } count = {process, 0};
  EnumWindows(
      [](HWND window, LPARAM param) {
        Count* c = (Count*)param;
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t cls[64] = {};
        GetClassNameW(window, cls, 64);
        if (owner == c->process && IsWindowVisible(window) && wcscmp(cls, L"#32770") == 0)
          c->dialogs++;
        return TRUE;
      },
      (LPARAM)&count);
  return count.dialogs;
}

std::wstring closeBoxSaying(DWORD process, const std::wstring& text, int ms) {
  for (int waited = 0; waited < ms; waited += 50) {
    Search search = {process, L"", L"#32770", nullptr, &text};
    EnumWindows(match, (LPARAM)&search);
    if (search.found) {
      std::wstring said = testing_support::staticTexts(search.found);
      testing_support::ModalHelper::dismiss(search.found);
      // Gone before the next call looks, or that call finds it again.
      for (int i = 0; i < 250 && IsWindow(search.found); i++)
        Sleep(20);
      return said;
    }
    Sleep(50);
  }
  return L"";
}

bool quickLaunch(DWORD process, HWND window, const wchar_t* text) {
  PostMessageW(window, WM_APP + 1, 0, WM_LBUTTONUP);
  HWND popup = waitForWindowOf(process, L"", L"#32770", 10000);
  if (!popup)
    return false;
  HWND edit = (HWND)SendMessageW(GetDlgItem(popup, 1012), CBEM_GETEDITCONTROL, 0, 0);
  SendMessageW(edit, WM_SETTEXT, 0, (LPARAM)text);
  testing_support::clickButton(popup, IDOK);
  return true;
}

} // namespace addrbook_test
