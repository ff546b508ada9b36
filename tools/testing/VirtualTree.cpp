#include "testing/VirtualTree.h"

#include <cstdlib>
#include <sstream>

namespace testing_support {

std::vector<VirtualEntry> virtualTree(const VirtualShape& shape) {
  std::vector<VirtualEntry> tree;
  if (shape.largeBytes)
    tree.push_back({"large.bin", shape.largeBytes, false});
  if (shape.smallFiles) {
    tree.push_back({"small", 0, true});
    for (int i = 0; i < shape.smallFiles; i++) {
      std::string dir = "small/d" + std::to_string(i / 1000);
      std::string sub = dir + "/s" + std::to_string(i / 100 % 10);
      if (i % 1000 == 0)
        tree.push_back({dir, 0, true});
      if (i % 100 == 0)
        tree.push_back({sub, 0, true});
      tree.push_back({sub + "/f" + std::to_string(i) + ".dat", (uint64_t)shape.smallBytes, false});
    }
  }
  if (shape.extras) {
    tree.push_back({"docs", 0, true});
    tree.push_back({"docs/empty.txt", 0, false});
    tree.push_back({"docs/nothing here", 0, true});
    tree.push_back({"docs/a", 0, true});
    tree.push_back({"docs/a/b", 0, true});
    tree.push_back({"docs/a/b/deep.bin", 300001, false});
    tree.push_back({"readme.txt", 5000, false});
  }
  return tree;
}

uint64_t totalBytes(const std::vector<VirtualEntry>& tree) {
  uint64_t total = 0;
  for (const VirtualEntry& e : tree)
    total += e.size;
  return total;
}

int fileCount(const std::vector<VirtualEntry>& tree) {
  int n = 0;
  for (const VirtualEntry& e : tree)
    n += e.directory ? 0 : 1;
  return n;
}

std::string formatShape(const VirtualShape& shape) {
  std::ostringstream out;
  out << "large=" << shape.largeBytes << ",small=" << shape.smallFiles
      << ",bytes=" << shape.smallBytes;
  if (shape.extras)
    out << ",extras";
  return out.str();
}

bool parseShape(const std::string& text, VirtualShape* shape) {
  std::istringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    size_t eq = item.find('=');
    std::string key = item.substr(0, eq);
    const char* value = eq == std::string::npos ? "" : item.c_str() + eq + 1;
    if (key == "large")
      shape->largeBytes = strtoull(value, nullptr, 10);
    else if (key == "small")
      shape->smallFiles = atoi(value);
    else if (key == "bytes")
      shape->smallBytes = atoi(value);
    else if (key == "extras")
      shape->extras = true;
    else
      return false;
  }
  return true;
}

} // namespace testing_support
