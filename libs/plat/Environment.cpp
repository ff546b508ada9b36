#include "plat/Environment.h"
#include "plat/DString.h"

#include <cstring>

namespace plat {

static bool isNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

static void appendVariable(DString& out, const std::string& name, const EnvMap* vars) {
  if (vars) {
    auto it = vars->find(name);
    if (it != vars->end()) {
      out.append(it->second.c_str());
      return;
    }
  }
  String value = getEnvironmentVariable(name.c_str());
  if (value.isNull())
    throw ExceptionFmt("unknown environment variable: %s", name.c_str());
  out.append(value.c_str());
}

String expandEnvVars(const char* text, const EnvMap* vars) {
  DString out(strLen(text) + 1);
  const char* p = text;
  while (*p) {
    if (*p != '$') {
      const char* next = strchr(p, '$');
      int n = next ? (int)(next - p) : strLen(p);
      out.append(p, n);
      p += n;
      continue;
    }
    if (p[1] == '{' && p[2]) {
      const char* start = p + 2;
      const char* close = strchr(start, '}');
      std::string name = close ? std::string(start, close - start) : std::string(start);
      appendVariable(out, name, vars);
      p = close ? close + 1 : start + strlen(start);
      continue;
    }
    if (isNameChar(p[1])) {
      const char* start = p + 1;
      const char* end = start;
      while (isNameChar(*end))
        end++;
      appendVariable(out, std::string(start, end - start), vars);
      p = end;
      continue;
    }
    out.append("$", 1);
    p++;
  }
  return String::adopt(out.release());
}

} // namespace plat
