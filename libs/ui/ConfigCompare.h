// Whether a page's working parameters differ from a saved copy: what marks
// a page changed in its property sheet, and what a page saves.
#pragma once

namespace plat {
class Configuration;
}

namespace ui {

class ChangedParamWriter {
public:
  virtual ~ChangedParamWriter() {}
  virtual void write(const char* paramName, const char* value) = 0;
};

// Walks the parameters of working and then of its parent groups. One is
// changed when saved is null, has no parameter of its name, or holds a
// different value text (compared exactly). Without a writer the walk stops
// at the first change; with one, every changed parameter is written. False
// for a null working configuration.
bool compareConfig(const plat::Configuration* working, const plat::Configuration* saved,
                   ChangedParamWriter* writer);

} // namespace ui
