// Wine's RPC server, which carries every call between apartments (within
// the process too), stops listening once the last interface registered for
// remote calls goes, and starts again with the next apartment that
// marshals. A start that comes while the server thread is still ending
// waits for a thread that is gone: seen as a fixture hanging in its first
// marshal, with no RPC server thread left in the process. A program keeps
// its apartment for its whole life; tests make and end theirs one after
// the other, so the run keeps one apartment, with an interface registered,
// from its first test to its end.
#pragma once

#include "testing/ReturnsWithin.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <thread>

namespace ferrin_test {

class KeptRemoting : public testing::Environment {
public:
  // Once: the apartment stays until the process ends.
  void SetUp() override {
    if (started_)
      return;
    started_ = true;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread([ready] { keep(ready); }).detach();
    if (WaitForSingleObject(ready, testing_support::LongWaitMs) != WAIT_OBJECT_0)
      ADD_FAILURE() << "The kept apartment did not start";
    // Left open: the thread may still set it.
  }

private:
  static void keep(HANDLE ready) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // Marshalled, the stream registers its interface and the apartment's
    // own, and has the server listen; neither is ever released.
    IStream* object = nullptr;
    IStream* marshalled = nullptr;
    if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &object)))
      CoMarshalInterThreadInterfaceInStream(IID_IStream, object, &marshalled);
    SetEvent(ready);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
      DispatchMessageW(&msg);
  }

  bool started_ = false;
};

// One for the program, however many sources include this.
inline testing::Environment* const keptRemoting =
    testing::AddGlobalTestEnvironment(new KeptRemoting);

} // namespace ferrin_test
