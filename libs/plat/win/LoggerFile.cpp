#include "plat/win/LoggerFile.h"
#include "plat/CallCounter.h"
#include "plat/Environment.h"
#include "plat/Mutex.h"
#include "plat/Path.h"
#include "plat/win/File.h"
#include "plat/win/Unicode.h"

#include <cstdio>
#include <ctime>

namespace plat {

static CallCounter logWrites("log.write");

static String& bannerText() {
  static String* banner = new String;
  return *banner;
}

void Logger_file::setBanner(const char* text) {
  Lock l(outputLock());
  bannerText() = text;
}

Mutex& Logger_file::outputLock() {
  static Mutex* lock = new Mutex;
  return *lock;
}

Logger_file::Logger_file(const char* name, FILE* stream)
    : Logger(name), nameWidth_(14), output_(stream, false), lastTime_(0), lineWidth_(79),
      line_(79), bannerWritten_(false) {}

Logger_file::Logger_file(const char* name, StringParameter* fileParam)
    : Logger(name), nameWidth_(14), lastTime_(0), lineWidth_(79), line_(79),
      bannerWritten_(false) {
  parameterChanged(fileParam, PriorityDefault);
  fileParam->setCallback(this);
}

Logger_file::~Logger_file() {}

void Logger_file::parameterChanged(ConfigParameter* param, int) {
  String value = param->getValueStr();
  String name;
  try {
    name = expandEnvVars(value.c_str());
  } catch (const Exception& e) {
    // Taken as it stands, the text would make folders named after the
    // unknown variable: no log file until the setting is mended.
    fprintf(stderr, "LogFile '%s' not used: %s\n", value.c_str(), e.str());
    name = "";
  }
  Lock l(outputLock());
  if (!fileName_.isNull() && strcmp(name.c_str(), fileName_.c_str()) == 0)
    return;
  output_.close();
  fileName_ = name;
  bannerWritten_ = false;
}

bool Logger_file::openFile() {
  if (fileName_.isNull() || !fileName_.c_str()[0])
    return false;
  try {
    String dir = directoryOf(fileName_.c_str());
    if (!isDirectory(dir.c_str()))
      mkDirs(dir.c_str());
    if (fileExists(fileName_.c_str())) {
      DString bak(strLen(fileName_.c_str()) + 5);
      bak.appendf("%s.bak", fileName_.c_str());
      // Another process (one ferrin runs per connection) may be writing
      // it: what cannot be moved aside is not overwritten either.
      if (!fileRename(fileName_.c_str(), bak.c_str()))
        return false;
    }
    output_.set(fileOpen(fileName_.c_str(), "w"), true);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

void Logger_file::write(int, const char* writerName, const char* text) {
  Lock l(outputLock());
  if (!output_.isOpen() && !openFile())
    return;
  FILE* out = output_.get();

  if (!bannerWritten_ && !bannerText().isNull()) {
    String banner(bannerText());
    wordWrap(banner.buf(), lineWidth_);
    fprintf(out, "%s\n", banner.c_str());
    bannerWritten_ = true;
  }

  time_t now = time(nullptr);
  if ((int64_t)now != lastTime_) {
    lastTime_ = now;
    fprintf(out, "\n%s", ctime(&now));
  }

  int nameLen = nameWidth_ - 3;
  int shown = strLen(writerName) < nameLen ? strLen(writerName) : nameLen;
  fprintf(out, " %.*s:%*s ", nameLen, writerName, nameLen - shown, "");

  line_.clear();
  line_.append(text);
  wordWrap(line_.data(), lineWidth_ - nameWidth_);
  char* cursor = line_.data();
  bool first = true;
  while (char* lineText = nextToken(&cursor, '\n')) {
    if (!first)
      fprintf(out, "%*s", nameWidth_, "");
    fprintf(out, "%s\n", lineText);
    first = false;
  }
  logWrites.add();
  fflush(out);
}

void Logger_Debug::write(int, const char* writerName, const char* text) {
  DString line(strLen(text) + 32);
  line.appendf(" %s: %s\r\n", writerName, text);
  try {
    WString w(line.c_str());
    OutputDebugStringW(w.c_str());
  } catch (const Exception&) {
  }
}

} // namespace plat
