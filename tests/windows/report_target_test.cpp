// What the writer makes of a path before it opens anything, decided on the
// path and the full path Windows makes of it: nothing here is opened, so no
// row can write to a disk or a port even when the rule is wrong.
#include "platform/windows/report_target.h"

#include <gtest/gtest.h>

#include "core/text.h"

namespace kestro {
namespace {

TEST(ReportTarget, PathsAreJudgedAsWindowsOpensThem) {
  constexpr auto kDisk = PathKind::DiskOrVolume;
  constexpr auto kDosDevice = PathKind::DosDevice;
  constexpr auto kStream = PathKind::StreamName;
  constexpr auto kFile = PathKind::File;
  const struct {
    std::u16string_view path;
    PathKind kind;
  } cases[] = {
      {u"\\\\.\\PhysicalDrive0", kDisk},
      {u"//./PhysicalDrive1", kDisk},
      {u"\\??\\PhysicalDrive0", kDisk},
      {u"\\\\.\\PhysicalDrive0.", kDisk},         // Windows drops the trailing dot
      {u"\\\\.\\C:\\..\\PhysicalDrive0", kDisk},  // ".." climbs to the namespace's root
      {u"\\\\.\\C:", kDisk},
      {u"\\\\?\\C:", kDisk},
      {u"\\\\.\\HarddiskVolume3", kDisk},
      {u"\\\\?\\Volume{3f2504e0-4f89-11d3-9a0c-0305e82c3301}", kDisk},
      {u"\\\\?\\GLOBALROOT\\Device\\Harddisk0\\Partition0", kDisk},
      {u"\\\\?\\scsi#disk&ven_zq#4&1&0&000000#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}", kDisk},
      {u"\\\\?\\C:\\Reports\\Kestro.ini", kFile},
      {u"\\\\?\\UNC\\server\\share\\Kestro.ini", kFile},
      {u"\\\\?\\Volume{3f2504e0-4f89-11d3-9a0c-0305e82c3301}\\Kestro.ini", kFile},
      {u"\\\\?\\C:\\Reports\\COM1", kFile},  // "\\?\" turns no name into a device
      {u"C:Kestro.ini", kFile},
      {u"Reports:x\\Kestro.ini", kFile},  // only the file's own name counts
      {u"Kestro.ini:stream", kStream},
      {u"C:Kestro.ini:stream", kStream},
      {u"\\\\?\\C:\\Reports\\Kestro.ini::$DATA", kStream},
      {u"\\\\.\\pipe\\kestro", PathKind::NamedPipe},
      {u"\\\\server\\pipe\\kestro", PathKind::NamedPipe},
      {u"\\\\.\\mailslot\\kestro", PathKind::Mailslot},
      {u"\\\\*\\mailslot\\kestro", PathKind::Mailslot},
      // DOS devices, found where the full path becomes \\.\NAME.
      {u"NUL", kDosDevice},
      {u"COM1", kDosDevice},
      {u"com1.ini", kDosDevice},  // as Wine reads it
      {u"C:\\x\\AUX", kDosDevice},
      {u"CONOUT$", kDosDevice},
  };
  for (const auto& [path, kind] : cases) EXPECT_EQ(KindOfTarget(path), kind) << ToUtf8(path);
}

}  // namespace
}  // namespace kestro
