#include "PasteRoad.h"

#include "PatternFile.h"

#include "ferrin/win/ClipboardFormats.h"
#include "testing/ChildProcess.h"
#include "testing/TempDir.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

using testing_support::ChildProcess;
using testing_support::VirtualEntry;
using testing_support::wide;

namespace peer {

namespace {

// The share id in ferrin's record on the clipboard, or 0.
uint32_t clipboardShareId() {
  uint32_t id = 0;
  if (!OpenClipboard(nullptr))
    return 0;
  if (HANDLE memory = GetClipboardData(ft::privateFormat())) {
    if (const ft::PrivateRecord* record = (const ft::PrivateRecord*)GlobalLock(memory)) {
      if (GlobalSize(memory) >= sizeof(*record))
        id = record->shareId;
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  return id;
}

// The clipboard opened by a window of this thread, as a program that reads
// it or puts something there holds it for a moment; closed when it goes.
class HeldClipboard {
public:
  HeldClipboard() {
    window_ = CreateWindowW(L"STATIC", L"kivpeer", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                            nullptr);
    // ferrin's clipboard watcher may be reading it.
    ULONGLONG deadline = GetTickCount64() + 10000;
    while (!(window_ && OpenClipboard(window_))) {
      if (GetTickCount64() > deadline) {
        if (window_)
          DestroyWindow(window_);
        throw std::runtime_error("cannot open the clipboard");
      }
      Sleep(20);
    }
  }
  HeldClipboard(const HeldClipboard&) = delete;
  HeldClipboard& operator=(const HeldClipboard&) = delete;
  ~HeldClipboard() {
    CloseClipboard();
    DestroyWindow(window_);
  }

private:
  HWND window_;
};

// Runs kivpaste to its end (serving ferrin meanwhile when there is a
// session) and checks its report against the tree.
PasteResult runPaste(PeerSession* session, const testing_support::VirtualShape& shape,
                     const Helpers& helpers, const std::string& label, bool held = false) {
  PasteResult result;
  std::string report = helpers.work + "\\" + label + ".txt";
  DeleteFileW(wide(report).c_str());
  std::unique_ptr<HeldClipboard> holder;
  if (held && session)
    holder.reset(new HeldClipboard);
  ChildProcess paste(L"\"" + helpers.paste + L"\" --report \"" + wide(report) + L"\"");
  if (holder) {
    // kivpaste makes its report first, then looks at the clipboard: held a
    // second longer.
    typedef std::chrono::steady_clock Clock;
    Clock::time_point until = Clock::time_point::max();
    if (!session->serveUntil(
            [&] {
              if (until == Clock::time_point::max() &&
                  GetFileAttributesW(wide(report).c_str()) != INVALID_FILE_ATTRIBUTES)
                until = Clock::now() + std::chrono::seconds(1);
              return paste.ended(0) || Clock::now() > until;
            },
            60, "kivpaste to start", &result.problem))
      return result;
    holder.reset();
  }
  if (session) {
    if (!session->serveUntil([&] { return paste.ended(0); }, helpers.timeout, "the paste",
                             &result.problem))
      return result;
  } else if (!paste.ended(helpers.timeout * 1000)) {
    result.problem = "the paste did not end";
    return result;
  }

  std::map<std::string, std::string> expected;
  for (const VirtualEntry& e : testing_support::virtualTree(shape))
    expected[e.name] = e.directory ? "D" : "F " + std::to_string(e.size) + " ok";
  std::ifstream in(report);
  std::string line;
  std::map<std::string, std::string> got;
  std::string stopped;
  bool summed = false;
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, '\t');)
      fields.push_back(field);
    if (fields.size() == 4 && fields[0] == "S") {
      summed = true;
      result.seconds = atof(fields[1].c_str());
      result.bytes = strtoull(fields[2].c_str(), nullptr, 10);
      result.files = atoi(fields[3].c_str());
    } else if (fields.size() == 4 && fields[0] == "F") {
      got[fields[1]] = "F " + fields[2] + " " + fields[3];
    } else if (fields.size() == 2 && fields[0] == "D") {
      got[fields[1]] = "D";
    } else if (fields.size() == 2 && fields[0] == "E") {
      stopped = fields[1];
    }
  }
  // kivpaste's own words on why it stopped; they would go nowhere else.
  if (!stopped.empty() || !summed) {
    result.problem = "kivpaste ended with " + std::to_string(paste.exitCode()) +
                     (!stopped.empty() ? ": " + stopped
                      : in.is_open()   ? " before the end of its report"
                                       : " without a report");
    return result;
  }
  for (const auto& e : expected) {
    auto it = got.find(e.first);
    if (it == got.end() || it->second != e.second) {
      result.problem = e.first + ": " + (it == got.end() ? "not pasted" : it->second);
      return result;
    }
  }
  if (got.size() != expected.size() || paste.exitCode() != 0) {
    result.problem = "the paste reported " + std::to_string(got.size()) + " entries and ended with " +
                     std::to_string(paste.exitCode());
    return result;
  }
  result.ok = true;
  return result;
}

} // namespace

bool clipboardHasFiles() { return IsClipboardFormatAvailable(ft::fileGroupDescriptorWFormat()); }

PasteResult pasteShare(PeerSession& session, const testing_support::VirtualShape& shape,
                       uint32_t flags, const Helpers& helpers, bool held) {
  PasteResult result;
  uint32_t id = session.offer(patternEntries(testing_support::virtualTree(shape)), flags);
  // Opened only once the files are there: opened while ferrin puts them
  // there, it would have ferrin try again later.
  if (!session.serveUntil([&] { return clipboardHasFiles() && clipboardShareId() == id; }, 120,
                          "the share on the clipboard", &result.problem))
    return result;
  int renewals = session.extension().renewals;
  Counts before = ownCounts();
  result = runPaste(&session, shape, helpers, "paste-" + std::to_string(id), held);
  result.renewals = session.extension().renewals - renewals;
  result.sender = difference(ownCounts(), before);
  return result;
}

PasteResult pasteVirtualSource(const testing_support::VirtualShape& shape,
                               const Helpers& helpers) {
  PasteResult result;
  wchar_t stopName[64];
  swprintf(stopName, 64, L"kivpeer.%lu.stop", (unsigned long)GetCurrentProcessId());
  HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, stopName);
  {
    // Served for as long as the paste may take.
    ChildProcess copy(L"\"" + helpers.copy + L"\" --virtual " +
                      wide(testing_support::formatShape(shape)) + L" --stop-event " + stopName +
                      L" --seconds " + std::to_wstring(helpers.timeout + 60));
    ULONGLONG deadline = GetTickCount64() + 60000;
    while (!clipboardHasFiles() && GetTickCount64() < deadline && !copy.ended(50)) {
    }
    if (!clipboardHasFiles())
      result.problem = "kivcopy put nothing on the clipboard";
    else
      result = runPaste(nullptr, shape, helpers, "virtual");
    SetEvent(stop);
    copy.ended(20000);
  }
  CloseHandle(stop);
  return result;
}

} // namespace peer
