// kestro-replay.exe: runs Kestro with the records of a JSON snapshot instead
// of the machine's WMI; everything else is as Kestro.exe does it. A console
// program, so that failures go to standard error.
//
// Command line: kestro-replay.exe SNAPSHOT.json [switches]. The snapshot path
// is the first word after the program's name, taken as the program's name is
// (quote it when it holds spaces); everything behind it is the argument text,
// read exactly as Kestro.exe reads its own: the "/File:" path ends at the
// first space.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/windows/argument_text.h"
#include "core/error.h"
#include "core/text.h"
#include "platform/windows/system_error.h"
#include "platform/windows/wide_text.h"
#include "wmi/snapshot_source.h"

namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

std::string ReadWholeFile(const std::u16string& path) {
  const std::string shown = kestro::ToUtf8(path);
  const std::wstring widePath = kestro::ToWide(path);
  const FileHandle file(::CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) kestro::ThrowLastError("cannot read snapshot " + shown);
  std::string content;
  char buffer[1 << 16];
  DWORD got = 0;
  do {
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
      kestro::ThrowLastError("cannot read snapshot " + shown);
    }
    kestro::SnapshotSource::AppendWithinLimit(content, {buffer, got}, shown);
  } while (got > 0);
  return content;
}

// The words of `text`, for spotting "--help" and "--version".
std::vector<std::u16string> Words(std::u16string_view text) {
  std::vector<std::u16string> words;
  while (!text.empty()) {
    kestro::FirstWord split = kestro::SplitFirstWord(text);
    words.push_back(std::move(split.word));
    text = split.rest;
  }
  return words;
}

}  // namespace

int wmain() {
  const std::u16string commandLine = kestro::FromWide(::GetCommandLineW());
  const std::u16string_view argumentText = kestro::ArgumentTextOf(commandLine);

  const kestro::Program program("kestro-replay");
  const std::string usage =
      "Usage: kestro-replay.exe SNAPSHOT.json [switches]\n"
      "Writes the report that Kestro.exe would write on the machine the snapshot describes.\n"
      "Quote SNAPSHOT.json when it holds spaces. The switches are read as Kestro.exe reads them:\n"
      "  /PNP          add the [PNP] section: the object path of every system device\n"
      "  /Type1        add the [SMBIOSType1] section: the SMBIOS System Information strings\n"
      "  /DRIVER       accepted; changes nothing\n"
      "  /File:PATH    write the report to PATH instead of Kestro.ini in the current\n"
      "                directory; PATH ends at the first space\n"
      "  /SHOWDIALOG   show the report in a window instead of writing a file\n"
      "Switches are found anywhere in the text behind the snapshot, letter case ignored;\n"
      "other text is ignored. A word -h or --help shows this text, --version the version.\n";
  if (auto status = program.AnswerInformationalArgument(Words(argumentText), usage)) return *status;

  const kestro::FirstWord snapshot = kestro::SplitFirstWord(argumentText);
  if (snapshot.word.empty()) {
    return program.ReportUsageError("no snapshot given; usage: kestro-replay.exe SNAPSHOT.json [switches]");
  }
  const kestro::CommandLine arguments = kestro::CommandLine::FromArgumentText(std::u16string(snapshot.rest));
  return program.Run(arguments, [&snapshot] {
    return std::make_unique<kestro::SnapshotSource>(
        kestro::SnapshotSource::Parse(ReadWholeFile(snapshot.word), kestro::ToUtf8(snapshot.word)));
  });
}
