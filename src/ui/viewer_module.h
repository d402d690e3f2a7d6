#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/viewer.h"

// The contract between the program and a viewer module that it loads at run
// time. The module exports one function, named by kViewerModuleEntry, which
// the program looks up and calls once. Both sides are built together from
// this header; the entry's name carries the contract's version, so that a
// module left over from another build is refused instead of misread.
namespace kestro {

// What the entry hands back: a viewer, or the number and text of the reason
// there is none (no exception crosses the module boundary while opening).
struct ViewerModuleResult {
  std::unique_ptr<ReportViewer> viewer;
  std::int64_t errorNumber = 0;
  std::string errorText;
};

using ViewerModuleEntry = void (*)(ViewerModuleResult& result) noexcept;

inline constexpr char kViewerModuleEntry[] = "KestroOpenReportViewerV1";

}  // namespace kestro
