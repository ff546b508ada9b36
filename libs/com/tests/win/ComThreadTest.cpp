#include "Probe.h"
#include "com/win/ComThread.h"
#include "os/win/OleInitialiser.h"
#include "testing/ReturnsWithin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cwchar>
#include <functional>
#include <stdexcept>
#include <string>

typedef com::ComObject<Probe> ProbeObject;

namespace {

struct Apartment : testing::Test {
  // The thread that destroyed the probe, once it has ended.
  void expectDestroyedOnItsThreadWhichEnds() {
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(record.gone, 10000));
    EXPECT_EQ(1, record.destroyed);
    DWORD thread = record.destroyThread;
    EXPECT_NE(GetCurrentThreadId(), thread);
    HANDLE handle = OpenThread(SYNCHRONIZE, FALSE, thread);
    if (handle) { // otherwise it has ended already
      EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(handle, 10000));
      CloseHandle(handle);
    }
  }

  // Drops a reference held back by the test once the apartment thread is
  // surely asleep in its message loop, where only a wake-up moves it.
  static void releaseLater(IUnknown* object) {
    Sleep(300);
    object->Release();
  }

  os::OleInitialiser ole;
  ProbeRecord record;
};

// The caller's reference that marshal releases: dropping the object's
// reference first, then running the test's step, as if another thread got
// the processor at that moment.
class ReleaseHook : public IUnknown {
public:
  ReleaseHook(IUnknown* object, std::function<void()> step) : object(object), step(step) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return object->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)++count; }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = --count;
    if (left == 0) {
      object->Release();
      step();
    }
    return (ULONG)left;
  }

private:
  IUnknown* object;
  std::function<void()> step;
  std::atomic<LONG> count{1};
};

// An apartment that cannot start, as when OLE fails on the new thread.
struct BrokenThread : com::ComThread {
  using com::ComThread::ComThread;
  std::unique_ptr<os::OleInitialiser> enterApartment() override {
    throw plat::SystemException("OleInitialize", (int)E_OUTOFMEMORY);
  }
};

// One whose start throws something other than the project's exceptions.
struct ThrowingThread : com::ComThread {
  using com::ComThread::ComThread;
  std::unique_ptr<os::OleInitialiser> enterApartment() override {
    throw std::runtime_error("no apartment");
  }
};

} // namespace

TEST_F(Apartment, MovedObjectRunsAndDiesOnItsThread) {
  ProbeObject* object = new ProbeObject(&record);
  IUnknown* proxy = object->runOnComThread(static_cast<IEnumString*>(object), IID_IEnumString);
  ASSERT_TRUE(proxy != nullptr);
  IEnumString* remote = static_cast<IEnumString*>(proxy);

  LPOLESTR answer = nullptr;
  ULONG fetched = 0;
  ASSERT_EQ(S_OK, remote->Next(1, &answer, &fetched));
  DWORD comThread = wcstoul(answer, nullptr, 10);
  CoTaskMemFree(answer);
  EXPECT_NE(GetCurrentThreadId(), comThread);
  EXPECT_EQ(0, record.destroyed);

  remote->Release();
  expectDestroyedOnItsThreadWhichEnds();
  EXPECT_EQ(comThread, record.destroyThread);
}

TEST_F(Apartment, FailedMarshalStillEndsTheThread) {
  ProbeObject* object = new ProbeObject(&record);
  object->AddRef();
  try {
    object->runOnComThread(static_cast<IEnumString*>(object), IID_IUnmarshallable);
    ADD_FAILURE() << "marshalled without a proxy";
  } catch (const plat::SystemException& e) {
    EXPECT_EQ(0, strncmp(e.str(), "CoMarshalInterThreadInterfaceInStream: ", 39)) << e.str();
  }
  releaseLater(static_cast<IEnumString*>(object));
  expectDestroyedOnItsThreadWhichEnds();
}

TEST_F(Apartment, ApartmentThatCannotStartAnswersAndEnds) {
  ProbeObject* object = new ProbeObject(&record);
  object->AddRef();
  try {
    (new BrokenThread(object, static_cast<IEnumString*>(object), IID_IEnumString))->marshal();
    ADD_FAILURE() << "no failure";
  } catch (const plat::SystemException& e) {
    EXPECT_EQ(E_OUTOFMEMORY, (HRESULT)e.err);
    EXPECT_EQ(0, strncmp(e.str(), "OleInitialize: ", 15)) << e.str();
  }
  releaseLater(static_cast<IEnumString*>(object));
  expectDestroyedOnItsThreadWhichEnds();
}

TEST_F(Apartment, ApartmentWhoseStartThrowsAnythingAnswersAndEnds) {
  ProbeObject* object = new ProbeObject(&record);
  object->AddRef();
  com::ComThread* thread =
      new ThrowingThread(object, static_cast<IEnumString*>(object), IID_IEnumString);
  std::string thrown;
  ASSERT_TRUE(testing_support::returnsWithin(10000, [&] {
    try {
      thread->marshal();
    } catch (const std::runtime_error& e) {
      thrown = e.what();
    }
  })) << "the caller waits for ever";
  EXPECT_EQ("no apartment", thrown);
  releaseLater(static_cast<IEnumString*>(object));
  expectDestroyedOnItsThreadWhichEnds();
}

// A waiting thread given an object it cannot marshal: once the caller's
// reference goes, the thread ends that object and waits for the next one,
// which another caller may hand it before the first has read its answer.
TEST_F(Apartment, ReusedThreadReportsItsOwnFailedMarshal) {
  ProbeObject* first = new ProbeObject(&record);
  first->AddRef();
  com::ComThread* thread =
      com::ComThread::forObject(first, static_cast<IEnumString*>(first), IID_IUnmarshallable);
  HRESULT unmarshallable = S_OK;
  try {
    thread->marshal();
  } catch (const plat::SystemException& e) {
    unmarshallable = (HRESULT)e.err;
  }
  ASSERT_TRUE(FAILED(unmarshallable));
  ASSERT_NE(E_FAIL, unmarshallable);
  static_cast<IEnumString*>(first)->Release();
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(record.gone, 10000));
  // Time for the thread to go back to waiting.
  Sleep(300);

  ProbeRecord secondRecord, thirdRecord;
  ProbeObject* second = new ProbeObject(&secondRecord);
  ProbeObject* third = new ProbeObject(&thirdRecord);
  com::ComThread* next = nullptr;
  ReleaseHook hook(static_cast<IEnumString*>(second), [&] {
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(secondRecord.gone, 10000));
    Sleep(300);
    next = com::ComThread::forObject(third, static_cast<IEnumString*>(third), IID_IEnumString);
  });
  com::ComThread* reused = com::ComThread::forObject(second, &hook, IID_IUnmarshallable);
  ASSERT_EQ(thread, reused);
  try {
    reused->marshal();
    ADD_FAILURE() << "marshalled without a proxy";
  } catch (const plat::SystemException& e) {
    EXPECT_EQ(unmarshallable, (HRESULT)e.err) << e.str();
  }
  ASSERT_TRUE(next != nullptr);
  EXPECT_EQ(thread, next);

  // The next caller gets its own object's proxy.
  IEnumString* remote = static_cast<IEnumString*>(next->marshal());
  ASSERT_TRUE(remote != nullptr);
  LPOLESTR answer = nullptr;
  ASSERT_EQ(S_OK, remote->Next(1, &answer, nullptr));
  CoTaskMemFree(answer);
  remote->Release();
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thirdRecord.gone, 10000));
  EXPECT_EQ(1, secondRecord.destroyed);
  EXPECT_EQ(1, thirdRecord.destroyed);
}
