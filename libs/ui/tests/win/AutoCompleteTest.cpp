#include "com/win/EnumString.h"
#include "os/win/ComInitialiser.h"
#include "ui/win/AutoComplete.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// A task allocator that fails on a chosen call and knows what is still out.
struct Counting {
  static int calls;
  static int failAt;
  static std::set<void*> live;
  static void* allocate(SIZE_T bytes) {
    if (++calls == failAt)
      return nullptr;
    void* block = CoTaskMemAlloc(bytes);
    live.insert(block);
    return block;
  }
  static void release(void* block) {
    live.erase(block);
    CoTaskMemFree(block);
  }
};
int Counting::calls;
int Counting::failAt;
std::set<void*> Counting::live;

std::vector<std::wstring> take(IEnumString* e, ULONG count, HRESULT* result) {
  std::vector<LPOLESTR> out(count, nullptr);
  ULONG fetched = 99;
  *result = e->Next(count, out.data(), &fetched);
  std::vector<std::wstring> texts;
  for (ULONG i = 0; i < fetched; i++) {
    texts.push_back(out[i]);
    CoTaskMemFree(out[i]);
  }
  return texts;
}

const std::vector<std::string> names = {"Harbour office", "Quay \xc3\xa9tage 2", "Warehouse"};

} // namespace

TEST(EnumString, NextSkipResetAndClone) {
  HRESULT result;
  IEnumString* empty = new com::ComObject<com::EnumString>(std::vector<std::string>());
  EXPECT_TRUE(take(empty, 1, &result).empty());
  EXPECT_EQ(S_FALSE, result);
  empty->Release();

  IEnumString* e = new com::ComObject<com::EnumString>(names);
  EXPECT_EQ((std::vector<std::wstring>{L"Harbour office", L"Quay \x00e9tage 2", L"Warehouse"}),
            take(e, 10, &result));
  EXPECT_EQ(S_FALSE, result);
  EXPECT_EQ(S_OK, e->Reset());
  take(e, 1, &result);
  take(e, 1, &result);
  EXPECT_EQ(S_OK, result);
  IEnumString* clone = nullptr;
  ASSERT_EQ(S_OK, e->Clone(&clone));
  EXPECT_EQ(std::vector<std::wstring>{L"Warehouse"}, take(clone, 1, &result));
  EXPECT_TRUE(take(clone, 1, &result).empty());
  EXPECT_EQ(std::vector<std::wstring>{L"Warehouse"}, take(e, 1, &result)); // not moved
  EXPECT_EQ(S_OK, e->Reset());
  EXPECT_EQ(S_OK, e->Skip(3));
  EXPECT_EQ(S_FALSE, e->Skip(1));
  clone->Release();
  e->Release();
}

TEST(EnumString, AFailedAllocationHandsOutNothingAndLeaksNothing) {
  com::TaskMemory memory = {Counting::allocate, Counting::release};
  IEnumString* e = new com::ComObject<com::EnumString>(names, memory);
  Counting::failAt = 3;
  LPOLESTR out[3] = {};
  ULONG fetched = 99;
  EXPECT_EQ(E_OUTOFMEMORY, e->Next(3, out, &fetched));
  EXPECT_EQ(0u, fetched);
  EXPECT_TRUE(Counting::live.empty());
  EXPECT_EQ(nullptr, out[0]);
  Counting::failAt = 0;
  HRESULT result;
  EXPECT_EQ(3u, take(e, 3, &result).size()); // nothing was consumed
  e->Release();
}

TEST(AutoComplete, AttachesToAnEditBox) {
  os::ComInitialiser com;
  HWND edit = CreateWindowExW(0, L"Edit", L"", WS_POPUP, 0, 0, 200, 24, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, edit);
  EXPECT_NO_THROW(ui::AutoComplete(edit, names));
  DestroyWindow(edit);
}
