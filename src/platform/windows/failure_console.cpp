// How the console programs (kestro-replay.exe, the tools) show what they have
// to say: on standard error and standard output.
#include "platform/console.h"
#include "platform/windows/standard_stream.h"

namespace kestro {

void ShowFailure(const std::string& message) { WriteToStandardStream(STD_ERROR_HANDLE, message + "\r\n"); }

void PrintInformation(const std::string& text) { WriteToStandardStream(STD_OUTPUT_HANDLE, text); }

}  // namespace kestro
