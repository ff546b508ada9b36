#include "PatternStream.h"

#include "testing/Pattern.h"

#include <cstring>

namespace clip {

void PatternStream::getInterfaces(com::InterfaceList* list) {
  list->push_back({IID_IUnknown, static_cast<IStream*>(this)});
  list->push_back({IID_ISequentialStream, static_cast<IStream*>(this)});
  list->push_back({IID_IStream, static_cast<IStream*>(this)});
}

HRESULT PatternStream::Read(void* buffer, ULONG n, ULONG* read) {
  uint64_t left = size_ - position_;
  ULONG k = left < n ? (ULONG)left : n;
  testing_support::fillPattern(seed_, position_, (char*)buffer, k);
  position_ += k;
  if (read)
    *read = k;
  return k == n ? S_OK : S_FALSE;
}

HRESULT PatternStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) {
  int64_t base = origin == STREAM_SEEK_SET ? 0
                 : origin == STREAM_SEEK_CUR ? (int64_t)position_
                                             : (int64_t)size_;
  int64_t target = base + move.QuadPart;
  if (target < 0 || (uint64_t)target > size_)
    return STG_E_INVALIDFUNCTION;
  position_ = (uint64_t)target;
  if (position)
    position->QuadPart = position_;
  return S_OK;
}

HRESULT PatternStream::Stat(STATSTG* stat, DWORD) {
  memset(stat, 0, sizeof(*stat));
  stat->type = STGTY_STREAM;
  stat->cbSize.QuadPart = size_;
  return S_OK;
}

} // namespace clip
