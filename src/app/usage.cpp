#include "app/usage.h"

namespace kestro {
namespace {

std::string SwitchHelp(const ProgramNames& names) {
  return std::string(
             "  /PNP          add the [PNP] section: the object path of every system device\n"
             "  /Type1        add the [SMBIOSType1] section: the SMBIOS System Information strings\n"
             "  /DRIVER       accepted; changes nothing\n"
             "  /File:PATH    write the report to PATH instead of Kestro.ini in the current\n") +
         std::string(names.filePathEndHelp) +
         "  /SHOWDIALOG   show the report in a window instead of writing a file\n" +
         std::string(names.jsonArgumentHelp) +
         "Switches are found anywhere in the arguments, letter case ignored; other text\n"
         "is ignored. An argument -h or --help shows this text, --version the version.\n";
}

std::string ReplayCall(const ProgramNames& names) { return std::string(names.replay) + " SNAPSHOT.json [switches]"; }

std::string SnapshotCall(const ProgramNames& names) { return std::string(names.snapshot) + " [OUTPUT.json]"; }

}  // namespace

std::string KestroUsage(const ProgramNames& names) {
  return "Usage: " + std::string(names.kestro) +
         " [switches]\n"
         "Writes this machine's hardware and firmware identity to Kestro.ini.\n" +
         SwitchHelp(names);
}

std::string ReplayUsage(const ProgramNames& names) {
  return "Usage: " + ReplayCall(names) + "\nWrites the report that " + std::string(names.kestro) +
         " would write on the machine the snapshot describes.\n" + SwitchHelp(names);
}

std::string NoSnapshotText(const ProgramNames& names) { return "no snapshot given; usage: " + ReplayCall(names); }

std::string SnapshotUsage(const ProgramNames& names) {
  return "Usage: " + SnapshotCall(names) + "\nRecords what " + std::string(names.kestro) +
         " reads on this machine as a snapshot for " + std::string(names.replay) +
         ",\n"
         "written to OUTPUT.json, or to standard output when no path is given.\n"
         "The snapshot holds the machine's serial numbers and host name.\n"
         "An argument -h or --help shows this text, --version the version.\n";
}

std::string TooManyOutputsText(const ProgramNames& names) {
  return "more than one output path given; usage: " + SnapshotCall(names);
}

}  // namespace kestro
