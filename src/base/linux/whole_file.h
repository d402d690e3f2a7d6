#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The one way Kestro reads a whole file by its path on Linux, with a size
// limit: the SMBIOS table and the dmi/id texts below /sys, and a snapshot.
// (The many small attribute files of the device scan are read relative to
// their folder, records/sysfs/sysfs_files.h.)
namespace kestro {

enum class IfAbsent { GiveNothing, Fail };

struct WholeFileRules {
  // The file as failures name it: "cannot read <name>: <reason><hint>".
  std::string name;
  std::string hint;
  IfAbsent ifAbsent = IfAbsent::GiveNothing;
  // More than this is never read: `refuseTooLarge` is called instead, with
  // the file's size when it is a regular file (known before reading) and
  // nothing for a device or a pipe, which are counted as they are read. It
  // must throw.
  std::uint64_t maxBytes = UINT64_MAX;
  std::function<void(std::optional<std::uint64_t> size)> refuseTooLarge;
};

// The bytes of the file at `path`, whatever kind of file it is, read to its
// end; nothing when it does not exist and `rules` allow that. A directory,
// and any other failure, throws RuntimeError with the errno.
std::optional<std::string> ReadWholeFile(const std::string& path, const WholeFileRules& rules);

}  // namespace kestro
