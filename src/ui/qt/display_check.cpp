#include "ui/qt/display_check.h"

#include <cstdlib>

namespace kestro {
namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

DisplayEnvironment DisplayEnvironment::OfThisProcess() {
  return {Variable("QT_QPA_PLATFORM"), Variable("DISPLAY"), Variable("WAYLAND_DISPLAY")};
}

DisplayVerdict JudgeDisplay(const DisplayEnvironment& environment) {
  // A platform named by the user is the user's choice; Qt reports on it itself.
  if (!environment.qtPlatform.empty()) return DisplayVerdict::Ready;
  if (!environment.waylandDisplay.empty()) return DisplayVerdict::Ready;
  if (!environment.x11Display.empty()) return DisplayVerdict::CheckX11Server;
  return DisplayVerdict::NoDisplay;
}

}  // namespace kestro
