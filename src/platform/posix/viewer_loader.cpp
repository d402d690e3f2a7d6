// The viewer lives in a module of its own, loaded only for "/SHOWDIALOG":
// linking the window toolkit into the executables would load dozens of
// libraries on every run, and most runs only write a file.
#include "platform/posix/viewer_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "core/error.h"
#include "platform/report_viewer.h"
#include "ui/viewer_module.h"

namespace kestro {
namespace {

struct ModuleCloser {
  void operator()(void* handle) const { ::dlclose(handle); }
};
using ModuleHandle = std::unique_ptr<void, ModuleCloser>;

// A viewer together with the module its code lives in; the viewer goes first.
class ModuleViewer final : public ReportViewer {
 public:
  ModuleViewer(ModuleHandle module, std::unique_ptr<ReportViewer> viewer)
      : module_(std::move(module)), viewer_(std::move(viewer)) {}

  void ShowReportWindow(std::u16string_view reportText) override { viewer_->ShowReportWindow(reportText); }
  int RunUntilClosed() override { return viewer_->RunUntilClosed(); }

 private:
  ModuleHandle module_;  // declared first, so released last
  std::unique_ptr<ReportViewer> viewer_;
};

[[noreturn]] void NoViewer(const std::string& text) { throw RuntimeError(ErrorCode::NoViewer, text); }

std::string LastLoaderError() {
  const char* text = ::dlerror();
  return text != nullptr ? text : "unknown reason";
}

std::string ExecutablePath() {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) {
      const int error = errno;
      throw RuntimeError(error, std::string("cannot find the viewer module: /proc/self/exe: ") + std::strerror(error));
    }
    if (static_cast<std::size_t>(length) < buffer.size())
      return std::string(buffer.data(), static_cast<std::size_t>(length));
    buffer.resize(buffer.size() * 2);
  }
}

// Whether `path` names nothing at all, so that the next place may be tried.
// A module that is there but cannot be loaded is an answer in itself.
bool IsAbsent(const std::string& path) { return ::access(path.c_str(), F_OK) != 0 && errno == ENOENT; }

}  // namespace

std::vector<std::string> ViewerModuleCandidates() {
  const std::filesystem::path directory = std::filesystem::path(ExecutablePath()).parent_path();
  return {(directory / KESTRO_VIEWER_MODULE_FILE).string(),
          (directory / KESTRO_VIEWER_INSTALLED_DIR / KESTRO_VIEWER_MODULE_FILE).lexically_normal().string()};
}

std::unique_ptr<ReportViewer> OpenReportViewerModule(const std::string& modulePath) {
  // The toolkit behind the module cannot be unloaded safely once it has run
  // (exit handlers, threads, other libraries it pulled in), so the module
  // stays mapped after its handle is closed.
  ModuleHandle module(::dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
  if (!module) {
    NoViewer("the viewer window cannot be opened: " + LastLoaderError() +
             " (the viewer module is built only where Qt 6 Widgets is installed)");
  }
  ::dlerror();  // dlsym's result alone cannot tell a failure
  void* const symbol = ::dlsym(module.get(), kViewerModuleEntry);
  if (symbol == nullptr) {
    NoViewer("the viewer window cannot be opened: '" + modulePath + "' is not a viewer module of this Kestro (" +
             LastLoaderError() + ")");
  }
  const auto entry = reinterpret_cast<ViewerModuleEntry>(symbol);
  ViewerModuleResult result;
  entry(result);
  if (!result.viewer) {
    if (result.errorNumber == 0) throw RuntimeError(ErrorCode::ViewerFailed, "the viewer module opened no window");
    throw RuntimeError(result.errorNumber, result.errorText);
  }
  return std::make_unique<ModuleViewer>(std::move(module), std::move(result.viewer));
}

std::unique_ptr<ReportViewer> OpenReportViewer() {
  std::string places;
  for (const std::string& candidate : ViewerModuleCandidates()) {
    if (!IsAbsent(candidate)) return OpenReportViewerModule(candidate);
    places += (places.empty() ? "" : " and ") + candidate;
  }
  NoViewer("the viewer window cannot be opened: no viewer module found (looked for " + places +
           "; it is built only where Qt 6 Widgets is installed, and packaged as kestro-viewer)");
}

}  // namespace kestro
