// How the file-transfer dialog names a folder.
#include "ferrin/DisplayPath.h"
#include "plat/String.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string shown(const char* path, const char* profile) {
  return plat::String::adopt(ft::displayPathFor(path, profile)).c_str();
}

} // namespace

TEST(DisplayPath, OnlyFoldersBelowTheProfileAreShortened) {
  const char* bob = "C:\\Users\\bob";
  EXPECT_EQ("Desktop", shown("C:\\Users\\bob\\Desktop", bob));
  EXPECT_EQ("Documents\\Transfers", shown("C:\\Users\\bob\\Documents\\Transfers", bob));
  EXPECT_EQ("C:\\Users\\bobby\\Desktop", shown("C:\\Users\\bobby\\Desktop", bob));
  EXPECT_EQ("C:\\Users\\bob", shown("C:\\Users\\bob", bob));
  EXPECT_EQ("C:\\Users\\bob\\", shown("C:\\Users\\bob\\", bob)); // nothing after it
  EXPECT_EQ("D:\\Data", shown("D:\\Data", bob));
  EXPECT_EQ("D:\\Data", shown("D:\\Data", nullptr));
  EXPECT_EQ("Data", shown("C:\\Data", "C:\\"));
}
