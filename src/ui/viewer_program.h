#pragma once

#include <string_view>

// The contract between kestro or kestro-replay and the viewer program that
// replaces them by exec for "/SHOWDIALOG": the programs stay free of the
// window toolkit (and can be linked statically), while the process, its id
// and its exit status stay the same. Both sides are built from this header.
//
//   kestro-viewer --report-fd=N        (argv[0]: the name failures carry)
//
// N is an inherited, sealed memory file holding the report as UTF-16 in the
// machine's byte order. The viewer ends with 0 when its window is closed,
// with 1 after a failure, reported on one line as "NAME: run-time error ...".
namespace kestro {

inline constexpr std::string_view kReportDescriptorSwitch = "--report-fd=";

}  // namespace kestro
