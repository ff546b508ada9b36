// A PDU handler that writes down every call as a line of text, so that
// tests and fuzz targets can compare what two readings produced. Pieces of
// file data for the same file that follow one another are joined: how the
// bytes were cut depends on how they arrived, not on what they were.
#pragma once

#include "ft/PduHandler.h"
#include "ft/ShareEntry.h"

#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

namespace testing_support {

class RecordingHandler : public ft::PduHandler {
public:
  std::vector<std::string> calls;

  void shareCtrl(rfb::MsgHandler*, uint32_t shareId, uint8_t code, uint32_t flags) override {
    add("shareCtrl %u %u %u", shareId, code, flags);
  }
  void reqShare(rfb::MsgHandler*, uint32_t shareId, const char* relName,
                uint32_t depth) override {
    add("reqShare %u '%s' %u", shareId, relName, depth);
  }
  void shareDataEOF(rfb::MsgHandler*, uint32_t shareId) override { add("shareDataEOF %u", shareId); }
  void shareEntry(rfb::MsgHandler*, uint32_t shareId, ft::ShareEntry* entry) override {
    std::string line = format("shareEntry %u '%s' %u %" PRIu64 " %" PRIu64 " %" PRIu64 " %" PRIu64,
                              shareId, entry->name.c_str(), entry->flags, entry->size,
                              entry->ctime, entry->atime, entry->mtime);
    for (const ft::FileAttributes* block : entry->attributes)
      line += format(" [%s:%d]", block->getTag(), block->getDataLength());
    calls.push_back(line);
    delete entry;
  }
  void reqFile(rfb::MsgHandler*, const char* path, const ft::FileId& id, uint64_t upTo,
               uint64_t start, uint64_t end, uint8_t flags) override {
    add("reqFile '%s' %u/%u %" PRIu64 " %" PRIu64 " %" PRIu64 " %u", path, id.shareId,
        id.fileNumber, upTo, start, end, flags);
  }
  void updateByteLimit(rfb::MsgHandler*, const ft::FileId& id, uint64_t upTo) override {
    add("updateByteLimit %u/%u %" PRIu64, id.shareId, id.fileNumber, upTo);
  }
  void fileData(rfb::MsgHandler*, const ft::FileId& id, const uint8_t* data,
                int length) override {
    pieces++;
    if (length <= 0)
      emptyPieces++;
    std::string head = format("fileData %u/%u ", id.shareId, id.fileNumber);
    if (!calls.empty() && calls.back().compare(0, head.size(), head) == 0) {
      calls.back().append((const char*)data, length);
      return;
    }
    calls.push_back(head + std::string((const char*)data, length));
  }
  void fileEOF(rfb::MsgHandler*, const ft::FileId& id) override {
    add("fileEOF %u/%u", id.shareId, id.fileNumber);
  }
  void fileError(rfb::MsgHandler*, const ft::FileId& id, const char* message) override {
    add("fileError %u/%u '%s'", id.shareId, id.fileNumber, message);
  }
  void abortFile(rfb::MsgHandler*, const ft::FileId& id) override {
    add("abortFile %u/%u", id.shareId, id.fileNumber);
  }
  void releaseShare(rfb::MsgHandler*, uint32_t shareId) override {
    add("releaseShare %u", shareId);
  }

  int pieces = 0;
  int emptyPieces = 0;

private:
  template <typename... Args> static std::string format(const char* fmt, Args... args) {
    int n = snprintf(nullptr, 0, fmt, args...);
    std::string s(n, '\0');
    snprintf(&s[0], n + 1, fmt, args...);
    return s;
  }
  template <typename... Args> void add(const char* fmt, Args... args) {
    calls.push_back(format(fmt, args...));
  }
};

} // namespace testing_support
