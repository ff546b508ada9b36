// Feeds framed file-transfer messages to the message reader through the
// connection's own receiving half, once with all bytes at hand, once as
// they arrive in the input's own pieces and, for short inputs, once a byte
// at a time (see FuzzSchedule::trickles), with "would block" between the
// pieces.
// Every reading must make the same handler calls and end with the same
// error, if any.
#include "ft/tests/ReceiverPump.h"
#include "ft/tests/RecordingHandler.h"
#include "rdr/tests/ScriptedInStream.h"
#include "rdr/tests/fuzz/FuzzSchedule.h"

#include <cstdio>
#include <cstdlib>

using testing_support::FuzzSchedule;
using testing_support::ReceiverPump;
using testing_support::RecordingHandler;
using testing_support::ScriptedInStream;

namespace {

std::vector<std::string> read(const std::vector<uint8_t>& wire, const std::vector<size_t>& cuts,
                              int maxChunk) {
  ScriptedInStream sock;
  sock.setMaxChunk(maxChunk);
  RecordingHandler handler;
  ft::MsgReader reader(nullptr, &handler);
  ReceiverPump pump(&sock, &reader);
  sock.append(wire.data(), wire.size(), false);
  try {
    for (size_t cut : cuts) {
      sock.release(cut);
      pump.pump(&sock);
    }
    sock.releaseAll();
    pump.pump(&sock);
  } catch (plat::Exception& e) {
    handler.calls.push_back(std::string("error: ") + e.str());
  }
  if (handler.emptyPieces) {
    fprintf(stderr, "an empty piece of file data was handed on\n");
    abort();
  }
  return handler.calls;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSchedule schedule(data, size);
  std::vector<std::string> whole = read(schedule.wire, {}, 0);
  std::vector<std::string> cut = read(schedule.wire, schedule.cuts, schedule.maxChunk);
  std::vector<std::string> trickle =
      schedule.trickles() ? read(schedule.wire, std::vector<size_t>(schedule.wire.size(), 1), 1)
                          : whole;
  if (whole != cut || whole != trickle) {
    fprintf(stderr, "readings differ: %zu, %zu and %zu calls\n", whole.size(), cut.size(),
            trickle.size());
    abort();
  }
  return 0;
}
