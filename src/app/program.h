#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "app/usage.h"
#include "core/command_line.h"
#include "records/record_source.h"

namespace kestro {

// What the executables share around the run: the file writer and the viewer
// as the run's output, the snapshot recorders' run, failures turned into one
// message and the exit status.
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

  // The snapshot recorder called as `names.snapshot` with `arguments`, the
  // one output path or none: records the records of `makeSource()` into that
  // file, or onto standard output. 0 when the snapshot was written, 1 after
  // a failure, 2 for more than one output path.
  int Record(std::span<const std::u16string> arguments, const ProgramNames& names,
             const SourceFactory& makeSource) const;

  // Reports a failure found before the run could start (bad arguments); 2.
  int ReportUsageError(const std::string& text) const;

 private:
  // What `work` gives, or 1 once what it threw has been reported.
  int ReportingFailures(const std::function<int()>& work) const;

  std::string name_;
};

}  // namespace kestro
