// Throughput of one large file between two file-transfer engines over a
// loopback socket (memory-backed upload source and download sink), with
// both engines on one thread as in the tests and with each on its own
// thread as two programs would run, and of a raw loopback socket copy of the
// same size in the same run, as a yardstick; real text plain and deflated,
// on the open loopback and through a link of 8 MiB/s, with what the
// deflated text's wire holds. Its argument: the real text (text-set.txt,
// made by the build).
#include "win/LinkRelay.h"
#include "TextSet.h"
#include "WireFigures.h"

#include "ft/MsgWriter.h"
#include "plat/CallCounter.h"
#include "ft/Parameters.h"
#include "ft/ShareProxy.h"
#include "testing/FtLoopback.h"

#include <winsock2.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace testing_support;

namespace {

const int FileSize = 64 << 20;
// Through the slow link: a few seconds of plain data.
const int LinkFileSize = 16 << 20;
const double LinkRate = 8 * 1048576.0;
const int Rounds = 6;
// The room a download sink offers, as the local-file sink's default buffer.
const uint64_t SinkRoom = 262144;

std::map<std::string, uint64_t> counts() {
  std::map<std::string, uint64_t> c;
  for (plat::CallCounter* counter = plat::CallCounter::first(); counter; counter = counter->next())
    c[counter->name()] = counter->value();
  return c;
}

// The system calls of both engines since before, per MiB of the file.
void printCounts(const std::map<std::string, uint64_t>& before) {
  std::string line;
  for (const auto& entry : counts()) {
    auto was = before.find(entry.first);
    uint64_t n = entry.second - (was == before.end() ? 0 : was->second);
    if (n == 0 || entry.first.find(".bytes") != std::string::npos)
      continue;
    char item[64];
    snprintf(item, sizeof(item), " %s %.1f", entry.first.c_str(), n / (FileSize / 1048576.0));
    line += item;
  }
  printf("    per MiB:%s\n", line.c_str());
}

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::string noise(size_t n) {
  std::string s(n, '\0');
  uint32_t x = 12345;
  for (char& c : s) {
    x = x * 1664525 + 1013904223;
    c = (char)(x >> 24);
  }
  return s;
}

// MB/s of the file from request to end of file; 0 on failure. compress:
// the receiving engine asks for deflated data.
double engineTransfer(const std::string& contents, bool prioritise, bool compress, int* pieces) {
  ft::prioritiseFileTransfer.setValue(prioritise, plat::PriorityUser);
  LoopbackEngines engines;
  engines.b.extension.compress = compress;
  if (!engines.connect()) {
    fprintf(stderr, "no connection\n");
    return 0;
  }
  // As in the program, which makes its one connection and listens for none:
  // a listener would cost a query of its network events at every event.
  engines.sockets.removeListener(&engines.listener);
  uint32_t id = engines.a.share({new MemFile("big.bin", contents)}, 1);
  ft::ShareProxy* share = nullptr;
  pumpUntil([&] { return (share = engines.b.extension.getCurrentShare()) != nullptr; }, 30000);
  if (!share) {
    fprintf(stderr, "no listing\n");
    return 0;
  }
  MemSink sink(SinkRoom);
  sink.received.reserve(contents.size());
  auto start = std::chrono::steady_clock::now();
  engines.b.fetch(id, 0, "big.bin", &sink);
  pumpUntil([&] { return sink.closed(); }, 600000);
  double elapsed = seconds(start);
  share->release();
  ft::prioritiseFileTransfer.removeValue(plat::PriorityUser);
  *pieces = sink.writes;
  if (sink.closeMessage != "" || sink.received != contents || sink.overran) {
    fprintf(stderr, "transfer failed: '%s', %zu bytes\n", sink.closeMessage.c_str(),
            sink.received.size());
    return 0;
  }
  return contents.size() / 1048576.0 / elapsed;
}

// One engine on a thread of its own, with the thread's services.
struct Side {
  plat::EventManager events;
  plat::TimerManager timers;
  Engine engine;
  ft::proxy::SocketServer server{&engine.extension};
  net::EventSocketManager sockets{new io::WinsockManager};
};

// As engineTransfer, with the offering engine on a second thread; with a
// link rate, through a link of that speed, which records what it carries
// toward the receiving engine when asked.
double engineTransferTwoThreads(const std::string& contents, bool compress, double linkRate = 0,
                                std::vector<uint8_t>* wire = nullptr) {
  std::atomic<int> port(0);
  std::atomic<bool> finished(false);
  std::thread offering([&] {
    Side side;
    io::TcpListener listener(0, true);
    side.sockets.addListener(&listener, &side.server);
    port = listener.port();
    if (!pumpUntil([&] { return side.engine.connection() != nullptr; }, 30000))
      return;
    side.sockets.removeListener(&listener);
    side.engine.share({new MemFile("big.bin", contents)}, 1);
    pumpUntil([&] { return finished.load() || !side.engine.connection(); }, 600000);
  });
  double rate = 0;
  {
    Side side;
    side.engine.extension.compress = compress;
    while (!port)
      std::this_thread::yield();
    std::unique_ptr<bench::LinkRelay> link;
    if (linkRate > 0)
      link.reset(new bench::LinkRelay(port, linkRate, wire));
    io::TcpIo* io = io::TcpTarget("127.0.0.1", link ? link->port() : (int)port).connect();
    side.sockets.addSocket(new net::TcpSocket(io), &side.server, true);
    ft::ShareProxy* share = nullptr;
    pumpUntil([&] { return (share = side.engine.extension.getCurrentShare()) != nullptr; },
              30000);
    if (share) {
      MemSink sink(SinkRoom);
      sink.received.reserve(contents.size());
      auto start = std::chrono::steady_clock::now();
      side.engine.fetch(share->shareId(), 0, "big.bin", &sink);
      pumpUntil([&] { return sink.closed(); }, 600000);
      double elapsed = seconds(start);
      if (sink.closeMessage == "" && sink.received == contents && !sink.overran)
        rate = contents.size() / 1048576.0 / elapsed;
      share->release();
    }
  }
  finished = true;
  offering.join();
  return rate;
}

// MB/s of a plain copy through a loopback TCP connection, in sends of
// chunk bytes from a second thread.
double rawCopy(size_t total, int chunk) {
  io::TcpListener listener(0, true);
  SOCKET out = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_port = htons((u_short)listener.port());
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(out, (sockaddr*)&to, sizeof(to)) != 0)
    return 0;
  SOCKET in = accept(listener.fd(), nullptr, nullptr);
  u_long blocking = 0;
  ioctlsocket(in, FIONBIO, &blocking);
  std::vector<char> data(chunk, 'x');
  auto start = std::chrono::steady_clock::now();
  std::thread sender([&] {
    for (size_t sent = 0; sent < total;) {
      int n = (int)std::min<size_t>(chunk, total - sent);
      int done = send(out, data.data(), n, 0);
      if (done <= 0)
        return;
      sent += done;
    }
  });
  std::vector<char> buffer(65536);
  size_t received = 0;
  while (received < total) {
    int n = recv(in, buffer.data(), (int)buffer.size(), 0);
    if (n <= 0)
      break;
    received += n;
  }
  double elapsed = seconds(start);
  sender.join();
  closesocket(out);
  closesocket(in);
  return received == total ? total / 1048576.0 / elapsed : 0;
}

