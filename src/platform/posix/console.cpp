#include "platform/console.h"

#include <cstdio>

namespace kestro {

void ShowFailure(const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); }

void PrintInformation(const std::string& text) { std::fputs(text.c_str(), stdout); }

}  // namespace kestro
