#include "os/win/FileInfo.h"
#include "plat/Exception.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

using testing_support::TempDir;

TEST(FileInfo, FilesFoldersAndMissingPaths) {
  TempDir dir;
  testing_support::writeFile(dir.file("a.txt"), "12345");
  os::FileInfo file(dir.file("a.txt").c_str());
  EXPECT_EQ(5u, file.size());
  EXPECT_EQ(0u, file.attributes() & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_NE(0u, file.data().ftLastWriteTime.dwHighDateTime);

  os::FileInfo folder(dir.path().c_str());
  EXPECT_NE(0u, folder.attributes() & FILE_ATTRIBUTE_DIRECTORY);
  try {
    os::FileInfo missing(dir.file("missing").c_str());
    ADD_FAILURE();
  } catch (const plat::SystemException& e) {
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, e.err);
    EXPECT_EQ(0, strncmp(e.str(), "GetFileAttributesExW: ", 22));
  }
}
