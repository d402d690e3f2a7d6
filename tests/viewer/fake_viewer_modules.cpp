// Stand-ins for the viewer module that the loader must handle: one that has
// no viewer to open, one that breaks the contract by returning nothing, and
// (without KESTRO_FAKE_ENTRY) a library that is no viewer module at all.
#include <cstdint>

#include "ui/viewer_module.h"

#if defined(KESTRO_FAKE_ENTRY)
extern "C" __attribute__((visibility("default"))) void KestroOpenReportViewerV1(
    kestro::ViewerModuleResult& result) noexcept {
  result.errorNumber = KESTRO_FAKE_ERROR_NUMBER;
  result.errorText = KESTRO_FAKE_ERROR_TEXT;
}
#else
extern "C" __attribute__((visibility("default"))) int KestroSomethingElse() { return 0; }
#endif
