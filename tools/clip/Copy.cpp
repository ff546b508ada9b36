// kivcopy: puts files on the clipboard the way the shell's copy does, or
// the way other programs do, and serves them until told to stop.
//
//   kivcopy [--formats idlist,hdrop] [--repeat N] [--endless-formats]
//           [--stop-event NAME] [--ready-event NAME] [--seconds N] PATH...
//       the files and folders named (all in one folder) as a shell item
//       list ("Shell IDList Array") and a dropped-file list (CF_HDROP), in
//       the order --formats gives. --repeat: each list names every path N
//       times (the shell item list by N offsets to one item). With
//       --endless-formats the data object's format enumerator never ends
//       once the clipboard holds it (OLE's own enumeration while putting it
//       there does end)
//   kivcopy --direct [--repeat N] [--stop-event NAME] [--ready-event NAME]
//           [--seconds N] PATH...
//       the dropped-file list alone, put on the clipboard with
//       SetClipboardData as programs that do not use OLE copy
//   kivcopy --virtual SHAPE [--stop-event NAME] [--ready-event NAME]
//           [--seconds N]
//       generated virtual files (testing/VirtualTree.h) as file descriptors
//       ("FileGroupDescriptorW") and their contents ("FileContents"
//       streams): the plain virtual-file source that pastes are measured
//       against
//
// Prints "ready" and sets the ready event once the clipboard holds its
// data, serves it until the named stop event is set or the time is up,
// then empties the clipboard if it still holds its data and ends with 0.
// With --endless-formats it prints how many formats its endless
// enumerators handed out.
#include "ClipDataObject.h"
#include "CopiedLists.h"
#include "EndlessFormats.h"
#include "PatternStream.h"

#include "ferrin/FileGroupDescriptor.h"
#include "plat/win/Unicode.h"
#include "testing/Pattern.h"
#include "testing/TempDir.h"
#include "testing/VirtualTree.h"

#include <shellapi.h>
#include <shlobj.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace clip;
using testing_support::VirtualEntry;
using testing_support::utf8;

