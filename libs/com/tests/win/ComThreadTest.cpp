#include "Probe.h"
#include "com/win/ComThread.h"
#include "os/win/OleInitialiser.h"

#include <gtest/gtest.h>

#include <cwchar>

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

// An apartment that cannot start, as when OLE fails on the new thread.
struct BrokenThread : com::ComThread {
  using com::ComThread::ComThread;
  std::unique_ptr<os::OleInitialiser> enterApartment() override {
    throw plat::SystemException("OleInitialize", (int)E_OUTOFMEMORY);
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
