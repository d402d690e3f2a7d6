#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "core/command_line.h"
#include "records/record_source.h"

namespace kestro {

// What both executables share around the run: the file writer and the viewer
// as the run's output, failures turned into one message and the exit status.
class Program {
 public:
  using SourceFactory = std::function<std::unique_ptr<RecordSource>()>;

  explicit Program(std::string name) : name_(std::move(name)) {}

  // Answers an argument that is exactly "--help"/"-h" or "--version": prints
  // the answer and gives the exit status; nothing otherwise.
  std::optional<int> AnswerInformationalArgument(std::span<const std::u16string> arguments,
                                                 std::string_view usage) const;

  // Runs Kestro with the records of `makeSource()`. 0 after a normal run (or
  // after the viewer window closed), 1 after a failure, which is reported.
  int Run(const CommandLine& commandLine, const SourceFactory& makeSource) const;

  // Reports a failure found before the run could start (bad arguments); 2.
  int ReportUsageError(const std::string& text) const;

 private:
  std::string name_;
};

}  // namespace kestro
