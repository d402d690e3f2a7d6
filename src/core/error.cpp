#include "core/error.h"

#include <cstdio>

namespace kestro {

RuntimeError::RuntimeError(std::int64_t number, const std::string& text)
    : std::runtime_error(text), number_(number), text_(text) {}

RuntimeError::RuntimeError(ErrorCode code, const std::string& text)
    : RuntimeError(static_cast<std::int64_t>(code), text) {}

std::string FormatErrorNumber(std::int64_t number) {
  const bool failureHresult = (number >= INT32_MIN && number < 0) ||
                              (number >= 0x80000000LL && number <= 0xFFFFFFFFLL);
  if (!failureHresult) return std::to_string(number);
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(static_cast<std::uint32_t>(number)));
  return std::string(hex) + " (" + std::to_string(number) + ")";
}

std::string FormatFailure(const std::string& program, const RuntimeError& error) {
  return program + ": run-time error " + FormatErrorNumber(error.number()) + ": " + error.text();
}

}  // namespace kestro
