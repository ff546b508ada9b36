#include "ft/FTMsgWriter.h"

namespace ft {

rdr::OutStream* FTMsgWriter::startExtMsg(const char* extensionName) {
  framed->startMsg();
  return framed;
}

void FTMsgWriter::startMsg(int type) {
  framed->startMsg();
}

void FTMsgWriter::endMsg() {
  framed->endMsg(false);
  framed->flushWhole();
}

} // namespace ft
