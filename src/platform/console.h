#pragma once

#include <string>
#include <string_view>

// What a program says to its user outside the report. Each platform defines
// these; on Windows each executable brings the ShowFailure and
// PrintInformation that suit its subsystem.
namespace kestro {

// Shows one failure the platform's way: a line on standard error, or a
// message box where there is no console.
void ShowFailure(const std::string& message);

// Writes `text` to standard output.
void PrintInformation(const std::string& text);

// Writes the snapshot `json` to standard output as the bytes it is, all of
// it: the recorder's product, so a failed write (a full disk behind ">", a
// pipe whose reader has gone, no standard output at all) throws RuntimeError
// with the system's number and "cannot write the snapshot to standard
// output: <its text>".
void WriteSnapshotToStandardOutput(std::string_view json);

}  // namespace kestro
