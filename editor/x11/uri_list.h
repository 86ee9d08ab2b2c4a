// Turns the bytes of a drop into drag entries: a text/uri-list into files (file URIs,
// percent-decoded to paths) and texts (any other URI), or UTF-8 text into one text entry.
#pragma once

#include <string>
#include <vector>

#include "editor/drag_container.h"

std::vector<CDragContainer::Entry> ParseUriList(const std::string& data);
std::vector<CDragContainer::Entry> ParseDroppedText(const std::string& data);
// The path of a file URI ("file:///a%20b", "file://localhost/a", "file:/a"); empty when the
// URI is not a file URI or names no absolute path.
std::string FileUriToPath(const std::string& uri);
