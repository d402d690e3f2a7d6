#include "platform/console.h"

#include <unistd.h>

#include <cstdio>

#include "base/linux/system_error.h"

namespace kestro {
namespace {

// The whole of `text`, also past a NUL, which %s would stop at.
void PutAll(std::FILE* stream, const std::string& text) { std::fwrite(text.data(), 1, text.size(), stream); }

}  // namespace

void ShowFailure(const std::string& message) { PutAll(stderr, message + "\n"); }

void PrintInformation(const std::string& text) { PutAll(stdout, text); }

// Past stdio's buffer, straight into the descriptor the shell set up, so the
// system's error of the very write is the one reported.
void WriteSnapshotToStandardOutput(std::string_view json) {
  if (const int error = WriteAll(STDOUT_FILENO, json); error != 0) {
    throw SystemError(error, "cannot write the snapshot to standard output");
  }
}

}  // namespace kestro
