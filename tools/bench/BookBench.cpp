// Export and import of an address book of 10,000 entries (100 folders of
// 100), each beside a plain loop over the same files in the same run: the
// export beside reading every entry file and writing their bytes into one
// file, the import beside writing every entry's bytes into a file of its
// own. Prints each time and its ratio to the loop.
#include "ledrow/app/tests/SampleBook.h"
#include "ledrow/book/FolderScan.h"
#include "ledrow/book/TreeBranch.h"
#include "ledrow/book/XmlExport.h"
#include "ledrow/book/XmlImporter.h"
#include "ledrow/data/UserNameSource.h"
#include "plat/Exception.h"
#include "rdr/MemOutStream.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const int Folders = 100, PerFolder = 100;

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string readAll(const fs::path& path) {
  std::string data;
  if (FILE* file = fopen(path.string().c_str(), "rb")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof(buffer), file)) > 0;)
      data.append(buffer, n);
    fclose(file);
  }
  return data;
}

void writeAll(const fs::path& path, const std::string& data) {
  FILE* file = fopen(path.string().c_str(), "wb");
  if (!file || fwrite(data.data(), 1, data.size(), file) != data.size() || fclose(file) != 0) {
    perror(path.string().c_str());
    exit(1);
  }
}

plat::String benchUser() { return plat::String("bench"); }

} // namespace

int main() {
  addrbook::setUserNameSource(&benchUser);
  fs::path scratch = fs::temp_directory_path() / "kiv-bookbench";
  fs::remove_all(scratch);
  fs::create_directories(scratch);
  fs::path book = scratch / "book", xmlPath = scratch / "book.xml";
  addrbook::sample::writeLargeBook(book.string(), Folders, PerFolder);

  try {
    // The plain loop: every entry file read, its bytes into one file.
    auto start = std::chrono::steady_clock::now();
    std::vector<std::string> entries;
    std::string all;
    for (const fs::directory_entry& folder : fs::directory_iterator(book))
      for (const fs::directory_entry& file : fs::directory_iterator(folder.path())) {
        entries.push_back(readAll(file.path()));
        all += entries.back();
      }
    writeAll(scratch / "plain.txt", all);
    double plainRead = secondsSince(start);

    start = std::chrono::steady_clock::now();
    addrbook::TreeBranch root(book.string().c_str(), nullptr);
    addrbook::scanFolder(&root);
    rdr::MemOutStream out;
    addrbook::writeXmlBook(out, &root, true, xmlPath.string().c_str(), nullptr);
    double exported = secondsSince(start);

    // The plain loop: every entry's bytes into a file of its own.
    fs::create_directories(scratch / "plain");
    start = std::chrono::steady_clock::now();
    for (size_t i = 0; i < entries.size(); i++) {
      if (i % PerFolder == 0)
        fs::create_directories(scratch / "plain" / std::to_string(i / PerFolder));
      writeAll(scratch / "plain" / std::to_string(i / PerFolder) / (std::to_string(i) + ".kiv"),
               entries[i]);
    }
    double plainWrite = secondsSince(start);

    fs::create_directories(scratch / "imported");
    start = std::chrono::steady_clock::now();
    addrbook::XmlImporter::importFile(nullptr, xmlPath.string().c_str(),
                                      (scratch / "imported").string().c_str());
    double imported = secondsSince(start);

    printf("%zu entries in %d folders, XML book %.1f MiB\n", entries.size(), Folders,
           fs::file_size(xmlPath) / (1024.0 * 1024.0));
    printf("export: %.2f s, plain read of the files into one: %.2f s, ratio %.2f\n", exported,
           plainRead, exported / plainRead);
    printf("import: %.2f s, plain write of the files: %.2f s, ratio %.2f\n", imported, plainWrite,
           imported / plainWrite);
  } catch (const plat::Exception& e) {
    fprintf(stderr, "%s\n", e.str());
    return 1;
  }
  fs::remove_all(scratch);
  return 0;
}
