// kivpaste: pastes the clipboard's virtual files the way the shell's paste
// does: OleGetClipboard, the "FileGroupDescriptorW" list, then each file's
// "FileContents" stream read to its end. The files are generated ones
// (testing/VirtualTree.h): every byte is checked against its pattern
// instead of being stored.
//
//   kivpaste [--report FILE] [--chunk BYTES] [--wait SECONDS]
//
// --wait: how long to wait for file descriptors to appear on the clipboard
// (default 30 s). The report has one line per entry, fields separated by
// tabs: "D", name for a folder; "F", name, size, "ok" or why not for a
// file; names '/'-separated; and last "S", seconds, bytes, files. A paste
// that stops short ends it with "E" and why. Prints a summary; ends with 0
// when every file came whole and right, 1 otherwise.
#include "ferrin/FileGroupDescriptor.h"
#include "plat/win/Unicode.h"
#include "testing/Pattern.h"
#include "testing/TempDir.h"

#include <ole2.h>
#include <shellapi.h>
#include <windows.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

using testing_support::utf8;

namespace {

struct Options {
  std::wstring report;
  ULONG chunk = 65536;
  int wait = 30;
};

// An HRESULT as Windows' own texts show it.
std::string hex(HRESULT hr) {
  char text[16];
  snprintf(text, sizeof(text), "0x%08" PRIX32, (uint32_t)hr);
  return text;
}

std::string shareName(const std::u16string& windowsName) {
  std::string name = utf8(std::wstring(windowsName.begin(), windowsName.end()));
  for (char& c : name)
    if (c == '\\')
      c = '/';
  return name;
}

// Each GetData of OLE's clipboard object opens the clipboard, which another
// program may hold open for a moment (one that reads it, or puts something
// there): a paste that meets it so tries again, for a while.
const ULONGLONG HeldClipboardMs = 10000;

HRESULT getData(IDataObject* data, FORMATETC* format, STGMEDIUM* medium) {
  ULONGLONG deadline = GetTickCount64() + HeldClipboardMs;
  for (;;) {
    HRESULT hr = data->GetData(format, medium);
    if (hr != CLIPBRD_E_CANT_OPEN || GetTickCount64() > deadline)
      return hr;
    Sleep(20);
  }
}

// Reads the stream to its end; why it was wrong, or "".
std::string readAndCheck(IStream* stream, const std::string& name, uint64_t size, ULONG chunk,
                         uint64_t* bytes) {
  std::vector<char> buffer(chunk);
  uint32_t seed = testing_support::patternSeed(name);
  uint64_t at = 0;
  bool same = true;
  HRESULT hr;
  for (;;) {
    ULONG n = 0;
    hr = stream->Read(buffer.data(), chunk, &n);
    if (n > 0) {
      same = same && testing_support::matchesPattern(seed, at, buffer.data(), n);
      at += n;
    }
    if (hr != S_OK || n == 0)
      break;
  }
  *bytes = at;
  if (FAILED(hr))
    return "read failed " + hex(hr);
  if (at != size)
    return "got " + std::to_string(at) + " bytes";
  return same ? "" : "bytes differ";
}

int run(const Options& options, FILE* report) {
  CLIPFORMAT descriptorsFormat = (CLIPFORMAT)RegisterClipboardFormatW(L"FileGroupDescriptorW");
  CLIPFORMAT contentsFormat = (CLIPFORMAT)RegisterClipboardFormatW(L"FileContents");
  ULONGLONG deadline = GetTickCount64() + (ULONGLONG)options.wait * 1000;
  while (!IsClipboardFormatAvailable(descriptorsFormat)) {
    if (GetTickCount64() > deadline)
      throw std::runtime_error("no file descriptors on the clipboard");
    Sleep(50);
  }
  auto started = std::chrono::steady_clock::now();
  IDataObject* data = nullptr;
  HRESULT hr = OleGetClipboard(&data);
  if (FAILED(hr))
    throw std::runtime_error("OleGetClipboard failed " + hex(hr));
  FORMATETC format = {descriptorsFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium = {};
  hr = getData(data, &format, &medium);
  if (FAILED(hr) || medium.tymed != TYMED_HGLOBAL)
    throw std::runtime_error("GetData(FileGroupDescriptorW) failed " + hex(hr));
  const uint8_t* locked = (const uint8_t*)GlobalLock(medium.hGlobal);
  std::vector<uint8_t> block(locked, locked + (locked ? GlobalSize(medium.hGlobal) : 0));
  GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  ft::FileGroupDescriptor descriptors(block.data(), block.size(), true);

  int files = 0, folders = 0, bad = 0;
  uint64_t total = 0;
  for (uint32_t i = 0; i < descriptors.count(); i++) {
    ft::FileDescriptorRecord record = descriptors.record(i);
    std::string name = shareName(record.wideName);
    if (record.attributes & FILE_ATTRIBUTE_DIRECTORY) {
      folders++;
      if (report)
        fprintf(report, "D\t%s\n", name.c_str());
      continue;
    }
    files++;
    FORMATETC contents = {contentsFormat, nullptr, DVASPECT_CONTENT, (LONG)i, TYMED_ISTREAM};
    STGMEDIUM stream = {};
    std::string problem;
    uint64_t bytes = 0;
    hr = getData(data, &contents, &stream);
    if (FAILED(hr) || stream.tymed != TYMED_ISTREAM) {
      problem = "GetData(FileContents) failed " + hex(hr);
    } else {
      problem = readAndCheck(stream.pstm, name, record.size, options.chunk, &bytes);
      ReleaseStgMedium(&stream);
    }
    total += bytes;
    if (!problem.empty()) {
      bad++;
      fprintf(stderr, "kivpaste: %s: %s\n", name.c_str(), problem.c_str());
    }
    if (report)
      fprintf(report, "F\t%s\t%llu\t%s\n", name.c_str(), (unsigned long long)record.size,
              problem.empty() ? "ok" : problem.c_str());
  }
  data->Release();
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (report)
    fprintf(report, "S\t%.3f\t%llu\t%d\n", seconds, (unsigned long long)total, files);
  printf("pasted %d files and %d folders, %llu bytes in %.2f s: %.1f MB/s, %.0f files/s%s\n",
         files, folders, (unsigned long long)total, seconds,
         seconds > 0 ? total / seconds / 1e6 : 0.0, seconds > 0 ? files / seconds : 0.0,
         bad ? "; SOME WRONG" : "; every byte checked");
  fflush(stdout);
  return bad ? 1 : 0;
}

} // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::wstring a = argv[i];
    if (a == L"--report")
      options.report = argv[i + 1];
    else if (a == L"--chunk")
      options.chunk = (ULONG)wcstoul(argv[i + 1], nullptr, 10);
    else if (a == L"--wait")
      options.wait = _wtoi(argv[i + 1]);
  }
  OleInitialize(nullptr);
  FILE* report = options.report.empty() ? nullptr : _wfopen(options.report.c_str(), L"w");
  int result = 1;
  try {
    result = run(options, report);
  } catch (const std::exception& e) {
    fprintf(stderr, "kivpaste: %s\n", e.what());
    if (report)
      fprintf(report, "E\t%s\n", e.what());
  }
  if (report)
    fclose(report);
  OleUninitialize();
  LocalFree(argv);
  return result;
}
