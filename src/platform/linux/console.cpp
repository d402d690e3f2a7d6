#include "platform/console.h"

#include <cstdio>

namespace kestro {
namespace {

// The whole of `text`, also past a NUL, which %s would stop at.
void WriteAll(std::FILE* stream, const std::string& text) { std::fwrite(text.data(), 1, text.size(), stream); }

}  // namespace

void ShowFailure(const std::string& message) { WriteAll(stderr, message + "\n"); }

void PrintInformation(const std::string& text) { WriteAll(stdout, text); }

}  // namespace kestro
