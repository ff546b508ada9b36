#include "Probe.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

typedef com::ComObject<Probe> ProbeObject;

TEST(ComObject, QueryInterfaceAnswersOnlyWhatIsListed) {
  ProbeRecord record;
  IEnumString* probe = new ProbeObject(&record);

  IUnknown* unknown = nullptr;
  ASSERT_EQ(S_OK, probe->QueryInterface(IID_IUnknown, (void**)&unknown));
  EXPECT_EQ(static_cast<IUnknown*>(probe), unknown);
  unknown->Release();

  IStream* stream = reinterpret_cast<IStream*>(1);
  EXPECT_EQ(E_NOINTERFACE, probe->QueryInterface(IID_IStream, (void**)&stream));
  EXPECT_EQ(nullptr, stream);
  EXPECT_EQ(E_POINTER, probe->QueryInterface(IID_IUnknown, nullptr));

  EXPECT_EQ(2u, probe->AddRef());
  EXPECT_EQ(1u, probe->Release());
  EXPECT_EQ(0, record.destroyed);
  EXPECT_EQ(0u, probe->Release());
  EXPECT_EQ(1, record.destroyed);
  EXPECT_EQ(GetCurrentThreadId(), record.destroyThread);
}

TEST(ComObject, ConcurrentCountsDestroyExactlyOnce) {
  ProbeRecord record;
  IEnumString* probe = new ProbeObject(&record);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; t++) {
    threads.emplace_back([probe] {
      for (int i = 0; i < 20000; i++) {
        probe->AddRef();
        IUnknown* unknown;
        probe->QueryInterface(IID_IUnknown, (void**)&unknown);
        unknown->Release();
        probe->Release();
      }
    });
  }
  for (std::thread& t : threads)
    t.join();
  EXPECT_EQ(0, record.destroyed);
  EXPECT_EQ(0u, probe->Release());
  EXPECT_EQ(1, record.destroyed);
}

TEST(ComObject, LastReleaseOnAnyThreadDestroys) {
  ProbeRecord record;
  IEnumString* probe = new ProbeObject(&record);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; t++)
    probe->AddRef();
  for (int t = 0; t < 8; t++)
    threads.emplace_back([probe] { probe->Release(); });
  probe->Release();
  for (std::thread& t : threads)
    t.join();
  EXPECT_EQ(1, record.destroyed);
}
