// Throughput of file data through the message writer, the V4 framing and
// the message reader, all in memory: no socket, no disk. Prints MB/s for
// writing and reading, plain and deflated, and what the deflated wire
// holds beside one zlib stream at the default level with a sync flush per
// message. Its argument: the real text (text-set.txt, made by the build).
#include "TextSet.h"
#include "WireFigures.h"

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
  size_t ends = 0;

  void fileData(rfb::MsgHandler*, const ft::FileId&, const uint8_t*, int length) override {
    bytes += length;
  }
  void fileEOF(rfb::MsgHandler*, const ft::FileId&) override { ends++; }
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

enum Compression { Plain, Deflated, Probed };

// Sends the files one after another on one connection, in file-data
// messages: deflated, or deflated when the upload manager's probe says so;
// returns the wire bytes when kept.
std::vector<uint8_t> writeFiles(const bench::Files& files, Compression compression, bool keep,
                                double* mbPerSecond, int* messages) {
  std::vector<uint8_t> wire;
  uint64_t total = bench::totalSize(files);
  Connection conn;
  if (keep) {
    wire.reserve(total + total / 100);
    conn.socket.keep = &wire;
  }
  ft::MsgWriter writer(&conn);
  *messages = 0;
  auto start = std::chrono::steady_clock::now();
  for (size_t i = 0; i < files.size(); i++) {
    const bench::Bytes& file = files[i];
    ft::FileId id(1, (uint32_t)i);
    rdr::MemInStream source(file.data(), (int)file.size());
    int sample = file.size() < 1024 ? (int)file.size() : 1024;
    bool compress = compression == Deflated ||
                    (compression == Probed && ft::MsgWriter::compressesWell(file.data(), sample));
    while (source.avail() > 0) {
      writer.writeFileData(id, source, 65535, compress);
      ++*messages;
    }
    writer.writeFileEOF(id);
  }
  // What the last messages left in the buffer, as a socket's owner flushes
  // before its thread sleeps.
  conn.socket.flush();
  *mbPerSecond = total / 1048576.0 / seconds(start);
  return wire;
}

double readFiles(const std::vector<uint8_t>& wire, size_t files, uint64_t expected) {
  MemorySocketIn socket(wire);
  CountingHandler handler;
  ft::MsgReader reader(nullptr, &handler);
  testing_support::ReceiverPump pump(&socket, &reader);
  auto start = std::chrono::steady_clock::now();
  while (handler.ends < files && !(socket.exhausted() && socket.avail() == 0))
    pump.receive();
  double elapsed = seconds(start);
  if (handler.bytes != expected)
    fprintf(stderr, "read %llu bytes, expected %llu\n", (unsigned long long)handler.bytes,
            (unsigned long long)expected);
  return expected / 1048576.0 / elapsed;
}

// Returns what the kept wire holds.
bench::WireFigures run(const char* name, const bench::Files& files, Compression compression) {
  // Timed while the socket drops what it gets; the bytes for reading come
  // from a second run that keeps them.
  double writeRate, keptRate;
  int messages;
  writeFiles(files, compression, false, &writeRate, &messages);
  std::vector<uint8_t> wire = writeFiles(files, compression, true, &keptRate, &messages);
  uint64_t total = bench::totalSize(files);
  double readRate = readFiles(wire, files.size(), total);
  printf("%-22s write %8.1f MB/s   read %8.1f MB/s   (%d messages, %.1f%% on the wire)\n", name,
         writeRate, readRate, messages, 100.0 * wire.size() / total);
  return bench::measureWire(wire);
}

void printWire(const char* name, const bench::WireFigures& wire) {
  printf("%s: %.2f to 1 (%llu bytes of files, %llu on the wire); one default-level stream\n"
         "  with a sync flush per message over the same %llu messages: %llu bytes of deflated\n"
         "  data against %llu; the wire / the same messages from that stream: %.4f (at most 1.02)\n",
         name, wire.ratio(), (unsigned long long)wire.fileBytes,
         (unsigned long long)wire.wireBytes, (unsigned long long)wire.messages,
         (unsigned long long)wire.deflated, (unsigned long long)wire.oneStream,
         wire.againstOneStream());
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: streambench <text-set.txt>\n");
    return 2;
  }
  bench::Bytes text = bench::readWhole(argv[1]);
  bench::Bytes noise(FileSize);
  uint32_t x = 12345;
  for (uint8_t& b : noise) {
    x = x * 1664525 + 1013904223;
    b = (uint8_t)(x >> 24);
  }
  bench::Files mixed = bench::mixedSet(text, bench::readWhole(argv[0]));
  printf("%d MiB through writeFileData, V4 framing and MsgReader, in memory; the text is the\n"
         "project's sources and READMEs (%zu bytes) again and again; the mixed set (%llu bytes)\n"
         "is that text, the same deflated as archives hold data, and this program's first MiB,\n"
         "in turns, each deflated when the probe says so\n",
         FileSize >> 20, text.size(), (unsigned long long)bench::totalSize(mixed));
  run("plain", {noise}, Plain);
  bench::WireFigures textWire = run("deflated, text", {bench::repeated(text, FileSize)}, Deflated);
  run("deflated, random data", {noise}, Deflated);
  bench::WireFigures mixedWire = run("mixed set, probed", mixed, Probed);
  printWire("text", textWire);
  printWire("mixed set", mixedWire);
  return textWire.againstOneStream() <= 1.02 && mixedWire.againstOneStream() <= 1.02 ? 0 : 1;
}
