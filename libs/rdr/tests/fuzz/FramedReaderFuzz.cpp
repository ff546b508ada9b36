// Reads framed messages with a reader whose operations come from the input
// (integers, byte runs, end-of-message tests, checkpoints), once with all
// bytes at hand and once as they trickle in with "would block" between the
// pieces. Both readings must see the same values, the same message ends and
// the same error.
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

const size_t MaxOpsPerMessage = 1000;

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
          committedLog = log.size();
        }
        in.skipMsg();
        in.endMsg();
        log.push_back("end");
        committedLog = log.size();
        state = Idle;
      }
    } catch (rdr::BlockException&) {
      log.resize(committedLog); // read again from the checkpoint
      op = committedOp;
      return true;
    } catch (plat::Exception& e) {
      log.push_back(std::string("error: ") + e.str());
      return false;
    }
  }

  std::vector<std::string> log;

private:
  // False when the message is done with.
  bool runOp() {
    uint8_t code = script.empty() ? 2 : script[op % script.size()];
    op++;
    char line[64];
    try {
      switch (code % 8) {
      case 0: snprintf(line, sizeof(line), "u8 %u", in.readU8()); break;
      case 1: snprintf(line, sizeof(line), "u16 %u", in.readU16()); break;
      case 2: snprintf(line, sizeof(line), "u32 %u", in.readU32()); break;
      case 3: snprintf(line, sizeof(line), "u64 %llu", (unsigned long long)in.readU64()); break;
      case 4: {
        uint8_t buf[64];
        int n = code / 8 + 1;
        const uint8_t* p = in.readBytes(buf, n);
        unsigned sum = 0;
        for (int i = 0; i < n; i++)
          sum = sum * 31 + p[i];
        snprintf(line, sizeof(line), "bytes %d %u", n, sum);
        break;
      }
      case 5: {
        bool atEnd = in.atEndOfMsg();
        log.push_back(atEnd ? "at end" : "not at end");
        return !atEnd;
      }
      case 6:
        in.checkpoint();
        committedOp = op;
        snprintf(line, sizeof(line), "checkpoint %d", in.pos());
        log.push_back(line);
        committedLog = log.size();
        return true;
      default:
        in.skip(code / 8);
        snprintf(line, sizeof(line), "pos %d", in.pos());
        break;
      }
    } catch (rdr::EndOfMsg&) {
      log.push_back("end of message");
      return false;
    }
    log.push_back(line);
    return true;
  }

  enum { Idle, Reading, Finishing } state = Idle;
  rdr::InStreamV4 in;
  std::vector<uint8_t> script;
  size_t op = 0;
  size_t committedOp = 0;
  size_t committedLog = 0;
};

std::vector<std::string> read(const std::vector<uint8_t>& wire, const std::vector<uint8_t>& script,
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
  std::vector<std::string> whole = read(schedule.wire, script, {}, 0);
  std::vector<std::string> cut = read(schedule.wire, script, schedule.cuts, schedule.maxChunk);
  // One byte at a time re-reads a message from its checkpoint after every
  // byte: kept to short inputs, so that the fuzzer stays fast.
  std::vector<std::string> trickle = whole;
  if (schedule.wire.size() <= 1024)
    trickle = read(schedule.wire, script, std::vector<size_t>(schedule.wire.size(), 1), 1);
  if (whole != cut || whole != trickle) {
    fprintf(stderr, "readings differ: %zu, %zu and %zu lines\n", whole.size(), cut.size(),
            trickle.size());
    abort();
  }
  return 0;
}
