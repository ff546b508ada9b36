// Objects reached in the multithreaded apartment whatever thread marshals
// them: their calls need no message loop of that thread, and the
// apartment's end lets go of them.
#include "Probe.h"
#include "com/win/MtaMarshal.h"
#include "com/win/MtaThread.h"
#include "os/win/OleInitialiser.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <thread>

namespace {

class MtaProbe : public Probe, public com::MtaMarshal {
public:
  using Probe::Probe;
  void getInterfaces(com::InterfaceList* list) override {
    Probe::getInterfaces(list);
    addMarshal(list);
  }
};
typedef com::ComObject<MtaProbe> MtaProbeObject;

// Another single-threaded apartment: unmarshals the probe and asks it for
// the thread its call ran on; keeps the proxy until release is set.
struct Caller {
  explicit Caller(IStream* marshalled)
      : thread([this, marshalled] {
          os::OleInitialiser ole;
          IEnumString* probe = nullptr;
          if (SUCCEEDED(
                  CoGetInterfaceAndReleaseStream(marshalled, IID_IEnumString, (void**)&probe))) {
            LPOLESTR answer = nullptr;
            if (probe->Next(1, &answer, nullptr) == S_OK) {
              servedOn = wcstoul(answer, nullptr, 10);
              CoTaskMemFree(answer);
            }
            SetEvent(answered);
            WaitForSingleObject(release, INFINITE);
            probe->Release();
          }
          SetEvent(answered);
        }) {}
  ~Caller() {
    SetEvent(release);
    thread.join();
    CloseHandle(answered);
    CloseHandle(release);
  }
  HANDLE answered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD servedOn = 0;
  std::thread thread;
};

IStream* marshalProbe(ProbeRecord* record) {
  MtaProbeObject* object = new MtaProbeObject(record);
  IStream* marshalled = nullptr;
  EXPECT_EQ(S_OK, CoMarshalInterThreadInterfaceInStream(
                      IID_IEnumString, static_cast<IEnumString*>(object), &marshalled));
  static_cast<IEnumString*>(object)->Release();
  return marshalled;
}

} // namespace

TEST(MultithreadedApartment, ServesCallsWhileTheMarshallingThreadDoesNotPump) {
  os::OleInitialiser ole;
  ProbeRecord record;
  std::unique_ptr<com::MtaThread> apartment(new com::MtaThread);
  DWORD apartmentThread = 0;
  EXPECT_EQ(S_OK, com::MtaThread::call([&] {
              APTTYPE type;
              APTTYPEQUALIFIER qualifier;
              apartmentThread = GetCurrentThreadId();
              return SUCCEEDED(CoGetApartmentType(&type, &qualifier)) && type == APTTYPE_MTA
                         ? S_OK
                         : E_FAIL;
            }));
  EXPECT_NE(GetCurrentThreadId(), apartmentThread);
  {
    Caller caller(marshalProbe(&record));
    // No message loop here: a call served by this apartment would hang.
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(caller.answered, 10000));
    EXPECT_NE(0u, caller.servedOn);
    EXPECT_NE(GetCurrentThreadId(), caller.servedOn);
    // The apartment ends while the caller still holds the probe.
    apartment.reset();
    EXPECT_EQ(1, record.destroyed);
  }
}

TEST(MultithreadedApartment, WithoutItTheObjectIsMarshalledTheStandardWay) {
  os::OleInitialiser ole;
  ProbeRecord record;
  MtaProbeObject* object = new MtaProbeObject(&record);
  void* marshal = nullptr;
  EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(IID_IMarshal, &marshal));
  bool ran = false;
  EXPECT_EQ(CO_E_NOTINITIALIZED, com::MtaThread::call([&] {
              ran = true;
              return S_OK;
            }));
  EXPECT_FALSE(ran);
  static_cast<IEnumString*>(object)->Release();
}
