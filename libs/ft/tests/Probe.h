// One engine with one connection whose output the test reads back as text
// lines (see RecordingHandler), and whose messages the test delivers by
// calling the extension's handlers directly.
#pragma once

#include "ReceiverPump.h"
#include "RecordingHandler.h"
#include "testing/FtEngine.h"

#include "ft/MsgReader.h"
#include "rdr/tests/ScriptedInStream.h"

#include <atomic>
#include <string>
#include <vector>

namespace testing_support {

struct Probe : ft::Extension::Waker {
  Engine engine;
  Pipe out;
  Pipe in;
  LinkEnd end{&engine, &out, &in};
  int written = 0;
  // A write cycle was asked for (as the socket server's event would be set).
  std::atomic<bool> woken{false};
  // One reader for everything sent, as the peer has: deflated data goes on
  // from the messages before it.
  RecordingHandler recorder;
  ft::MsgReader reader{nullptr, &recorder};

  Probe() {
    out.capacity = 1 << 30;
    end.open();
    ext().setWaker(this);
  }
  ~Probe() {
    ext().setWaker(nullptr);
    end.close();
  }

  void wake() override { woken = true; }

  ft::Extension& ext() { return engine.extension; }
  rfb::MsgHandler* conn() { return &end.connection; }
  ft::DownloadManager* download() { return engine.download(); }
  ft::UploadManager& upload() { return engine.upload(); }

  // The messages written since the last call. The write cycles asked for
  // run first, as on the event that wakes the program; then, like a socket,
  // the output asks for more (runs the write cycle again) as long as the
  // last cycle wrote something.
  std::vector<std::string> sent() {
    if (woken.exchange(false))
      ext().runRequestedWrites();
    for (int i = 0; i < 100000 && end.isOpen && end.pipeOut.length() != written; i++) {
      written = end.pipeOut.length();
      ext().writeMsgs(conn());
    }
    written = end.pipeOut.length();
    end.pipeOut.flush();
    std::string bytes = out.bytes.substr(out.readAt);
    out.bytes.clear();
    out.readAt = 0;
    recorder.calls.clear();
    ScriptedInStream input;
    input.append(bytes.data(), bytes.size());
    ReceiverPump pump(&input, &reader);
    pump.pump(&input);
    return recorder.calls;
  }
  // The messages of write cycles that each find only `space` bytes of room,
  // run until one writes nothing; the room is unlimited again afterwards.
  std::vector<std::string> sentInRoom(int space) {
    std::vector<std::string> all;
    for (;;) {
      end.pipeOut.setSpace(space);
      ext().writeMsgs(conn());
      std::vector<std::string> lines = sent();
      if (lines.empty())
        break;
      all.insert(all.end(), lines.begin(), lines.end());
    }
    end.pipeOut.setSpace(-1);
    return all;
  }
  // Only the first word of each message: its kind.
  std::vector<std::string> sentKinds() {
    std::vector<std::string> kinds;
    for (const std::string& line : sent())
      kinds.push_back(line.substr(0, line.find(' ')));
    return kinds;
  }
};

} // namespace testing_support
