// Throughput of file data through the message writer, the V4 framing and
// the message reader, all in memory: no socket, no disk. Prints MB/s for
// writing and reading, plain and deflated.
#include "ft/FTMsgWriter.h"
#include "ft/MsgWriter.h"
#include "ft/PduHandler.h"
#include "ft/ShareEntry.h"
#include "ft/tests/ReceiverPump.h"
#include "rdr/BufferedInStream.h"
#include "rdr/BufferedOutStream.h"
#include "rdr/MemInStream.h"
#include "rdr/MemOutStream.h"
#include "rdr/OutStreamV4.h"
#include "rfb/MsgHandler.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const int FileSize = 64 << 20;
const ft::FileId benchFile(1, 1);

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A socket that takes everything at once, keeping it only when asked to.
class MemorySocketOut : public rdr::BufferedOutStream {
public:
  std::vector<uint8_t>* keep = nullptr;

protected:
  int writeData(const uint8_t* buffer, int length, bool wait) override {
    if (keep)
      keep->insert(keep->end(), buffer, buffer + length);
    return length;
  }
};

// A socket that delivers recorded bytes in reads of at most 64 KiB.
class MemorySocketIn : public rdr::BufferedInStream {
public:
  explicit MemorySocketIn(const std::vector<uint8_t>& bytes)
      : rdr::BufferedInStream(65536), bytes(bytes) {}

protected:
  int readData(uint8_t* buffer, int length) override {
    size_t n = bytes.size() - at;
    if (n > (size_t)length)
      n = length;
    memcpy(buffer, bytes.data() + at, n);
    at += n;
    return (int)n;
  }

public:
  bool exhausted() const { return at == bytes.size(); }

private:
  const std::vector<uint8_t>& bytes;
  size_t at = 0;
};

class Connection : public rfb::MsgHandler {
public:
  Connection() : framed(&socket), writer(&framed) {}
  rfb::MsgWriter* getWriter() override { return &writer; }

  MemorySocketOut socket;
  rdr::OutStreamV4 framed;
  ft::FTMsgWriter writer;
};

class CountingHandler : public ft::PduHandler {
public:
  uint64_t bytes = 0;
  bool ended = false;

  void fileData(rfb::MsgHandler*, const ft::FileId&, const uint8_t*, int length) override {
    bytes += length;
  }
  void fileEOF(rfb::MsgHandler*, const ft::FileId&) override { ended = true; }
  void shareCtrl(rfb::MsgHandler*, uint32_t, uint8_t, uint32_t) override {}
  void reqShare(rfb::MsgHandler*, uint32_t, const char*, uint32_t) override {}
  void shareDataEOF(rfb::MsgHandler*, uint32_t) override {}
  void shareEntry(rfb::MsgHandler*, uint32_t, ft::ShareEntry* entry) override { delete entry; }
  void reqFile(rfb::MsgHandler*, const char*, const ft::FileId&, uint64_t, uint64_t, uint64_t,
               uint8_t) override {}
  void updateByteLimit(rfb::MsgHandler*, const ft::FileId&, uint64_t) override {}
  void fileError(rfb::MsgHandler*, const ft::FileId&, const char*) override {}
  void abortFile(rfb::MsgHandler*, const ft::FileId&) override {}
  void releaseShare(rfb::MsgHandler*, uint32_t) override {}
};

// Sends the file in file-data messages; returns the wire bytes when kept.
std::vector<uint8_t> writeFile(const std::vector<uint8_t>& file, bool compress, bool keep,
                               double* mbPerSecond, int* messages) {
  std::vector<uint8_t> wire;
  Connection conn;
  if (keep) {
    wire.reserve(file.size() + file.size() / 100);
    conn.socket.keep = &wire;
  }
  ft::MsgWriter writer(&conn);
  rdr::MemInStream source(file.data(), (int)file.size());
  *messages = 0;
  auto start = std::chrono::steady_clock::now();
  while (source.avail() > 0) {
    writer.writeFileData(benchFile, source, 65535, compress);
    ++*messages;
  }
  writer.writeFileEOF(benchFile);
  // What the last messages left in the buffer, as a socket's owner flushes
  // before its thread sleeps.
  conn.socket.flush();
  *mbPerSecond = file.size() / 1048576.0 / seconds(start);
  return wire;
}

double readFile(const std::vector<uint8_t>& wire, uint64_t expected) {
  MemorySocketIn socket(wire);
  CountingHandler handler;
  ft::MsgReader reader(nullptr, &handler);
  testing_support::ReceiverPump pump(&socket, &reader);
  auto start = std::chrono::steady_clock::now();
  while (!handler.ended && !(socket.exhausted() && socket.avail() == 0))
    pump.receive();
  double elapsed = seconds(start);
  if (handler.bytes != expected)
    fprintf(stderr, "read %llu bytes, expected %llu\n", (unsigned long long)handler.bytes,
            (unsigned long long)expected);
  return expected / 1048576.0 / elapsed;
}

void run(const char* name, const std::vector<uint8_t>& file, bool compress) {
  // Timed while the socket drops what it gets; the bytes for reading come
  // from a second run that keeps them.
  double writeRate, keptRate;
  int messages;
  writeFile(file, compress, false, &writeRate, &messages);
  std::vector<uint8_t> wire = writeFile(file, compress, true, &keptRate, &messages);
  double readRate = readFile(wire, file.size());
  printf("%-22s write %8.1f MB/s   read %8.1f MB/s   (%d messages, %.1f%% on the wire)\n", name,
         writeRate, readRate, messages, 100.0 * wire.size() / file.size());
}

} // namespace

int main() {
  std::vector<uint8_t> text(FileSize);
  const char* words = "file transfer moves the bytes of a file in framed messages; ";
  size_t wordsLength = strlen(words);
  for (size_t i = 0; i < text.size(); i++)
    text[i] = (uint8_t)words[(i + i / 4093) % wordsLength];
  std::vector<uint8_t> noise(FileSize);
  uint32_t x = 12345;
  for (uint8_t& b : noise) {
    x = x * 1664525 + 1013904223;
    b = (uint8_t)(x >> 24);
  }
  printf("%d MiB through writeFileData, V4 framing and MsgReader, in memory\n", FileSize >> 20);
  run("plain", noise, false);
  run("deflated, text", text, true);
  run("deflated, random data", noise, true);
  return 0;
}
