// The viewer module: KestroUI in a Qt application, opened through the one
// entry point that the program looks up after loading the module.
#include <xcb/xcb.h>

#include <QApplication>
#include <QString>
#include <cerrno>
#include <memory>
#include <string>
#include <type_traits>

#include "core/error.h"
#include "ui/qt/display_check.h"
#include "ui/qt/kestro_ui.h"
#include "ui/viewer_module.h"

namespace kestro {
namespace {

class QtReportViewer final : public ReportViewer {
 public:
  QtReportViewer() : application_(argumentCount_, arguments_) {}

  void ShowReportWindow(std::u16string_view reportText) override {
    if (!form_) form_ = std::make_unique<KestroUI>();
    form_->Text1().setPlainText(QString::fromUtf16(reportText.data(), static_cast<qsizetype>(reportText.size())));
    form_->show();
  }

  // Closing the form, the only window, ends the event loop with 0.
  int RunUntilClosed() override { return QApplication::exec(); }

 private:
  // Only the program's name goes to Qt (it names the window's class); the
  // program's own switches are not Qt's to read. Qt keeps referring to
  // these, so they live as long as the application.
  std::string programName_ = program_invocation_short_name;
  int argumentCount_ = 1;
  char* arguments_[2] = {programName_.data(), nullptr};
  QApplication application_;
  std::unique_ptr<KestroUI> form_;  // declared after the application, so gone before it
};

struct XcbDisconnect {
  void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

const char* XcbErrorText(int error) {
  switch (error) {
    case XCB_CONN_ERROR:
      return "no X server answers there, or it refused the connection";
    case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
      return "out of memory";
    case XCB_CONN_CLOSED_PARSE_ERR:
      return "the display name cannot be read";
    case XCB_CONN_CLOSED_INVALID_SCREEN:
      return "the X server has no such screen";
    default:
      return "the connection failed";
  }
}

// Empty when the X server named by DISPLAY lets us in, else why not. Qt would
// end the process instead of failing.
std::string X11ServerProblem(const std::string& display) {
  const std::unique_ptr<xcb_connection_t, XcbDisconnect> connection(xcb_connect(nullptr, nullptr));
  const int error = xcb_connection_has_error(connection.get());
  if (error == 0) return {};
  return "the window cannot be shown: the X display '" + display +
         "' (DISPLAY) cannot be opened: " + XcbErrorText(error);
}

// Empty when there is somewhere to show the window, else why not.
std::string DisplayProblem() {
  const DisplayEnvironment environment = DisplayEnvironment::OfThisProcess();
  switch (JudgeDisplay(environment)) {
    case DisplayVerdict::Ready:
      return {};
    case DisplayVerdict::CheckX11Server:
      return X11ServerProblem(environment.x11Display);
    case DisplayVerdict::NoDisplay:
      break;
  }
  return "the window cannot be shown: there is no display to show it on (neither DISPLAY nor WAYLAND_DISPLAY "
         "is set)";
}

}  // namespace
}  // namespace kestro

extern "C" __attribute__((visibility("default"))) void KestroOpenReportViewerV1(
    kestro::ViewerModuleResult& result) noexcept {
  static_assert(std::is_same_v<decltype(&KestroOpenReportViewerV1), kestro::ViewerModuleEntry>);
  try {
    if (std::string problem = kestro::DisplayProblem(); !problem.empty()) {
      result.errorNumber = static_cast<std::int64_t>(kestro::ErrorCode::NoViewer);
      result.errorText = std::move(problem);
      return;
    }
    result.viewer = std::make_unique<kestro::QtReportViewer>();
  } catch (const std::exception& error) {
    result.errorNumber = static_cast<std::int64_t>(kestro::ErrorCode::ViewerFailed);
    result.errorText = std::string("the window cannot be shown: ") + error.what();
  }
}
