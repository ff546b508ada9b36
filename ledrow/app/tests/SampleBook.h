// Address books on disk for the tests, the pictures, the demonstration and
// the benchmark.
#pragma once

#include <string>

namespace addrbook {
namespace sample {

// A connection file for host at path; with master, its password is
// protected by that master password.
void writeEntry(const std::string& path, const char* host, const char* user = nullptr,
                const char* password = nullptr, const char* master = nullptr);

// What the MasterPassword setting holds for master.
std::string verifier(const char* master);

// A small book as a user keeps one: folders "Home", "Office" (with
// "Servers" inside) and entries at the top, plain and protected by master.
// Returns the number of entries.
int writeSampleBook(const std::string& root, const char* master);

// folders folders of perFolder plain entries each.
void writeLargeBook(const std::string& root, int folders, int perFolder);

} // namespace sample
} // namespace addrbook
