// Memory of importing a large XML book: a book of typical entries just
// under the parser's size limit is written to a scratch folder (a few
// kilobytes at a time, so that writing it costs no memory), then imported
// into that folder. Prints the process's peak memory before and after the
// import and the growth as a multiple of the book's size.
#include "PeakMemory.h"
#include "ledrow/book/XmlExport.h"
#include "ledrow/book/XmlImporter.h"
#include "ledrow/data/EncryptedConfig.h"
#include "ledrow/xml/ParseResult.h"
#include "rdr/MemOutStream.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

const int EntriesPerFolder = 100;

// One entry's sections, as an export writes them.
std::string entrySections() {
  addrbook::EncryptedConfig entry;
  entry.setHost("server-0042.example.com:1");
  entry.userName.setParam("administrator", 50);
  entry.setPassword("secret");
  entry.setIdentity({0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xde, 0xf0});
  entry.scaling.setParam("AspectFit", 50);
  rdr::MemOutStream out;
  addrbook::XmlFormatter formatter;
  entry.write(out, true, false, &formatter);
  return std::string((const char*)out.data(), out.length());
}

// Returns the book's size in bytes.
size_t writeBook(const std::string& path, size_t limit) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) {
    perror(path.c_str());
    exit(1);
  }
  const std::string sections = entrySections();
  const char head[] = "<?xml version=\"1.0\"?>\n<ledrow>\n";
  const char tail[] = "</folder>\n</ledrow>\n";
  size_t size = fwrite(head, 1, sizeof(head) - 1, file);
  for (int n = 0;; n++) {
    std::string element;
    if (n % EntriesPerFolder == 0) {
      if (n)
        element += "</folder>\n";
      element += "<folder name=\"Folder " + std::to_string(n / EntriesPerFolder) + "\">\n";
    }
    element += "<file name=\"Entry " + std::to_string(n) + "\">\n" + sections + "</file>\n";
    if (size + element.size() + 2 * sizeof(tail) > limit)
      break;
    size += fwrite(element.data(), 1, element.size(), file);
  }
  size += fwrite(tail, 1, sizeof(tail) - 1, file);
  fclose(file);
  return size;
}

} // namespace

int main() {
  namespace fs = std::filesystem;
  fs::path scratch = fs::temp_directory_path() / "kiv-importbench";
  fs::remove_all(scratch);
  fs::create_directories(scratch / "book");
  std::string bookPath = (scratch / "book.xml").string();
  size_t size = writeBook(bookPath, xml::MaxDataSize);

  uint64_t before = peakMemory();
  auto start = std::chrono::steady_clock::now();
  bool imported;
  try {
    imported = addrbook::XmlImporter::importFile(nullptr, bookPath.c_str(),
                                                 (scratch / "book").string().c_str());
  } catch (const plat::Exception& e) {
    fprintf(stderr, "import failed: %s\n", e.str());
    return 1;
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  uint64_t after = peakMemory();
  fs::remove_all(scratch);
  if (!imported)
    return 1;

  const double MiB = 1024.0 * 1024.0;
  printf("XML import of a %.1f MiB book: peak memory %.1f MiB before, %.1f MiB after "
         "(growth %.1f MiB, %.2f times the book), %.1f s\n",
         size / MiB, before / MiB, after / MiB, (after - before) / MiB,
         (double)(after - before) / size, seconds);
  return 0;
}
