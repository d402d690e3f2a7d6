#pragma once

#include <string>
#include <string_view>

// The usage texts of every program, on every platform, from one source.
namespace kestro {

// Where a "/File:" path ends: Linux hands the arguments over one by one, so
// the path runs to the end of its argument; Windows hands over one text, in
// which the path ends at the first space.
enum class FilePathEnd { EndOfArgument, FirstSpace };

// How the programs are called where they run.
struct ProgramNames {
  std::string_view kestro;
  std::string_view replay;
  FilePathEnd filePathEnd;
  std::string_view snapshot;  // the recorder of snapshots
};
inline constexpr ProgramNames kLinuxPrograms{"kestro", "kestro-replay", FilePathEnd::EndOfArgument, "kestro-snapshot"};
inline constexpr ProgramNames kWindowsPrograms{"Kestro.exe", "kestro-replay.exe", FilePathEnd::FirstSpace,
                                               "kestro-wmi-snapshot.exe"};

// The text "--help" prints for kestro, and for kestro-replay.
std::string KestroUsage(const ProgramNames& names);
std::string ReplayUsage(const ProgramNames& names);

// The failure of kestro-replay run without a snapshot.
std::string NoSnapshotText(const ProgramNames& names);

// The text "--help" prints for the snapshot recorder, and its failure when
// it is given more than the one output path.
std::string SnapshotUsage(const ProgramNames& names);
std::string TooManyOutputsText(const ProgramNames& names);

}  // namespace kestro
