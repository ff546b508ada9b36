// The files the peer offers: generated into a folder, each with content of
// its own, and the names they are advertised under (some of them names that
// must not reach the receiver's disk as sent).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ft {
class FileProxy;
}

namespace peer {

struct SourceFile {
  std::string relativePath; // below the source folder, "\"-separated
  std::string advertised;   // the name in the share, "/"-separated
  uint64_t size;
  bool needsSanitising;
};

struct TreeShape {
  uint64_t largeBytes = 0;   // one large file when nonzero
  int smallFiles = 0;        // small files spread over nested folders
  int smallBytes = 0;        // size of each small file
  bool awkwardNames = false; // add files advertised under unsafe names
  int topFiles = 0;          // small files beside the folders, at the top
  bool topLinks = false;     // each top file again beside it, as a hard link
};

class SourceTree {
public:
  // Writes the files below root.
  SourceTree(const std::string& root, const TreeShape& shape);

  const std::vector<SourceFile>& files() const { return files_; }
  // Below the root, "\"-separated, parents first.
  const std::vector<std::string>& folders() const { return folders_; }
  uint64_t totalBytes() const;
  // Every file and folder as share entries, parents first (new objects).
  std::vector<ft::FileProxy*> shareEntries() const;

private:
  void add(const std::string& relativePath, const std::string& advertised, uint64_t size,
           uint32_t seed, bool needsSanitising);
  void addFolder(const std::string& relativePath);
  // Another name for the file added last (a hard link).
  void addHardLink(const std::string& relativePath);

  std::string root_;
  std::vector<std::string> folders_;
  std::vector<SourceFile> files_;
};

} // namespace peer
