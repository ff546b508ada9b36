#include "ferrin/win/ClipboardFiles.h"

#include "ferrin/FileGroupDescriptor.h"
#include "ferrin/upload/win/FileProxyIStream.h"
#include "ferrin/win/ClipboardFormats.h"
#include "ferrin/win/CollectFiles.h"
#include "os/ShellIdListArray.h"
#include "os/win/DropFiles.h"
#include "os/win/GlobalLockGuard.h"
#include "os/win/ShellItem.h"
#include "os/win/StgMedium.h"
#include "plat/LogWriter.h"
#include "plat/win/Unicode.h"

#include <shlobj.h>

#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>

namespace ft {

namespace {

plat::LogWriter vlog("ClipboardFiles");

// A clipboard offers a few dozen formats: a walk longer than this is a
// broken or hostile enumerator's.
const int MaxFormats = 1000;

// The data in global memory: S_OK, or why the data object gave none.
HRESULT getGlobal(IDataObject* data, CLIPFORMAT format, os::StgMedium* got) {
  if (!format)
    return DV_E_FORMATETC;
  FORMATETC asked = {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  HRESULT hr = data->GetData(&asked, got->get());
  if (SUCCEEDED(hr) && got->medium.tymed != TYMED_HGLOBAL)
    return DV_E_TYMED;
  return hr;
}

// Throws, named for the reader, unless the data object gave global memory:
// plat::SystemException with the code of its failure, or plat::Exception
// for no memory at all.
void checkGlobal(HRESULT hr, const os::StgMedium& got, const char* what) {
  if (FAILED(hr))
    throw plat::SystemException(what, (int)hr);
  if (!got.medium.hGlobal)
    throw plat::ExceptionFmt("%s did not return anything", what);
}

plat::String utf8Name(const FileDescriptorRecord& record, bool wide) {
  plat::String name;
  if (wide) {
    std::wstring w(record.wideName.begin(), record.wideName.end());
    name.replaceBuf(plat::W2MB(w.c_str()));
  } else {
    plat::WString w = plat::WString::adopt(plat::MB2W(record.narrowName.c_str(), CP_ACP));
    name.replaceBuf(plat::W2MB(w.c_str()));
  }
  for (char* p = name.buf(); p && *p; p++)
    if (*p == '\\')
      *p = '/';
  return name;
}

} // namespace

ClipboardFiles::ClipboardFiles(ui::clipboard::Thread* thread)
    : ui::clipboard::ContentHandler(thread), handOff_(std::make_shared<FileHandOff>()) {}

ClipboardFiles::~ClipboardFiles() { handOff_->gone(); }

bool ClipboardFiles::clipboardChanged() {
  IDataObject* data = nullptr;
  HRESULT hr = OleGetClipboard(&data);
  if (hr == CLIPBRD_E_CANT_OPEN)
    throw ui::clipboard::OpenClipboardFail((int)hr);
  if (FAILED(hr) || !data)
    throw plat::SystemException("OleGetClipboard", (int)hr);
  bool taken;
  try {
    PrivateRecord record;
    // What this process put there goes no further.
    if (readPrivateRecord(data, &record)) {
      if (record.processId == GetCurrentProcessId()) {
        data->Release();
        return true;
      }
    } else if (IsClipboardFormatAvailable(privateFormat())) {
      // A marker that cannot be read now (a paste holds the clipboard
      // open) may be our own: look again later rather than offer it back.
      throw ui::clipboard::OpenClipboardFail((int)CLIPBRD_E_CANT_OPEN);
    }
    taken = readFormats(data);
  } catch (...) {
    data->Release();
    throw;
  }
  data->Release();
  return taken;
}

bool ClipboardFiles::readFormats(IDataObject* data) {
  IEnumFORMATETC* enumerator = nullptr;
  HRESULT hr = data->EnumFormatEtc(DATADIR_GET, &enumerator);
  if (FAILED(hr) || !enumerator)
    throw plat::SystemException("EnumFormatEtc", (int)hr);
  std::unique_ptr<IEnumFORMATETC, void (*)(IEnumFORMATETC*)> formats(
      enumerator, [](IEnumFORMATETC* e) { e->Release(); });
  enum Reader { ShellIdList, DroppedFiles, Descriptors, None };
  bool failed[None] = {};
  FORMATETC format;
  for (int walked = 0; formats->Next(1, &format, nullptr) == S_OK; walked++) {
    if (format.ptd)
      CoTaskMemFree(format.ptd);
    if (walked == MaxFormats) {
      vlog.error("More than %d clipboard formats: the rest not looked at", MaxFormats);
      break;
    }
    Reader reader = format.cfFormat == shellIdListFormat()    ? ShellIdList
                    : format.cfFormat == CF_HDROP              ? DroppedFiles
                    : format.cfFormat == fileContentsFormat() ? Descriptors
                                                               : None;
    if (reader == None || failed[reader])
      continue;
    try {
      bool taken = reader == ShellIdList    ? readShellIdList(data)
                   : reader == DroppedFiles ? readDroppedFiles(data)
                                            : readDescriptors(data, format);
      if (taken)
        return true;
    } catch (...) {
      vlog.error("%s", plat::caughtText());
      failed[reader] = true;
    }
  }
  return false;
}

bool ClipboardFiles::readShellIdList(IDataObject* data) {
  os::StgMedium got;
  checkGlobal(getGlobal(data, shellIdListFormat(), &got), got, "GetData(SHELLIDLIST)");
  os::GlobalLockGuard block(got.medium.hGlobal);
  os::ShellIdListArray cida(block.get(), block.size());
  handOff_->begin();
  ManagedVector<FileProxy> files;
  FileCollection collection(&files);
  // The same item again, by its offset or a copy of its bytes, is not
  // bound to its folder again.
  std::unordered_set<std::string> items;
  IShellFolder* desktop = nullptr;
  HRESULT hr = SHGetDesktopFolder(&desktop);
  if (FAILED(hr))
    throw plat::SystemException("SHGetDesktopFolder", (int)hr);
  try {
    os::ShellItem parent(cida.parent(), desktop);
    IShellFolder* folder = parent.getFolder();
    try {
      for (uint32_t i = 0; i < cida.count(); i++) {
        os::ItemIdList item = cida.item(i);
        if (items.insert(std::string((const char*)item.data(), item.size())).second)
          collection.addItem(os::ShellItem(item, folder), "");
      }
    } catch (...) {
      folder->Release();
      throw;
    }
    folder->Release();
  } catch (...) {
    desktop->Release();
    throw;
  }
  desktop->Release();
  handOff_->finish(&files);
  return true;
}

bool ClipboardFiles::readDroppedFiles(IDataObject* data) {
  os::StgMedium got;
  checkGlobal(getGlobal(data, CF_HDROP, &got), got, "GetData(HDROP)");
  os::DropFiles names(got.medium.hGlobal);
  handOff_->begin();
  ManagedVector<FileProxy> files;
  FileCollection collection(&files);
  while (const char* path = names.next()) {
    const char* slash = strrchr(path, '\\');
    // One name that cannot be offered costs only itself.
    try {
      collection.addPath(path, slash ? slash + 1 : path);
    } catch (const plat::Exception& e) {
      vlog.error("%s", e.str());
    }
  }
  handOff_->finish(&files);
  return true;
}

bool ClipboardFiles::readDescriptors(IDataObject* data, const FORMATETC& contents) {
  if (!(contents.tymed & TYMED_ISTREAM)) {
    vlog.debug("CF_FILECONTENTS media not supported");
    return false;
  }
  os::StgMedium got;
  HRESULT hr = getGlobal(data, fileGroupDescriptorWFormat(), &got);
  bool wide = SUCCEEDED(hr);
  if (!wide)
    hr = getGlobal(data, fileGroupDescriptorFormat(), &got);
  checkGlobal(hr, got, "GetData(CF_FILEDESCRIPTOR[W])");
  os::GlobalLockGuard block(got.medium.hGlobal);
  FileGroupDescriptor descriptors(block.get(), block.size(), wide);
  if (descriptors.truncated())
    vlog.error("File descriptors cut to the %u that fit their block", descriptors.count());
  handOff_->begin();
  ManagedVector<FileProxy> files;
  for (uint32_t i = 0; i < descriptors.count(); i++) {
    FileDescriptorRecord record = descriptors.record(i);
    plat::String name = utf8Name(record, wide);
    if (!isOfferableName(name.c_str())) {
      vlog.error("Not offered: a file named \"%.100s\"", name.c_str());
      continue;
    }
    files.push_back(new FileProxyIStream(data, contents.cfFormat, (LONG)i, name.c_str(),
                                         record.attributes, record.size, record.ctime,
                                         record.atime, record.mtime));
  }
  handOff_->finish(&files);
  return true;
}

} // namespace ft
