// kivbook: the address book's demonstration and benchmark, driving
// ledrow.exe from outside as a user would, with the stand-in viewer.
//
//   kivbook            a generated book (folders, plain and protected
//                      entries): ledrow shows it, launches a protected
//                      entry into the stand-in viewer (the master password
//                      asked for, a wrong one refused, the password handed
//                      over on the viewer's standard input), takes a
//                      connection the viewer saves, refuses a hundred bad
//                      ones in a row with one box, and closes; every step
//                      checked
//   kivbook --bench    10,000 entries in 100 folders: ledrow loads, checks
//                      and shows them, beside a plain loop that opens and
//                      reads the same files; ledrow's memory
#include "ledrow/app/tests/SampleBook.h"
#include "ledrow/app/tests/win/LedrowProcess.h"
#include "ledrow/data/PasswordObfuscation.h"
#include "plat/String.h"
#include "testing/FileTree.h"
#include "testing/TempDir.h"
#include "testing/WindowInput.h"

#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

using namespace addrbook_test;
using testing_support::TempDir;
using testing_support::utf8;
using testing_support::wide;

namespace {

const char* const Master = "harbour lights";

int failures = 0;

void check(bool ok, const char* step, const std::string& detail = "") {
  printf("  %-68s %s%s%s\n", step, ok ? "ok" : "FAILED", detail.empty() ? "" : ": ",
         detail.c_str());
  fflush(stdout);
  if (!ok)
    failures++;
}

std::wstring windowText(HWND window) {
  wchar_t text[256] = {};
  SendMessageW(window, WM_GETTEXT, 256, (LPARAM)text);
  return text;
}

// The first window of class cls below window.
HWND child(HWND window, const wchar_t* cls) {
  struct Search {
    const wchar_t* cls;
    HWND found;
  } search = {cls, nullptr};
  EnumChildWindows(
      window,
      [](HWND w, LPARAM p) {
        Search* s = (Search*)p;
        wchar_t name[64];
        GetClassNameW(w, name, 64);
        if (lstrcmpiW(name, s->cls) != 0)
          return TRUE;
        s->found = w;
        return FALSE;
      },
      (LPARAM)&search);
  return search.found;
}

std::wstring bookArguments(const std::string& book) {
  return wide("AddressBook=" + inQuotes(book) + " ViewerPath=" + inQuotes(utf8(standinPath())) +
              " MasterPassword=" + addrbook::sample::verifier(Master) + " minimiseToTray=0");
}

bool waitFor(const std::function<bool()>& done, int ms) {
  for (int waited = 0; waited < ms; waited += 20, Sleep(20))
    if (done())
      return true;
  return done();
}

int demo() {
  TempDir temp;
  std::string book = temp.file("Kiv Address Book");
  std::string record = temp.file("viewer.txt");
  SetEnvironmentVariableW(L"KIV_VIEWER_RECORD", wide(record).c_str());
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Torvane\\Kiv Address Book");
  int entries = addrbook::sample::writeSampleBook(book, Master);
  printf("a book of %d entries in folders, some protected, in %s\n", entries, book.c_str());

  LedrowProcess ledrow(bookArguments(book));
  HWND window = ledrow.window(30000);
  check(window != nullptr, "ledrow shows its window");
  if (!window)
    return 1;
  HWND status = child(window, STATUSCLASSNAMEW);
  check(windowText(status) == std::to_wstring(entries) + L" entries", "the status bar counts them",
        utf8(windowText(status)));
  // Alphabetic view: the entries under a header for each first letter.
  int items = (int)SendMessageW(child(window, WC_TREEVIEWW), TVM_GETCOUNT, 0, 0);
  check(items == entries + 5, "the tree shows them under their letters",
        std::to_string(items) + " items");

  printf("launching \"Build farm\", protected by the master password:\n");
  check(quickLaunch(ledrow.id(), window, L"Build farm"), "the quick-launch popup takes its name");
  HWND prompt = waitForWindowOf(ledrow.id(), L"Enter Master Password", L"#32770", 10000);
  check(prompt != nullptr, "the master password is asked for");
  if (!prompt)
    return 1;
  SendDlgItemMessageW(prompt, 1011, WM_SETTEXT, 0, (LPARAM)L"a wrong guess");
  testing_support::clickButton(prompt, IDOK);
  std::wstring said;
  waitFor([&] { return (said = windowText(GetDlgItem(prompt, 1010))) == L"Incorrect password."; },
          5000);
  check(said == L"Incorrect password.", "a wrong one is refused", utf8(said));
  SendDlgItemMessageW(prompt, 1011, WM_SETTEXT, 0, (LPARAM)wide(Master).c_str());
  testing_support::clickButton(prompt, IDOK);
  std::string received = waitForRecord(record, 15000);
  printf("the stand-in viewer received:\n%s", received.c_str());
  addrbook::ZeroingBytes password;
  addrbook::obfuscatePassword(&password, "s3cret");
  plat::String hex = plat::String::adopt(plat::binToHex({password.length(), password.data()}));
  check(received.find("-console -passwd - -config " + inQuotes(book + "\\Build farm.kiv")) !=
            std::string::npos,
        "its command line names the entry file, the password comes on stdin");
  check(received.find(std::string("stdin: ") + hex.c_str() + "\nend of file: yes\n") !=
            std::string::npos,
        "it read the obfuscated password, then the end of its input");

  printf("the stand-in viewer saves a connection (WM_COPYDATA, the text counted without a "
         "terminator):\n");
  std::string sent = temp.file("connection.kiv");
  testing_support::writeFile(sent, "[Connection]\nHost=new.example.org:2\nUserName=guest\n");
  check(sendAsViewer(sent, " --raw") == 0, "the address book answers 1");
  std::string added = book + "\\new.example.org-2.kiv";
  check(waitFor([&] { return windowText(status) == std::to_wstring(entries + 1) + L" entries"; },
                10000) &&
            GetFileAttributesW(wide(added).c_str()) != INVALID_FILE_ATTRIBUTES,
        "a new entry is saved and shown", added);

  printf("the stand-in sends a block that is no connection file, a hundred times in a row:\n");
  std::string bad = temp.file("bad.kiv");
  testing_support::writeFile(bad, "[Connection]\nHost\n");
  check(sendAsViewer(bad, " --raw --times 100") == 2, "each is answered 0");
  check(dialogCount(ledrow.id()) <= 1, "one box at most",
        std::to_string(dialogCount(ledrow.id())) + " open");
  std::wstring box = closeBoxSaying(ledrow.id(), L"Could not create new address book entry: ", 10000);
  check(box.find(L"Could not create new address book entry: bad Name/Value pair") == 0,
        "it names the reader's reason", utf8(box));
  check(sendAsViewer(sent, " --raw") == 0, "the address book still answers");

  PostMessageW(window, WM_CLOSE, 0, 0);
  check(ledrow.wait(20000) == 0, "closing ends ledrow with 0");
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Torvane\\Kiv Address Book");
  printf(failures ? "demonstration FAILED\n" : "demonstration passed\n");
  return failures ? 1 : 0;
}

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Opens and reads every ".kiv" file below folder; returns the count.
int readAll(const std::wstring& folder, size_t* bytes) {
  int count = 0;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE)
    return 0;
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..")
      continue;
    std::wstring path = folder + L"\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      count += readAll(path, bytes);
    } else if (name.size() > 4 && name.compare(name.size() - 4, 4, L".kiv") == 0) {
      FILE* f = _wfopen(path.c_str(), L"rb");
      char buffer[4096];
      size_t n;
      while (f && (n = fread(buffer, 1, sizeof(buffer), f)) > 0)
        *bytes += n;
      if (f)
        fclose(f);
      count++;
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return count;
}

