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
#include <string>

namespace ft {

namespace {

plat::LogWriter vlog("ClipboardFiles");

HANDLE newEvent() {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!event)
    throw plat::SystemException("CreateEvent", (int)GetLastError());
  return event;
}

// The data in global memory; false when the data object has none of it.
bool getGlobal(IDataObject* data, CLIPFORMAT format, os::StgMedium* got) {
  FORMATETC asked = {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return format && SUCCEEDED(data->GetData(&asked, got->get())) &&
         got->medium.tymed == TYMED_HGLOBAL;
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
    : ui::clipboard::ContentHandler(thread), ready_(newEvent()), pending_(newEvent()) {}

void ClipboardFiles::takeFiles(ManagedVector<FileProxy>* out) {
  plat::Lock l(lock_);
  for (FileProxy* file : files_)
    out->push_back(file);
  files_.std::vector<FileProxy*>::clear();
}

void ClipboardFiles::begin() {
  {
    plat::Lock l(lock_);
    files_.clear();
  }
  ResetEvent(ready_);
  SetEvent(pending_);
}

void ClipboardFiles::finish(ManagedVector<FileProxy>* files) {
  {
    plat::Lock l(lock_);
    files_.clear();
    for (FileProxy* file : *files)
      files_.push_back(file);
    files->std::vector<FileProxy*>::clear();
  }
  ResetEvent(pending_);
  SetEvent(ready_);
}

bool ClipboardFiles::clipboardChanged() {
  IDataObject* data = nullptr;
  HRESULT hr = OleGetClipboard(&data);
  if (hr == CLIPBRD_E_CANT_OPEN)
    throw ui::clipboard::OpenClipboardFail((int)hr);
  if (FAILED(hr) || !data)
    throw plat::SystemException("OleGetClipboard", (int)hr);
  bool taken = false;
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
    IEnumFORMATETC* formats = nullptr;
    hr = data->EnumFormatEtc(DATADIR_GET, &formats);
    if (FAILED(hr) || !formats)
      throw plat::SystemException("EnumFormatEtc", (int)hr);
    FORMATETC format;
    while (!taken && formats->Next(1, &format, nullptr) == S_OK) {
      if (format.ptd)
        CoTaskMemFree(format.ptd);
      try {
        if (format.cfFormat == shellIdListFormat())
          taken = readShellIdList(data);
        else if (format.cfFormat == CF_HDROP)
          taken = readDroppedFiles(data);
        else if (format.cfFormat == fileContentsFormat())
          taken = readDescriptors(data, format);
      } catch (const plat::Exception& e) {
        vlog.error("%s", e.str());
      }
    }
    formats->Release();
  } catch (...) {
    data->Release();
    throw;
  }
  data->Release();
  return taken;
}

bool ClipboardFiles::readShellIdList(IDataObject* data) {
  os::StgMedium got;
  if (!getGlobal(data, shellIdListFormat(), &got))
    throw plat::Exception("GetData(SHELLIDLIST) failed");
  if (!got.medium.hGlobal)
    throw plat::Exception("GetData(SHELLIDLIST) did not return anything");
  os::GlobalLockGuard block(got.medium.hGlobal);
  os::ShellIdListArray cida(block.get(), block.size());
  begin();
  ManagedVector<FileProxy> files;
  IShellFolder* desktop = nullptr;
  HRESULT hr = SHGetDesktopFolder(&desktop);
  if (FAILED(hr))
    throw plat::SystemException("SHGetDesktopFolder", (int)hr);
  try {
    os::ShellItem parent(cida.parent(), desktop);
    IShellFolder* folder = parent.getFolder();
    try {
      for (uint32_t i = 0; i < cida.count(); i++)
        collectItem(os::ShellItem(cida.item(i), folder), "", &files);
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
  finish(&files);
  return true;
}

bool ClipboardFiles::readDroppedFiles(IDataObject* data) {
  os::StgMedium got;
  if (!getGlobal(data, CF_HDROP, &got))
    throw plat::Exception("GetData(HDROP) failed");
  if (!got.medium.hGlobal)
    throw plat::Exception("GetData(HDROP) did not return anything");
  os::DropFiles names(got.medium.hGlobal);
  begin();
  ManagedVector<FileProxy> files;
  while (const char* path = names.next()) {
    const char* slash = strrchr(path, '\\');
    // One name that cannot be offered costs only itself.
    try {
      collectPath(path, slash ? slash + 1 : path, &files);
    } catch (const plat::Exception& e) {
      vlog.error("%s", e.str());
    }
  }
  finish(&files);
  return true;
}

bool ClipboardFiles::readDescriptors(IDataObject* data, const FORMATETC& contents) {
  if (!(contents.tymed & TYMED_ISTREAM)) {
    vlog.debug("CF_FILECONTENTS media not supported");
    return false;
  }
  os::StgMedium got;
  bool wide = getGlobal(data, fileGroupDescriptorWFormat(), &got);
  if (!wide && !getGlobal(data, fileGroupDescriptorFormat(), &got))
    throw plat::Exception("GetData(CF_FILEDESCRIPTOR[W]) failed");
  if (!got.medium.hGlobal)
    throw plat::Exception("GetData(CF_FILEDESCRIPTOR[W]) did not return anything");
  os::GlobalLockGuard block(got.medium.hGlobal);
  FileGroupDescriptor descriptors(block.get(), block.size(), wide);
  if (descriptors.truncated())
    vlog.error("File descriptors cut to the %u that fit their block", descriptors.count());
  begin();
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
  finish(&files);
  return true;
}

} // namespace ft
