#include "io/win/WinsockInit.h"
#include "plat/CallCounter.h"
#include "rdr/Exception.h"
#include "rdr/win/FdInStream.h"
#include "rdr/win/FdOutStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace {

// Two ends of a loopback TCP connection.
struct SocketPair {
  SocketPair() {
    io::initWinsock();
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof(addr);
    if (bind(listener, (sockaddr*)&addr, sizeof(addr)) != 0 || listen(listener, 1) != 0 ||
        getsockname(listener, (sockaddr*)&addr, &len) != 0)
      throw plat::SystemException("listen", WSAGetLastError());
    a = socket(AF_INET, SOCK_STREAM, 0);
    if (connect(a, (sockaddr*)&addr, sizeof(addr)) != 0)
      throw plat::SystemException("connect", WSAGetLastError());
    b = accept(listener, nullptr, nullptr);
    closesocket(listener);
  }
  ~SocketPair() {
    if (a != INVALID_SOCKET)
      closesocket(a);
    if (b != INVALID_SOCKET)
      closesocket(b);
  }
  SOCKET a = INVALID_SOCKET;
  SOCKET b = INVALID_SOCKET;
};

// Reads n bytes, moving the checkpoint on as it goes so that the buffer
// never has to hold more than a window.
std::vector<uint8_t> readAll(rdr::InStream& in, size_t n) {
  std::vector<uint8_t> got;
  while (got.size() < n) {
    if (in.avail() == 0)
      in.check(true, 1);
    size_t take = std::min<size_t>(in.avail(), n - got.size());
    got.insert(got.end(), in.getptr(), in.getptr() + take);
    in.skip((int)take);
    in.checkpoint();
  }
  return got;
}

void setNonBlocking(SOCKET s) {
  u_long on = 1;
  ioctlsocket(s, FIONBIO, &on);
}

} // namespace

TEST(FdStreams, BulkRoundTrip) {
  SocketPair pair;
  std::vector<uint8_t> data(3 << 20);
  for (size_t i = 0; i < data.size(); i++)
    data[i] = (uint8_t)(i * 13 + (i >> 12));
  std::thread writer([&] {
    rdr::FdOutStream out(pair.a);
    EXPECT_GE(out.getSendChunk(), 1);
    for (size_t i = 0; i < data.size(); i += 70000)
      out.write(data.data() + i, (int)std::min<size_t>(70000, data.size() - i));
    out.flush();
    EXPECT_EQ((int)data.size(), out.length());
  });
  rdr::FdInStream in(pair.b, 20000);
  std::vector<uint8_t> got = readAll(in, data.size());
  writer.join();
  EXPECT_EQ(data, got);
}

TEST(FdStreams, OnlySendsThatMayBlockAreCutToTheSendChunk) {
  SocketPair pair;
  setNonBlocking(pair.a);
  plat::CallCounter* sends = plat::CallCounter::find("send");
  std::vector<uint8_t> data(12000, 0x17); // fits the buffer
  rdr::FdOutStream out(pair.a);
  out.setNoWait(true); // as the fd manager sets it: the socket never blocks
  uint64_t before = sends->value();
  out.write(data.data(), (int)data.size());
  out.flush();
  ASSERT_FALSE(out.hasPending());
  EXPECT_EQ(1u, sends->value() - before);
  rdr::FdInStream in(pair.b, 20000);
  EXPECT_EQ(data, readAll(in, data.size()));

  out.setNoWait(false);
  before = sends->value();
  out.write(data.data(), (int)data.size());
  out.flush();
  EXPECT_GE(sends->value() - before, (data.size() - 1) / out.getSendChunk() + 1);
  EXPECT_EQ(data, readAll(in, data.size()));
}

TEST(FdStreams, PeerCloseIsTheEndOfTheStream) {
  SocketPair pair;
  rdr::FdInStream in(pair.b, 20000);
  {
    rdr::FdOutStream out(pair.a, -1, 0, true);
    out.writeU32(0xCAFEF00D);
  } // flushed, then closed
  pair.a = INVALID_SOCKET;
  EXPECT_EQ(0xCAFEF00Du, in.readU32());
  EXPECT_THROW(in.readU8(), rdr::EndOfStream);
}

TEST(FdStreams, WaitsAreBoundedAndNoWaitNeverWaits) {
  SocketPair pair;
  setNonBlocking(pair.b);
  rdr::FdInStream timed(pair.b, 200);
  try {
    timed.readU8();
    FAIL();
  } catch (plat::TimedOut& e) {
    EXPECT_STREQ("Timed out", e.str());
  }
  rdr::FdInStream quick(pair.b, -1, 0, false, true);
  EXPECT_FALSE(quick.check(false, 1));
  EXPECT_THROW(quick.readU8(), rdr::BlockException);
}

TEST(FdStreams, TinySendBufferStillMakesProgress) {
  SocketPair pair;
  int zero = 0;
  setsockopt(pair.a, SOL_SOCKET, SO_SNDBUF, (const char*)&zero, sizeof(zero));
  rdr::FdOutStream out(pair.a, 20000);
  EXPECT_GE(out.getSendChunk(), 1);
  std::vector<uint8_t> data(100000, 0x42);
  std::thread writer([&] {
    out.write(data.data(), (int)data.size());
    out.flush();
  });
  rdr::FdInStream in(pair.b, 20000);
  std::vector<uint8_t> got = readAll(in, data.size());
  writer.join();
  EXPECT_EQ(data, got);
}
