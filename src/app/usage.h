#pragma once

#include <string>
#include <string_view>

// The usage texts of every program, on every platform, from one source.
namespace kestro {

// How the programs are called where they run, and the lines of their help
// that differ: where a "/File:" path ends, which the command line decides by
// how the platform hands the arguments over (core/command_line.h), and how
// the JSON report reaches standard output where there is one to reach.
struct ProgramNames {
  std::string_view kestro;
  std::string_view replay;
  std::string_view snapshot;  // the recorder of snapshots
  std::string_view filePathEndHelp;
  std::string_view jsonArgumentHelp;
};
inline constexpr ProgramNames kLinuxPrograms{
    "kestro", "kestro-replay", "kestro-snapshot",
    "                directory; PATH runs to the end of the argument that holds it\n",
    "  --json        write the report as a JSON document instead, to Kestro.json\n"
    "                unless /File: names another file (--json /File:/dev/stdout:\n"
    "                to standard output); an argument of its own, not a switch\n"};
inline constexpr ProgramNames kWindowsPrograms{
    "Kestro.exe", "kestro-replay.exe", "kestro-wmi-snapshot.exe", "                directory; PATH ends at the first space\n",
    "  --json        write the report as a JSON document instead, to Kestro.json\n"
    "                unless /File: names another file; a word of its own, not a\n"
    "                switch\n"};

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