double median(std::vector<double> figures) {
  std::sort(figures.begin(), figures.end());
  size_t half = figures.size() / 2;
  return figures.size() % 2 ? figures[half] : (figures[half - 1] + figures[half]) / 2;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: enginebench <text-set.txt>\n");
    return 2;
  }
  // The writer's budget for one data message on an idle connection: the
  // socket output buffer's 16384 bytes less the headers, times the bias.
  int space = 16384 - 17;
  int message = ft::MsgWriter::budget(space, 114);
  int payload = message - 14;
  std::string contents = noise(FileSize);
  bench::Bytes text = bench::readWhole(argv[1]);
  bench::Bytes repeated = bench::repeated(text, FileSize);
  std::string compressible(repeated.begin(), repeated.end());
  std::string linkText = compressible.substr(0, LinkFileSize);

  printf("%d MiB over loopback, under this system\n", FileSize >> 20);
  printf("data messages of %d bytes (%d of file data), FileTransferBias %d, window %d KiB;\n"
         "text: the project's sources and READMEs (%zu bytes) again and again; through the\n"
         "link of %.0f MiB/s, %d MiB of it\n",
         message + 2, payload, (int)ft::fileTransferBias, (int)(SinkRoom >> 10), text.size(),
         LinkRate / 1048576, LinkFileSize >> 20);
  // The figures that are compared are measured in rounds, each beside its
  // baseline, so that a change in the machine's load falls on both; the
  // ratios are the medians of the rounds' ratios. Within a round the order
  // turns from round to round, since a transfer right after another may
  // find the machine otherwise than the first did: the one-thread
  // transfers and the raw copy take each place twice, plain and deflated
  // text each three times.
  std::vector<double> offToRaw, onToRaw, onToOff, deflatedToPlain, deflatedToPlainOneThread,
      deflatedToPlainLink, wireToOneStream;
  for (int round = 0; round < Rounds; round++) {
    bool counted = round == 0;
    printf("round %d\n", round + 1);
    double rates[3]; // off, on, raw
    for (int turn = 0; turn < 3; turn++) {
      int which = (turn + round) % 3;
      auto before = counts();
      if (which == 2) {
        rates[2] = rawCopy(FileSize, message + 2);
        printf("  raw socket copy, sends of %5d bytes          %8.1f MB/s\n", message + 2,
               rates[2]);
        continue;
      }
      int pieces = 0;
      rates[which] = engineTransfer(contents, which == 1, false, &pieces);
      printf("  engine, one thread, PrioritiseFileTransfer %-3s %8.1f MB/s  (%d pieces)\n",
             which ? "on" : "off", rates[which], pieces);
      if (counted)
        printCounts(before);
    }
    // Text, plain and deflated, in turn: the rates by whether deflated.
    auto textPair = [&](const char* where, const std::function<double(bool)>& transfer,
                        double* textRates) {
      for (int turn = 0; turn < 2; turn++) {
        int compress = (turn + round) % 2;
        auto before = counts();
        textRates[compress] = transfer(compress != 0);
        printf("  engine, text, %-8s, %-11s            %8.1f MB/s\n",
               compress ? "deflated" : "plain", where, textRates[compress]);
        if (counted)
          printCounts(before);
      }
    };
    // Each engine on its own thread: the deflating and the inflating end
    // are different programs. Then both on one thread, where the inflating
    // end also sends. Last, each on its own thread again, through a link
    // that carries no more than a remote-desktop connection might; the
    // deflated wire is kept for its figures.
    double textRates[2], oneThreadText[2], linkRates[2];
    textPair("two threads",
             [&](bool compress) { return engineTransferTwoThreads(compressible, compress); },
             textRates);
    textPair("one thread", [&](bool compress) {
      int pieces = 0;
      return engineTransfer(compressible, false, compress, &pieces);
    }, oneThreadText);
    std::vector<uint8_t> wire;
    textPair("link", [&](bool compress) {
      if (compress)
        wire.clear();
      return engineTransferTwoThreads(linkText, compress, LinkRate, compress ? &wire : nullptr);
    }, linkRates);
    bench::WireFigures figures = bench::measureWire(wire);
    printf("  deflated text through the link: %.2f to 1; wire / one default-level stream with a\n"
           "  sync flush per message over the same %llu messages: %.4f\n",
           figures.ratio(), (unsigned long long)figures.messages, figures.againstOneStream());
    if (rates[0] <= 0 || rates[1] <= 0 || rates[2] <= 0 || textRates[0] <= 0 || textRates[1] <= 0 ||
        oneThreadText[0] <= 0 || oneThreadText[1] <= 0 || linkRates[0] <= 0 || linkRates[1] <= 0)
      return 1;
    offToRaw.push_back(rates[0] / rates[2]);
    onToRaw.push_back(rates[1] / rates[2]);
    onToOff.push_back(rates[1] / rates[0]);
    deflatedToPlain.push_back(textRates[1] / textRates[0]);
    deflatedToPlainOneThread.push_back(oneThreadText[1] / oneThreadText[0]);
    deflatedToPlainLink.push_back(linkRates[1] / linkRates[0]);
    wireToOneStream.push_back(figures.againstOneStream());
  }
  double twoThreads = engineTransferTwoThreads(contents, false);
  printf("engine, each on its own thread                  %8.1f MB/s\n", twoThreads);
  double rawLarge = rawCopy(FileSize, 65536);
  printf("raw socket copy, sends of %5d bytes            %8.1f MB/s\n", 65536, rawLarge);
  printf("medians of %d rounds:\n", Rounds);
  printf("engine / raw (same message size): %.2f (off), %.2f (on); on / off: %.2f\n",
         median(offToRaw), median(onToRaw), median(onToOff));
  printf("text deflated / plain: %.2f (two threads), %.2f (one thread), %.2f (through the link of\n"
         "  %.0f MiB/s, at least 2.5); its wire / one default-level stream with a sync flush per\n"
         "  message over the same messages: %.4f (at most 1.02)\n",
         median(deflatedToPlain), median(deflatedToPlainOneThread), median(deflatedToPlainLink),
         LinkRate / 1048576, median(wireToOneStream));
  return twoThreads > 0 && rawLarge > 0 ? 0 : 1;
}
