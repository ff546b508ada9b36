// kivviewer-standin: plays the viewer's two parts towards the address book.
//
// Started by ledrow as the viewer, it records what it was given: its
// command line and, when told "-passwd -", every byte of its standard
// input up to the end of file. The record goes to the file named by
// KIV_VIEWER_RECORD (written whole, then moved into place), or to
// "%TEMP%\kivviewer-standin.txt":
//
//   command line: <the command line>
//   stdin: <hex bytes> | none
//   end of file: yes | no
//
//   kivviewer-standin --send <file> [--raw] [--times <n>]
//
// sends the file's bytes to the address book's window as the viewer's
// "Save Connection" does (WM_COPYDATA), with a terminating NUL unless
// --raw (the block is then exactly the file's bytes, as a sender sends
// that counts the text), n times in a row (once by default), and prints
// each answer. Exit code 0 when every answer was 1, 2 when one was 0, 3
// without an address book window, 4 when an answer did not come in 20 s.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), nullptr, 0, nullptr, nullptr);
  std::string s(n, 0);
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), &s[0], n, nullptr, nullptr);
  return s;
}

struct Input {
  HANDLE handle;
  std::string bytes;
  bool endOfFile = false;
};

DWORD WINAPI readAll(void* param) {
  Input* input = (Input*)param;
  char buffer[4096];
  DWORD got;
  while (ReadFile(input->handle, buffer, sizeof(buffer), &got, nullptr) && got > 0)
    input->bytes.append(buffer, got);
  input->endOfFile = true;
  return 0;
}

std::string hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::wstring recordPath() {
  wchar_t path[MAX_PATH];
  if (GetEnvironmentVariableW(L"KIV_VIEWER_RECORD", path, MAX_PATH))
    return path;
  GetTempPathW(MAX_PATH, path);
  return std::wstring(path) + L"kivviewer-standin.txt";
}

int record() {
  std::wstring commandLine = GetCommandLineW();
  std::string text = "command line: " + utf8(commandLine) + "\n";
  HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
  if (commandLine.find(L"-passwd -") == std::wstring::npos) {
    text += "stdin: none\nend of file: no\n";
  } else if (!handle || handle == INVALID_HANDLE_VALUE) {
    text += "stdin: none\nend of file: no\n";
  } else {
    // An input that never ends must not keep the stand-in running.
    Input input;
    input.handle = handle;
    HANDLE reader = CreateThread(nullptr, 0, readAll, &input, 0, nullptr);
    bool ended = WaitForSingleObject(reader, 10000) == WAIT_OBJECT_0;
    text += "stdin: " + hex(input.bytes) + "\nend of file: " +
            (ended && input.endOfFile ? "yes" : "no") + "\n";
    if (!ended)
      TerminateThread(reader, 0);
    CloseHandle(reader);
  }
  std::wstring path = recordPath();
  std::wstring temporary = path + L".tmp";
  FILE* f = _wfopen(temporary.c_str(), L"wb");
  if (!f)
    return 1;
  fwrite(text.data(), 1, text.size(), f);
  fclose(f);
  return MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}

int send(const wchar_t* file, bool raw, int times) {
  FILE* f = _wfopen(file, L"rb");
  if (!f) {
    fprintf(stderr, "cannot read %ls\n", file);
    return 1;
  }
  std::vector<char> data;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
    data.insert(data.end(), buffer, buffer + n);
  fclose(f);
  if (!raw)
    data.push_back(0);
  HWND book = FindWindowW(L"Torvane.Ostrel.AddressBook", nullptr);
  if (!book) {
    printf("no address book\n");
    return 3;
  }
  int result = 0;
  for (int i = 0; i < times; i++) {
    COPYDATASTRUCT message = {0, (DWORD)data.size(), data.empty() ? nullptr : data.data()};
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(book, WM_COPYDATA, 0, (LPARAM)&message, SMTO_NORMAL, 20000,
                             &answer)) {
      printf("no answer\n");
      return 4;
    }
    printf("answer %d\n", (int)answer);
    if (answer != 1)
      result = 2;
  }
  return result;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  if (argc >= 3 && wcscmp(argv[1], L"--send") == 0) {
    bool raw = false;
    int times = 1;
    for (int i = 3; i < argc; i++) {
      if (wcscmp(argv[i], L"--raw") == 0)
        raw = true;
      else if (wcscmp(argv[i], L"--times") == 0 && i + 1 < argc)
        times = _wtoi(argv[++i]);
    }
    return send(argv[2], raw, times);
  }
  return record();
}
