// The one-line text that names a share to the user: its common top-level
// name, its total size and how many files it holds.
#pragma once

#include "ft/ShareEntry.h"
#include "plat/String.h"

#include <cstdint>
#include <vector>

namespace ft {

// "%lu bytes" up to 1024 bytes, else Kb, Mb, Gb or Tb with two decimals;
// a unit is used only above one of it.
plat::String shareSizeText(uint64_t bytes);

// One entry: "name (size)". Otherwise "name (size in n file[s])", where
// name is the first path component that every entry shares, else
// "multiple files"; directories do not count as files.
plat::String describeShare(const std::vector<ShareEntry*>& entries);

} // namespace ft
