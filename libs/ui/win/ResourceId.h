// A resource named by number or by name, as the resource functions take it.
#pragma once

#include "plat/Assert.h"

#include <windows.h>

namespace ui {

struct ResourceId {
  // id 0 names no resource (an icon that is not wanted).
  ResourceId(int id_ = 0) : id(id_), idStr(nullptr) {}
  ResourceId(const wchar_t* name) : id(-1), idStr(name) {}

  bool isSet() const { return id != 0; }
  LPCWSTR resource() const {
    if (id != -1)
      return MAKEINTRESOURCEW(id);
    if (idStr == 0)
      plat::assertionFailed("idStr != 0", __FILE__, __LINE__);
    return idStr;
  }

  int id;              // -1 when the resource is named
  const wchar_t* idStr; // not owned: names are literals
};

} // namespace ui
