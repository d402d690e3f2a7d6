#pragma once

#include <string_view>

namespace kestro {

inline constexpr std::string_view kSwitchHelp =
    "  /PNP          add the [PNP] section: the object path of every system device\n"
    "  /Type1        add the [SMBIOSType1] section: the SMBIOS System Information strings\n"
    "  /DRIVER       accepted; changes nothing\n"
    "  /File:PATH    write the report to PATH instead of Kestro.ini in the current\n"
    "                directory; PATH runs to the end of the argument that holds it\n"
    "  /SHOWDIALOG   show the report in a window instead of writing a file\n"
    "Switches are found anywhere in the arguments, letter case ignored; other text\n"
    "is ignored. An argument -h or --help shows this text, --version the version.\n";

}  // namespace kestro