struct Shown {
  double seconds = 0; // from the window's first appearance to a full tree
  int items = 0;
  PROCESS_MEMORY_COUNTERS memory = {sizeof(PROCESS_MEMORY_COUNTERS)};
};

// ledrow on book until its tree holds items items: the book loaded, each
// entry read and checked, the tree filled.
Shown showBook(const std::string& book, int items) {
  Shown shown;
  LedrowProcess ledrow(bookArguments(book));
  HWND window = nullptr;
  waitFor([&] { return (window = FindWindowW(L"Torvane.Ostrel.AddressBook", nullptr)) != nullptr; },
          60000);
  auto start = std::chrono::steady_clock::now();
  HWND tree = nullptr;
  waitFor(
      [&] {
        if (!tree && window)
          tree = child(window, WC_TREEVIEWW);
        DWORD_PTR count = 0;
        if (tree && SendMessageTimeoutW(tree, TVM_GETCOUNT, 0, 0, SMTO_NORMAL, 1000, &count))
          shown.items = (int)count;
        return shown.items >= items && window && IsWindowVisible(window);
      },
      300000);
  shown.seconds = seconds(start);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ledrow.id());
  GetProcessMemoryInfo(process, &shown.memory, sizeof(shown.memory));
  CloseHandle(process);
  PostMessageW(window, WM_CLOSE, 0, 0);
  ledrow.wait(20000);
  return shown;
}

double megabytes(size_t bytes) { return bytes / 1048576.0; }

int bench() {
  const int folders = 100, perFolder = 100, entries = folders * perFolder;
  TempDir temp;
  std::string book = temp.file("Large Book");
  std::string empty = temp.file("Empty Book");
  CreateDirectoryW(wide(empty).c_str(), nullptr);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Torvane\\Kiv Address Book");
  auto start = std::chrono::steady_clock::now();
  addrbook::sample::writeLargeBook(book, folders, perFolder);
  printf("%d entries in %d folders written in %.2f s\n", entries, folders, seconds(start));

  size_t bytes = 0;
  start = std::chrono::steady_clock::now();
  int read = readAll(wide(book), &bytes);
  double loop = seconds(start);
  printf("plain loop: opened and read %d files (%zu bytes) in %.3f s\n", read, bytes, loop);

  Shown none = showBook(empty, 0);
  // The alphabetic view: one header ("M") and every entry.
  Shown large = showBook(book, entries + 1);

  start = std::chrono::steady_clock::now();
  bytes = 0;
  readAll(wide(book), &bytes);
  double baseline = std::min(loop, seconds(start));
  printf("ledrow: %d items (the entries and their header) shown in %.3f s, %.2f x the plain "
         "loop (best of two runs: %.3f s); goal at most 2 x\n",
         large.items, large.seconds, large.seconds / baseline, baseline);
  printf("ledrow's memory with the book: peak working set %.1f MB, committed %.1f MB; with an "
         "empty book %.1f MB and %.1f MB; goal under 50 MB\n",
         megabytes(large.memory.PeakWorkingSetSize), megabytes(large.memory.PagefileUsage),
         megabytes(none.memory.PeakWorkingSetSize), megabytes(none.memory.PagefileUsage));
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Torvane\\Kiv Address Book");
  return large.items >= entries + 1 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  try {
    return argc > 1 && strcmp(argv[1], "--bench") == 0 ? bench() : demo();
  } catch (const std::exception& e) {
    printf("FAILED: %s\n", e.what());
  } catch (const plat::Exception& e) {
    printf("FAILED: %s\n", e.str());
  }
  return 1;
}
