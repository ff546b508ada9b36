// Environment variables in settings ("$name" and "${name}").
#pragma once

#include "plat/String.h"

#include <map>
#include <string>

namespace plat {

typedef std::map<std::string, std::string> EnvMap;

// The process environment's value, or null when the variable is not set.
String getEnvironmentVariable(const char* name);

// Replaces "$name" (ASCII letters and "_") and "${name}" by the value from
// vars when it holds the name, else from the process environment. A "$"
// without a name stays. An unknown name throws
// "unknown environment variable: %s".
String expandEnvVars(const char* text, const EnvMap* vars = nullptr);

} // namespace plat
