// Reads framed messages with a reader whose operations come from the input
// (integers, byte runs, end-of-message tests, checkpoints), once with all
// bytes at hand and once as they arrive in the input's own pieces. Short
// inputs are read a third time as they trickle in one byte at a time (see
// FuzzSchedule::trickles). All readings must see the same values, the same
// message ends and the same error.
#include "rdr/tests/fuzz/FuzzSchedule.h"
#include "rdr/tests/ScriptedInStream.h"

#include "rdr/Exception.h"
#include "rdr/InStreamV4.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using testing_support::FuzzSchedule;
using testing_support::ScriptedInStream;

namespace {

// Four rounds of the 16-byte script.
const size_t MaxOpsPerMessage = 64;

// What a reading saw: one entry per event, kind in the top byte; values of
// 64 bits take an entry of their own. Numbers, not text: the log is written
// again on every re-reading.
enum Kind : uint64_t {
  U8 = 1, U16, U32, U64, Bytes, AtEnd, NotAtEnd, Checkpoint, Position, EndOfMessage, MsgEnd,
  Error
};

struct Log {
  std::vector<uint64_t> events;
  std::string error;

  void add(Kind kind, uint64_t value = 0) { events.push_back((uint64_t)kind << 56 | value); }
  bool operator!=(const Log& other) const {
    return events != other.events || error != other.error;
  }
};

class ScriptReader {
public:
  ScriptReader(rdr::InStream* underlying, const std::vector<uint8_t>& script)
      : in(underlying), script(script) {}

  // Reads until the data runs out; false once an error ended the reading.
  bool pump() {
    try {
      for (;;) {
        if (state == Idle) {
          in.startMsg();
          state = Reading;
          op = committedOp = 0;
        }
        if (state == Reading) {
          while (op < MaxOpsPerMessage && runOp())
            ;
          state = Finishing;
          committedLog = log.events.size();
        }
        in.skipMsg();
        in.endMsg();
        log.add(MsgEnd);
        committedLog = log.events.size();
        state = Idle;
      }
    } catch (rdr::BlockException&) {
      log.events.resize(committedLog); // read again from the checkpoint
      op = committedOp;
      return true;
    } catch (plat::Exception& e) {
      log.add(Error);
      log.error = e.str();
      return false;
    }
  }

  Log log;

private:
  // False when the message is done with.
  bool runOp() {
    uint8_t code = script.empty() ? 2 : script[op % script.size()];
    op++;
    try {
      switch (code % 8) {
      case 0: log.add(U8, in.readU8()); break;
      case 1: log.add(U16, in.readU16()); break;
      case 2: log.add(U32, in.readU32()); break;
      case 3: {
        uint64_t value = in.readU64();
        log.add(U64);
        log.events.push_back(value);
        break;
      }
      case 4: {
        uint8_t buf[64];
        int n = code / 8 + 1;
        const uint8_t* p = in.readBytes(buf, n);
        uint32_t sum = 0;
        for (int i = 0; i < n; i++)
          sum = sum * 31 + p[i];
        log.add(Bytes, (uint64_t)n << 32 | sum);
        break;
      }
      case 5: {
        bool atEnd = in.atEndOfMsg();
        log.add(atEnd ? AtEnd : NotAtEnd);
        return !atEnd;
      }
      case 6:
        in.checkpoint();
        committedOp = op;
        log.add(Checkpoint, (uint32_t)in.pos());
        committedLog = log.events.size();
        return true;
      default:
        in.skip(code / 8);
        log.add(Position, (uint32_t)in.pos());
        break;
      }
    } catch (rdr::EndOfMsg&) {
      log.add(EndOfMessage);
      return false;
    }
    return true;
  }

  enum { Idle, Reading, Finishing } state = Idle;
  rdr::InStreamV4 in;
  std::vector<uint8_t> script;
  size_t op = 0;
  size_t committedOp = 0;
  size_t committedLog = 0;
};

Log read(const std::vector<uint8_t>& wire, const std::vector<uint8_t>& script,
         const std::vector<size_t>& cuts, int maxChunk) {
  ScriptedInStream sock;
  sock.setMaxChunk(maxChunk);
  ScriptReader reader(&sock, script);
  sock.append(wire.data(), wire.size(), false);
  for (size_t cut : cuts) {
    sock.release(cut);
    if (!reader.pump())
      return reader.log;
  }
  sock.releaseAll();
  reader.pump();
  return reader.log;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSchedule schedule(data, size);
  // The first bytes of the wire double as the reader's script.
  std::vector<uint8_t> script(schedule.wire.begin(),
                              schedule.wire.begin() + std::min<size_t>(schedule.wire.size(), 16));
  Log whole = read(schedule.wire, script, {}, 0);
  Log cut = read(schedule.wire, script, schedule.cuts, schedule.maxChunk);
  Log trickle = whole;
  if (schedule.trickles())
    trickle = read(schedule.wire, script, std::vector<size_t>(schedule.wire.size(), 1), 1);
  if (whole != cut || whole != trickle) {
    fprintf(stderr, "readings differ: %zu, %zu and %zu events\n", whole.events.size(),
            cut.events.size(), trickle.events.size());
    abort();
  }
  return 0;
}
