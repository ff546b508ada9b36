#include "CaseNamesRoad.h"

#include "ft/DownloadManager.h"
#include "ft/ShareProxy.h"
#include "os/win/DirIterator.h"
#include "testing/FtEngine.h"
#include "testing/TempDir.h"

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

using testing_support::MemSink;

namespace peer {

namespace {

// Every name below the folder, '/' between the levels, as the disk has it.
void namesBelow(const std::string& folder, const std::string& prefix,
                std::set<std::string>* names) {
  os::DirIterator entries(folder.c_str(), "*");
  while (entries.next()) {
    std::string name = prefix + entries.name();
    names->insert(name);
    if (entries.isDirectory())
      namesBelow(entries.fullPath(), name + "/", names);
  }
}

// A file of the share, fetched whole.
struct Fetch {
  std::string name;
  MemSink sink;
};

} // namespace

CopyResult copyCaseNames(PeerSession& session, const std::string& folder,
                         const std::string& formats, const Helpers& helpers, uint32_t* lastShare) {
  CopyResult result;
  std::set<std::string> names;
  namesBelow(folder, "", &names);
  // Without names that differ only in case the road would show nothing.
  if (!names.count("case.txt") || !names.count("Case.txt") || !names.count("dir") ||
      !names.count("Dir")) {
    result.problem = "no names that differ only in case in " + folder;
    return result;
  }
  CopiedShare copied(session, copyArgumentsFor(folder, formats), helpers, lastShare);
  if (!copied.offered(&result.problem) || !sameNames(copied.share(), names, &result.problem))
    return result;

  ft::ShareProxy* share = copied.share();
  ft::DownloadManager* downloads = session.downloads();
  std::vector<std::unique_ptr<Fetch>> fetches;
  for (uint32_t index = 0; index < share->size(); index++) {
    const ft::ShareEntry& entry = *(*share)[index];
    if (entry.flags & ft::ShareEntry::Directory)
      continue;
    fetches.emplace_back(new Fetch);
    fetches.back()->name = entry.name.c_str();
    ft::FileId id(share->shareId(), index);
    downloads->addStream(id, &fetches.back()->sink);
    downloads->requestFile(id, entry.name.c_str(), 0, ~(uint64_t)0);
  }
  session.extension().scheduleWriteMsg(session.connection());
  bool fetched = session.serveUntil(
      [&] {
        return std::all_of(fetches.begin(), fetches.end(),
                           [](const std::unique_ptr<Fetch>& f) { return f->sink.closed(); });
      },
      helpers.timeout, "the files of ferrin's share", &result.problem);
  if (!fetched)
    return result;
  for (const std::unique_ptr<Fetch>& fetch : fetches) {
    std::string path = folder + "\\" + fetch->name;
    std::replace(path.begin(), path.end(), '/', '\\');
    if (!fetch->sink.closeMessage.empty()) {
      result.problem = fetch->name + ": " + fetch->sink.closeMessage;
      return result;
    }
    if (fetch->sink.received != testing_support::readFile(path)) {
      result.problem = "not the bytes of its own file: " + fetch->name;
      return result;
    }
  }
  result.ok = true;
  return result;
}

} // namespace peer
