// kestro-viewer: the window of "/SHOWDIALOG". kestro and kestro-replay become
// this program by exec and hand the report over (ui/viewer_program.h); it is
// not meant to be started by hand.
#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "base/linux/sealed_memory_file.h"
#include "base/linux/unique_fd.h"
#include "core/error.h"
#include "ui/qt/qt_viewer.h"
#include "ui/viewer_program.h"

namespace kestro {
namespace {

// The descriptor named by the one argument, or -1.
int ReportDescriptor(int argc, char** argv) {
  if (argc != 2) return -1;
  std::string_view argument = argv[1];
  if (!argument.starts_with(kReportDescriptorSwitch)) return -1;
  argument.remove_prefix(kReportDescriptorSwitch.size());
  int fd = -1;
  const auto [end, error] = std::from_chars(argument.data(), argument.data() + argument.size(), fd);
  return error == std::errc() && end == argument.data() + argument.size() ? fd : -1;
}

// The report in the sealed memory file `handedOver`, which is closed before
// the window opens.
std::u16string HandedOverReport(UniqueFd handedOver) {
  const std::string bytes = ReadSealedMemoryFile(handedOver.get());
  handedOver = UniqueFd();
  if (bytes.size() % sizeof(char16_t) != 0) {
    throw RuntimeError(ErrorCode::ViewerFailed, "the report handed over is no UTF-16 text");
  }
  std::u16string text(bytes.size() / sizeof(char16_t), u'\0');
  bytes.copy(reinterpret_cast<char*>(text.data()), bytes.size());
  return text;
}

int ShowUntilClosed(const char* programName, int fd) {
  try {
    const std::u16string report = HandedOverReport(UniqueFd(fd));
    const std::unique_ptr<ReportViewer> viewer = OpenQtReportViewer();
    viewer->ShowReportWindow(report);
    return viewer->RunUntilClosed();
  } catch (const RuntimeError& error) {
    std::fputs((FormatFailure(programName, error) + "\n").c_str(), stderr);
  } catch (const std::exception& error) {
    std::fputs((FormatFailure(programName, RuntimeError(ErrorCode::ViewerFailed, error.what())) + "\n").c_str(),
               stderr);
  }
  return 1;
}

}  // namespace
}  // namespace kestro

int main(int argc, char** argv) {
  const int fd = kestro::ReportDescriptor(argc, argv);
  if (fd < 0) {
    std::fputs("kestro-viewer: the window of kestro /SHOWDIALOG, started by kestro and kestro-replay only\n", stderr);
    return 2;
  }
  return kestro::ShowUntilClosed(argv[0], fd);
}
