// One engine on a connection whose peer sends anything at all, arriving in
// pieces (the schedule of FuzzSchedule.h). The engine offers a share and
// has sinks waiting for the peer's share 7, so listings, requests, file
// data, renewals, aborts and releases all reach the managers. Whatever
// arrives, the engine acts on it or closes the connection: no crash, no
// hang, no leak.
#include "rdr/tests/fuzz/FuzzSchedule.h"
#include "tools/testing/FtEngine.h"

#include <deque>
#include <memory>
#include <string>

using namespace testing_support;

namespace {

// Shared by every run: the engine only reads it, and a fresh copy per run
// was a good part of the run's cost.
std::shared_ptr<std::string> bigContents() {
  static const std::shared_ptr<std::string> contents =
      std::make_shared<std::string>(70000, 'b');
  return contents;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSchedule schedule(data, size);
  std::deque<MemSink> sinks;
  Engine engine;
  Pipe out;
  Pipe in;
  out.capacity = 1 << 16;
  LinkEnd end(&engine, &out, &in);
  end.open();
  engine.share({new MemFile("a", "contents of a"), new MemDir("d"),
                new MemFile("d/b", bigContents())},
               2, 1);
  for (uint32_t number = 0; number < 3; number++) {
    sinks.emplace_back(number * 5000);
    engine.download()->addStream(ft::FileId(7, number), &sinks.back());
    engine.download()->requestFile(ft::FileId(7, number), "x", 0, ~(uint64_t)0);
  }

  size_t at = 0;
  auto deliver = [&](size_t n) {
    n = n < schedule.wire.size() - at ? n : schedule.wire.size() - at;
    in.bytes.append((const char*)schedule.wire.data() + at, n);
    at += n;
    for (int round = 0, idle = 0; round < 8 && end.isOpen && idle < 2; round++) {
      size_t unread = in.size();
      uint64_t written = out.moved;
      int buffered = end.pipeOut.length();
      end.receive();
      end.writable();
      // The peer reads everything: the output never stays full.
      out.bytes.clear();
      out.readAt = 0;
      // Two rounds in which nothing was read or written: the rounds after
      // them would only repeat them.
      bool moved = in.size() != unread || out.moved != written ||
                   end.pipeOut.length() != buffered || end.pipeOut.hasPending();
      idle = moved ? 0 : idle + 1;
    }
  };
  for (size_t cut : schedule.cuts)
    deliver(cut);
  deliver(schedule.wire.size());
  end.close();
  return 0;
}
