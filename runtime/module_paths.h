// Files next to the installed plug-in module, the data-file listing and the debug log. Paths
// are path texts (UTF-8, see plugin/platform.h).
#pragma once

#include <string>
#include <vector>

std::string ModuleFileName(void* module);
// The plug-in module's directory, final separator included.
std::string ModuleDirectory();
// The module's directory followed by s without its leading separator.
std::string ModuleRelativePath(const std::string& s);
// Appends the names of the plain files in directory, in the order the directory yields them;
// hidden entries (leading ".") and sub-directories are skipped, and so are names that have no
// path text (see plugin/platform.h). Throws nothing but for want of memory.
void ListDataFiles(const std::string& directory, std::vector<std::string>& names);
// Appends one line to the debug log.
void DebugLog(const std::string& text);
