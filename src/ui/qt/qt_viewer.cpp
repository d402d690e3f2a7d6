// KestroUI in a Qt application, on the platform that the checks chose.
#include "ui/qt/qt_viewer.h"

#include <xcb/xcb.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>
#include <QString>
#include <cerrno>
#include <cstdlib>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/error.h"
#include "ui/qt/display_check.h"
#include "ui/qt/kestro_ui.h"

namespace kestro {
namespace {

class QtReportViewer final : public ReportViewer {
 public:
  // On `platform`, or on Qt's own choice when it is empty.
  explicit QtReportViewer(const std::string& platform)
      : platform_(platform), argumentCount_(platform_.empty() ? 1 : 3), application_(argumentCount_, arguments_) {}

  void ShowReportWindow(std::u16string_view reportText) override {
    if (!form_) form_ = std::make_unique<KestroUI>();
    form_->Text1().setPlainText(QString::fromUtf16(reportText.data(), static_cast<qsizetype>(reportText.size())));
    form_->show();
  }

  // Closing the form, the only window, ends the event loop with 0.
  int RunUntilClosed() override { return QApplication::exec(); }

 private:
  // Only the program's name (it names the window's class) and the platform
  // go to Qt; the program's own switches are not Qt's to read. Qt keeps
  // referring to these, so they live as long as the application.
  std::string programName_ = program_invocation_short_name;
  std::string platformSwitch_ = "-platform";
  std::string platform_;
  int argumentCount_;
  char* arguments_[4] = {programName_.data(), platformSwitch_.data(), platform_.data(), nullptr};
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

// The error of a connection to the X server `display`, or nothing when the
// server has not answered within kDisplayAnswerLimit. xcb_connect waits for
// the server's answer without a limit, so it runs in a thread of its own; one
// still waiting when the time is up is left to end with the process.
std::optional<int> XcbConnectionError(std::string display) {
  std::promise<int> promise;
  std::future<int> error = promise.get_future();
  std::thread([display = std::move(display), promise = std::move(promise)]() mutable {
    const std::unique_ptr<xcb_connection_t, XcbDisconnect> connection(xcb_connect(display.c_str(), nullptr));
    promise.set_value(xcb_connection_has_error(connection.get()));
  }).detach();
  if (error.wait_for(kDisplayAnswerLimit) == std::future_status::timeout) return std::nullopt;
  return error.get();
}

// The names a plugin answers to, from the metadata Qt reads without loading
// it: {"MetaData": {"Keys": ["xcb"]}, ...}.
QJsonArray PluginKeys(const QString& file) {
  const QJsonObject metaData = QPluginLoader(file).metaData();
  return metaData.value(QStringLiteral("MetaData")).toObject().value(QStringLiteral("Keys")).toArray();
}

// The keys of the platform plugins where Qt looks for them: the "platforms"
// folder of each of its plugin folders (QT_PLUGIN_PATH and its own, known
// before the application exists) and QT_QPA_PLATFORM_PLUGIN_PATH.
std::vector<std::string> InstalledPlatformPluginKeys() {
  QStringList directories;
  for (const QString& path : QCoreApplication::libraryPaths()) directories.append(path + QStringLiteral("/platforms"));
  if (const char* platformPath = std::getenv("QT_QPA_PLATFORM_PLUGIN_PATH")) {
    directories.append(QString::fromLocal8Bit(platformPath));
  }
  std::vector<std::string> keys;
  for (const QString& directory : directories) {
    for (const QFileInfo& file : QDir(directory).entryInfoList(QDir::Files)) {
      if (!QLibrary::isLibrary(file.fileName())) continue;
      for (const QJsonValue key : PluginKeys(file.absoluteFilePath())) keys.push_back(key.toString().toStdString());
    }
  }
  return keys;
}

// The display checks against this process's display servers and Qt's plugins.
class ProcessDisplayProbe final : public DisplayProbe {
 public:
  explicit ProcessDisplayProbe(std::string x11Display) : x11Display_(std::move(x11Display)) {}

  CompositorAnswer WaylandCompositorAt(const std::string& socketPath) override {
    return AskWaylandCompositor(socketPath, kDisplayAnswerLimit);
  }

  const std::vector<std::string>& PlatformPluginKeys() override {
    if (!pluginKeys_) pluginKeys_ = InstalledPlatformPluginKeys();
    return *pluginKeys_;
  }

  std::string X11ServerProblem() override {
    const std::optional<int> error = XcbConnectionError(x11Display_);
    if (error == 0) return {};
    const std::string opening = "the X display '" + x11Display_ + "' (DISPLAY) cannot be opened: ";
    if (!error) {
      return opening + "its X server did not answer within " + std::to_string(kDisplayAnswerLimit.count()) + " seconds";
    }
    return opening + XcbErrorText(*error);
  }

 private:
  std::string x11Display_;
  std::optional<std::vector<std::string>> pluginKeys_;
};

}  // namespace

std::unique_ptr<ReportViewer> OpenQtReportViewer() {
  const DisplayEnvironment environment = DisplayEnvironment::OfThisProcess();
  ProcessDisplayProbe probe(environment.x11Display);
  const DisplayChoice choice = ChooseDisplay(environment, probe);
  if (!choice.problem.empty()) throw RuntimeError(ErrorCode::NoViewer, choice.problem);
  try {
    return std::make_unique<QtReportViewer>(choice.qtPlatform);
  } catch (const std::exception& error) {
    throw RuntimeError(ErrorCode::ViewerFailed, std::string("the window cannot be shown: ") + error.what());
  }
}

}  // namespace kestro
