#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kestro {

// Numbers for the failures the program finds itself. The first four keep the
// numbers of the Basic run-time errors that the Windows program has always
// shown for the same failures, so logs read alike whichever build wrote them.
// Failures that come from the system keep the system's own number instead
// (an errno value, an HRESULT).
enum class ErrorCode : std::int64_t {
  Overflow = 6,
  TypeMismatch = 13,
  InvalidUseOfNull = 94,
  PropertyMissing = 438,
  BadSnapshot = 1001,
  NoViewer = 1002,
  ViewerFailed = 1003,
  BadArguments = 1004,
};

// The one error type for run-time failures: a number and a text. Any of them
// ends the run before a report is written; `main` turns it into a message and
// a non-zero exit status.
class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(std::int64_t number, const std::string& text);
  RuntimeError(ErrorCode code, const std::string& text);

  std::int64_t number() const { return number_; }
  const std::string& text() const { return text_; }

 private:
  std::int64_t number_;
  std::string text_;
};

// `number` as people look it up: a failure HRESULT (a 32-bit value with its
// top bit set, given signed or unsigned) as 0x8004100E followed by the number
// as given in brackets, anything else in plain decimal.
std::string FormatErrorNumber(std::int64_t number);

// `text` made fit to stand on one line of a message, whatever bytes a path, a
// key or a system's message brought into it: LF, CR and TAB as `\n`, `\r`,
// `\t`; the other C0 controls and DEL as `\xHH`; the C1 controls
// (U+0080..U+009F, some terminals act on them) as `\u00HH`; each byte that is
// not part of valid UTF-8 as `\xHH`. Hex digits are upper case. Everything
// else stays as it is, backslashes too, so Windows paths read as they are.
std::string OneLine(std::string_view text);

// The one line a failed run prints: "<program>: run-time error <number>: <text>",
// made one line by `OneLine`.
std::string FormatFailure(const std::string& program, const RuntimeError& error);

}  // namespace kestro
