// How the pages show stored values that their controls cannot show as they
// are: the menu-key lists offer "none" for the empty key, and the basic
// page's scaling box shows a list of scalings that holds "None" as "None".
// Names and values are compared in any case.
#pragma once

namespace viewerconfig {

// For a ui::ConfigSync::ParamSubstituteCallback: *value may be pointed at a
// static text. True when the name was MenuKey.
bool substituteMenuKey(const char* name, const char** value, bool toParameter);
// Only from the parameter. True when the name was Scaling.
bool substituteScaling(const char* name, const char** value, bool toParameter);

} // namespace viewerconfig
