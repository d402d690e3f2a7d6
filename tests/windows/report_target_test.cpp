// Which targets the writer refuses, decided on the path alone: nothing here
// is opened, so no row can write to a disk even when the rule is wrong.
#include "platform/windows/report_target.h"

#include <gtest/gtest.h>

#include "core/text.h"

namespace kestro {
namespace {

TEST(ReportTarget, DevicesAndStreamNamesAreRefusedFilesAreNot) {
  constexpr auto kDevice = TargetRefusal::Device;
  constexpr auto kStream = TargetRefusal::StreamName;
  constexpr auto kNone = TargetRefusal::None;
  const struct {
    std::u16string_view path;
    TargetRefusal refusal;
  } cases[] = {
      {u"\\\\.\\PhysicalDrive0", kDevice},
      {u"//./PhysicalDrive1", kDevice},
      {u"\\??\\PhysicalDrive0", kDevice},
      {u"\\\\.\\PhysicalDrive0.", kDevice},         // Windows drops the trailing dot
      {u"\\\\.\\C:\\..\\PhysicalDrive0", kDevice},  // ".." climbs to the namespace's root
      {u"\\\\.\\C:", kDevice},
      {u"\\\\?\\C:", kDevice},
      {u"\\\\.\\HarddiskVolume3", kDevice},
      {u"\\\\?\\Volume{3f2504e0-4f89-11d3-9a0c-0305e82c3301}", kDevice},
      {u"\\\\?\\GLOBALROOT\\Device\\Harddisk0\\Partition0", kDevice},
      {u"\\\\?\\scsi#disk&ven_zq#4&1&0&000000#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}", kDevice},
      {u"\\\\?\\C:\\Reports\\Kestro.ini", kNone},
      {u"\\\\?\\UNC\\server\\share\\Kestro.ini", kNone},
      {u"\\\\?\\Volume{3f2504e0-4f89-11d3-9a0c-0305e82c3301}\\Kestro.ini", kNone},
      {u"\\\\.\\pipe\\kestro", kNone},
      {u"NUL", kNone},
      {u"C:Kestro.ini", kNone},
      {u"Reports:x\\Kestro.ini", kNone},  // only the file's own name counts
      {u"Kestro.ini:stream", kStream},
      {u"C:Kestro.ini:stream", kStream},
      {u"\\\\?\\C:\\Reports\\Kestro.ini::$DATA", kStream},
  };
  for (const auto& [path, refusal] : cases) EXPECT_EQ(RefusalOfTarget(path), refusal) << ToUtf8(path);
}

}  // namespace
}  // namespace kestro
