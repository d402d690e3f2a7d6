#pragma once

#include <string>

// What a program says to its user outside the report. Each platform defines
// these; on Windows each executable brings the pair that suits its subsystem.
namespace kestro {

// Shows one failure the platform's way: a line on standard error, or a
// message box where there is no console.
void ShowFailure(const std::string& message);

// Writes `text` to standard output.
void PrintInformation(const std::string& text);

}  // namespace kestro
