// The Log setting: whenever it changes, every writer is reset and the
// elements of its value in force are applied.
#include "plat/ConfigParameter.h"
#include "plat/LogWriter.h"

namespace plat {
namespace {

class LogParameter : public StringParameter, ParameterChangedCallback {
public:
  LogParameter()
      : StringParameter("Log",
                        "Specifies which log output should be directed to which target logger, "
                        "and the level of output to log. Format is <log>:<target>:<level>[, ...].",
                        "", ConfigParameter::Advanced) {
    setCallback(this);
  }

  void parameterChanged(ConfigParameter*, int) override {
    LogWriter::applyLogParams(getValueStr().c_str());
  }
};

LogParameter logParam;

} // namespace
} // namespace plat
