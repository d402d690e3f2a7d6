#pragma once

#include <string>

namespace kestro {

// Records `line` (UTF-8) in the Application event log as an error of the
// source "Kestro", event id 1, the line as its one string. Where the log
// cannot take it (no event log service, no right to write to it) nothing
// happens: the record is a courtesy, never a reason to fail. A source that
// is not registered still records the line, shown without a message text.
void ReportErrorToEventLog(const std::string& line);

}  // namespace kestro
