#include "os/win/DropFiles.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A CF_HDROP block as another program would put it on the clipboard.
HGLOBAL dropBlock(const void* names, size_t bytes, bool wide) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(DROPFILES) + bytes);
  DROPFILES* drop = (DROPFILES*)GlobalLock(memory);
  memset(drop, 0, sizeof(DROPFILES));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = wide;
  memcpy(drop + 1, names, bytes);
  GlobalUnlock(memory);
  return memory;
}

std::vector<std::string> namesOf(HGLOBAL memory) {
  std::vector<std::string> names;
  os::DropFiles files(memory);
  while (const char* name = files.next())
    names.push_back(name);
  EXPECT_EQ(nullptr, files.next());
  return names;
}

typedef std::vector<std::string> Names;

} // namespace

TEST(DropFiles, WideNamesInUtf8) {
  const wchar_t names[] = L"C:\\one.txt\0C:\\d\u00e9j\u00e0\\two\0";
  HGLOBAL memory = dropBlock(names, sizeof(names), true);
  EXPECT_EQ((Names{"C:\\one.txt", "C:\\d\xc3\xa9j\xc3\xa0\\two"}), namesOf(memory));
  GlobalFree(memory);
}

TEST(DropFiles, AnsiNames) {
  const char names[] = "C:\\one.txt\0C:\\two\0";
  HGLOBAL memory = dropBlock(names, sizeof(names), false);
  EXPECT_EQ((Names{"C:\\one.txt", "C:\\two"}), namesOf(memory));
  GlobalFree(memory);
}

TEST(DropFiles, UnterminatedListStopsAtTheBlock) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(DROPFILES) + 6);
  size_t size = GlobalSize(memory); // the system may round the block up
  BYTE* block = (BYTE*)GlobalLock(memory);
  memset(block, 'x', size);
  DROPFILES* drop = (DROPFILES*)block;
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  memcpy(block + sizeof(DROPFILES), "a\0", 2);
  GlobalUnlock(memory);
  EXPECT_EQ((Names{"a"}), namesOf(memory));
  GlobalFree(memory);
}
