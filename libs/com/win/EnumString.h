// IEnumString over a private copy of a list of UTF-8 strings: the
// suggestions of an edit box's autocompletion. Each string handed out is a
// new UTF-16 buffer from the task allocator, which the caller frees.
//
//   IEnumString* e = new com::ComObject<com::EnumString>(names);  // count 1
//
// Any thread may call it: the position is locked.
#pragma once

#include "com/win/ComObject.h"

#include <string>
#include <vector>

namespace com {

// Where the strings handed out come from; the tests replace it.
struct TaskMemory {
  void* (*allocate)(SIZE_T bytes);
  void (*release)(void* block);
};
const TaskMemory& coTaskMemory();

class EnumString : public ComObjectImpl, public IEnumString {
public:
  explicit EnumString(const std::vector<std::string>& strings,
                      const TaskMemory& memory = coTaskMemory(), size_t position = 0);

  void getInterfaces(InterfaceList* list) override;

  // S_OK when count strings were delivered, S_FALSE when the list ended
  // first, E_OUTOFMEMORY (nothing delivered, nothing consumed) when a
  // buffer could not be had.
  HRESULT STDMETHODCALLTYPE Next(ULONG count, LPOLESTR* out, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  // A new enumerator over the same strings at the same position.
  HRESULT STDMETHODCALLTYPE Clone(IEnumString** out) override;

private:
  std::vector<std::string> strings_;
  TaskMemory memory_;
  plat::Mutex positionLock_;
  size_t position_;
};

} // namespace com
