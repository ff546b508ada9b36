// A log target for tests: keeps every line written to it while attached.
#pragma once

#include "plat/LogWriter.h"
#include "plat/Mutex.h"

#include <string>
#include <vector>

struct RecordingLogger : plat::Logger {
  RecordingLogger() : plat::Logger("record") { registerLogger(); }
  ~RecordingLogger() override { plat::LogWriter::applyLogParams(""); }

  // Attaches the writers named in logs ("A:record:100,B:record:100").
  void attach(const char* logs) { plat::LogWriter::applyLogParams(logs); }

  void write(int, const char* writer, const char* text) override {
    plat::Lock l(lock);
    lines.push_back(std::string(writer) + ": " + text);
  }
  void clear() {
    plat::Lock l(lock);
    lines.clear();
  }
  bool has(const std::string& line) {
    plat::Lock l(lock);
    for (const std::string& each : lines)
      if (each == line)
        return true;
    return false;
  }
  bool hasPrefix(const std::string& prefix) {
    plat::Lock l(lock);
    for (const std::string& each : lines)
      if (each.compare(0, prefix.size(), prefix) == 0)
        return true;
    return false;
  }

  plat::Mutex lock;
  std::vector<std::string> lines;
};