namespace {

HRESULT inMemory(const std::vector<uint8_t>& bytes, STGMEDIUM* medium) {
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = globalCopy(bytes.data(), bytes.size());
  return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
}

std::u16string windowsName(const std::string& name) {
  plat::WString w(name.c_str());
  std::u16string u((const char16_t*)w.c_str());
  for (char16_t& c : u)
    if (c == u'/')
      c = u'\\';
  return u;
}

void offerVirtual(ClipDataObject* data, const std::vector<VirtualEntry>& tree) {
  CLIPFORMAT descriptors = (CLIPFORMAT)RegisterClipboardFormatW(L"FileGroupDescriptorW");
  CLIPFORMAT contents = (CLIPFORMAT)RegisterClipboardFormatW(L"FileContents");
  data->add(descriptors, TYMED_HGLOBAL, -1, [tree](const FORMATETC&, STGMEDIUM* medium) {
    std::vector<uint8_t> block(ft::FileGroupDescriptor::blockSize(tree.size()));
    ft::FileGroupDescriptor::writeCount(block.data(), (uint32_t)tree.size());
    for (size_t i = 0; i < tree.size(); i++) {
      ft::FileDescriptorRecord r;
      r.flags = ft::FileDescriptorRecord::HasAttributes | ft::FileDescriptorRecord::HasSize;
      r.attributes = tree[i].directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
      r.size = tree[i].size;
      r.wideName = windowsName(tree[i].name);
      ft::FileGroupDescriptor::writeRecord(block.data(), (uint32_t)i, r, true);
    }
    return inMemory(block, medium);
  });
  data->add(contents, TYMED_ISTREAM, 0, [tree](const FORMATETC& asked, STGMEDIUM* medium) {
    if (asked.lindex < 0 || (size_t)asked.lindex >= tree.size() || tree[asked.lindex].directory)
      return DV_E_LINDEX;
    const VirtualEntry& entry = tree[asked.lindex];
    medium->tymed = TYMED_ISTREAM;
    medium->pstm = new com::ComObject<PatternStream>(testing_support::patternSeed(entry.name),
                                                     entry.size);
    return S_OK;
  });
}

void offerFiles(ClipDataObject* data, const std::vector<std::wstring>& paths,
                const std::string& formats, uint32_t repeat) {
  size_t at = 0;
  while (at <= formats.size()) {
    size_t comma = formats.find(',', at);
    std::string format = formats.substr(at, comma == std::string::npos ? comma : comma - at);
    if (format == "idlist") {
      data->addBlock((CLIPFORMAT)RegisterClipboardFormatW(L"Shell IDList Array"),
                     shellIdList(paths, repeat));
    } else if (format == "hdrop") {
      data->addBlock(CF_HDROP, droppedFileList(paths, repeat));
    } else {
      throw std::runtime_error("unknown format " + format);
    }
    if (comma == std::string::npos)
      break;
    at = comma + 1;
  }
}

// Serves the clipboard's calls until the event is set or the time is up.
void serve(HANDLE stop, int seconds) {
  ULONGLONG deadline = GetTickCount64() + (ULONGLONG)seconds * 1000;
  for (;;) {
    ULONGLONG now = GetTickCount64();
    if (now >= deadline)
      return;
    DWORD wait = (DWORD)(deadline - now);
    DWORD result = stop ? MsgWaitForMultipleObjects(1, &stop, FALSE, wait, QS_ALLINPUT)
                        : MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    if (stop && result == WAIT_OBJECT_0)
      return;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

// The dropped-file list put on the clipboard with SetClipboardData, owned by
// a window of this program; emptied at the end if still there.
class DirectCopy {
public:
  explicit DirectCopy(const std::vector<uint8_t>& block)
      : window_(CreateWindowW(L"STATIC", L"kivcopy", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              nullptr, nullptr)) {
    if (!window_ || !OpenClipboard(window_))
      throw std::runtime_error("cannot open the clipboard");
    EmptyClipboard();
    HGLOBAL memory = globalCopy(block.data(), block.size());
    bool set = memory && SetClipboardData(CF_HDROP, memory);
    CloseClipboard();
    if (!set)
      throw std::runtime_error("SetClipboardData failed");
  }
  ~DirectCopy() {
    if (GetClipboardOwner() == window_ && OpenClipboard(window_)) {
      EmptyClipboard();
      CloseClipboard();
    }
    DestroyWindow(window_);
  }

private:
  HWND window_;
};

int run(int argc, wchar_t** argv) {
  std::string formats = "idlist,hdrop";
  std::wstring stopName;
  std::wstring readyName;
  int seconds = 600;
  uint32_t repeat = 1;
  std::vector<std::wstring> paths;
  testing_support::VirtualShape shape;
  bool isVirtual = false;
  bool direct = false;
  bool endless = false;
  for (int i = 1; i < argc; i++) {
    std::wstring a = argv[i];
    bool hasValue = i + 1 < argc;
    std::string value = hasValue ? utf8(argv[i + 1]) : "";
    if (a == L"--formats" && hasValue) {
      formats = value;
      i++;
    } else if (a == L"--stop-event" && hasValue) {
      stopName = argv[++i];
    } else if (a == L"--ready-event" && hasValue) {
      readyName = argv[++i];
    } else if (a == L"--seconds" && hasValue) {
      seconds = atoi(value.c_str());
      i++;
    } else if (a == L"--repeat" && hasValue) {
      repeat = (uint32_t)strtoul(value.c_str(), nullptr, 10);
      i++;
    } else if (a == L"--virtual" && hasValue) {
      if (!testing_support::parseShape(value, &shape))
        throw std::runtime_error("bad shape " + value);
      isVirtual = true;
      i++;
    } else if (a == L"--direct") {
      direct = true;
    } else if (a == L"--endless-formats") {
      endless = true;
    } else {
      paths.push_back(a);
    }
  }
  if (!isVirtual && paths.empty())
    throw std::runtime_error("nothing to copy");
  if (repeat < 1)
    throw std::runtime_error("--repeat needs a count of at least 1");

  HANDLE stop = nullptr;
  if (!stopName.empty())
    stop = CreateEventW(nullptr, TRUE, FALSE, stopName.c_str());
  std::unique_ptr<DirectCopy> directCopy;
  ClipDataObject* data = nullptr;
  auto handedOut = std::make_shared<std::atomic<uint64_t>>(0);
  if (direct) {
    directCopy.reset(new DirectCopy(droppedFileList(paths, repeat)));
  } else {
    data = new com::ComObject<ClipDataObject>;
    if (isVirtual)
      offerVirtual(data, testing_support::virtualTree(shape));
    else
      offerFiles(data, paths, formats, repeat);
    HRESULT hr = OleSetClipboard(static_cast<IDataObject*>(data));
    if (FAILED(hr))
      throw std::runtime_error("OleSetClipboard failed");
    if (endless) {
      // A format no reader takes: a walk that does not stop by itself
      // asks for it again and again.
      FORMATETC declined = {(CLIPFORMAT)RegisterClipboardFormatW(L"FileContents"), nullptr,
                            DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
      data->setEnumerate([declined, handedOut] {
        return new com::ComObject<EndlessFormats>(declined, 0, handedOut);
      });
    }
  }
  printf("ready\n");
  fflush(stdout);
  if (!readyName.empty()) {
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, readyName.c_str());
    if (ready) {
      SetEvent(ready);
      CloseHandle(ready);
    }
  }
  serve(stop, seconds);
  if (data) {
    if (OleIsCurrentClipboard(static_cast<IDataObject*>(data)) == S_OK)
      OleSetClipboard(nullptr);
    static_cast<IDataObject*>(data)->Release();
  }
  directCopy.reset();
  if (endless)
    printf("endless enumerators handed out %llu formats\n", (unsigned long long)handedOut->load());
  if (stop)
    CloseHandle(stop);
  return 0;
}

} // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  OleInitialize(nullptr);
  int result = 1;
  try {
    result = run(argc, argv);
  } catch (const std::exception& e) {
    fprintf(stderr, "kivcopy: %s\n", e.what());
  }
  OleUninitialize();
  LocalFree(argv);
  return result;
}
