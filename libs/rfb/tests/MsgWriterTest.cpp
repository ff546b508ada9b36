#include "rdr/MemOutStream.h"
#include "rfb/ConnCloseException.h"
#include "rfb/MsgHandler.h"
#include "rfb/MsgWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Writes the protocol's one-byte message type, as a plain connection does.
class PlainWriter : public rfb::MsgWriter {
public:
  explicit PlainWriter(rdr::OutStream* out) : rfb::MsgWriter(out) {}
  void startMsg(int type) override { os->writeU8((uint8_t)type); }
  void endMsg() override { ended++; }
  int ended = 0;
};

class CappedOut : public rdr::MemOutStream {
public:
  int room = 100;
  int avail() override { return room; }
};

class Link : public rfb::MsgHandler {
public:
  rfb::MsgWriter* getWriter() override { return nullptr; }
};

std::vector<uint8_t> bytes(rdr::MemOutStream& out) {
  return std::vector<uint8_t>(out.data(), out.data() + out.length());
}

} // namespace

TEST(RfbMsgWriter, ExtensionMessageCarriesTypeAndName) {
  rdr::MemOutStream out;
  PlainWriter writer(&out);
  EXPECT_EQ(&out, writer.startExtMsg("Ab"));
  writer.endMsg();
  EXPECT_EQ(std::vector<uint8_t>({18, 2, 'A', 'b'}), bytes(out));
  EXPECT_EQ(1, writer.ended);
}

TEST(RfbMsgWriter, LongExtensionNameIsCutTo255Bytes) {
  rdr::MemOutStream out;
  PlainWriter writer(&out);
  std::string name(300, 'n');
  writer.startExtMsg(name.c_str());
  std::vector<uint8_t> written = bytes(out);
  ASSERT_EQ(2u + 255u, written.size());
  EXPECT_EQ(255, written[1]);
}

TEST(RfbMsgWriter, SpaceLeavesRoomForTheHeaderAndNeverGoesNegative) {
  CappedOut out;
  PlainWriter writer(&out);
  EXPECT_EQ(100 - 12 - 3, writer.space("FileTransfer"));
  out.room = 15;
  EXPECT_EQ(0, writer.space("FileTransfer"));
  out.room = 0;
  EXPECT_EQ(0, writer.space("FileTransfer"));
}

TEST(RfbMsgHandler, RecordsEnabledExtensionsAndClosesByException) {
  Link link;
  EXPECT_EQ(0, link.cp.majorVersion);
  link.setExtension("FileTransfer", true);
  EXPECT_TRUE(link.cp.hasExtension("FileTransfer"));
  link.setExtension("FileTransfer", false);
  EXPECT_FALSE(link.cp.hasExtension("FileTransfer"));

  std::string reason(300, 'r');
  try {
    link.close(reason.c_str(), 7);
    FAIL() << "close returned";
  } catch (rfb::ConnCloseException& e) {
    EXPECT_EQ(7, e.code);
    EXPECT_EQ(std::string(255, 'r'), e.str());
  }
}
