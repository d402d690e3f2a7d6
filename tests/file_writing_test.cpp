#include "core/file_writing.h"

#include <gtest/gtest.h>

#include <string>

#include "core/error.h"

namespace kestro {
namespace {

constexpr auto kDefault = NamedBy::DefaultName;
constexpr auto kSwitch = NamedBy::FileSwitch;
constexpr auto kRecorder = NamedBy::RecorderArgument;
constexpr auto kUsual = FileAccess::Usual;
constexpr auto kOwner = FileAccess::OwnerOnly;
constexpr WriteDecision kRefused{WriteAction::Refuse, NewFileAccess::Fresh};
constexpr WriteDecision kThrough{WriteAction::WriteThrough, NewFileAccess::Fresh};
constexpr WriteDecision kFresh{WriteAction::Replace, NewFileAccess::Fresh};
constexpr WriteDecision kKept{WriteAction::Replace, NewFileAccess::KeptFromReplaced};
constexpr WriteDecision kOwnerOnly{WriteAction::Replace, NewFileAccess::OwnerOnly};

TEST(DecideWrite, NothingPlantedUnderTheDefaultNameIsWrittenThrough) {
  const struct {
    FoundAtTarget found;
    NamedBy namedBy;
    FileAccess access;
    WriteDecision decision;  // the action is what counts where it is not Replace
  } rows[] = {
      {FoundAtTarget::Nothing, kDefault, kUsual, kFresh},
      {FoundAtTarget::RegularFile, kSwitch, kUsual, kKept},
      {FoundAtTarget::RegularFile, kRecorder, kOwner, kOwnerOnly},
      {FoundAtTarget::Link, kRecorder, kOwner, kOwnerOnly},
      {FoundAtTarget::UnwritableFile, kDefault, kUsual, kRefused},
      {FoundAtTarget::Link, kSwitch, kUsual, kFresh},
      {FoundAtTarget::OwnDescriptorLink, kDefault, kUsual, kFresh},
      {FoundAtTarget::OwnDescriptorLink, kSwitch, kUsual, kThrough},
      {FoundAtTarget::OwnDescriptorLink, kRecorder, kOwner, kThrough},
      {FoundAtTarget::FifoOrCharacterDevice, kDefault, kUsual, kFresh},
      {FoundAtTarget::FifoOrCharacterDevice, kSwitch, kUsual, kThrough},
      {FoundAtTarget::DosDevice, kSwitch, kUsual, kThrough},
      {FoundAtTarget::BlockDeviceOrDisk, kDefault, kUsual, kFresh},
      {FoundAtTarget::BlockDeviceOrDisk, kSwitch, kUsual, kRefused},
      {FoundAtTarget::Socket, kSwitch, kUsual, kRefused},
      {FoundAtTarget::Directory, kDefault, kUsual, kRefused},
      {FoundAtTarget::NoFileName, kRecorder, kUsual, kRefused},
  };
  for (const auto& row : rows) {
    const WriteDecision decision = DecideWrite(row.found, row.namedBy, row.access);
    const int number = static_cast<int>(&row - rows);
    EXPECT_EQ(decision.action, row.decision.action) << "row " << number;
    if (decision.action == WriteAction::Replace) {
      EXPECT_EQ(decision.access, row.decision.access) << "row " << number;
    }
  }
}

// Records the operations in order; the one named `failing` throws.
class FakeFiles final : public TargetFiles {
 public:
  FakeFiles(FoundAtTarget found, std::string failing) : found_(found), failing_(std::move(failing)) {}
  FoundAtTarget Inspect() override { return Do("inspect"), found_; }
  void Refuse(FoundAtTarget) override { Do("refuse"), throw RuntimeError(5, "refused"); }
  void WriteThrough(std::string_view) override { Do("through"); }
  void CreateTemporary(NewFileAccess) override { Do("create"); }
  void WriteTemporary(std::string_view) override { Do("write"); }
  void FlushTemporary() override { Do("flush"); }
  void RenameOver() override { Do("rename"); }
  void RemoveTemporary() noexcept override { calls += "remove "; }
  std::string calls;

 private:
  void Do(const std::string& call) {
    calls += call + " ";
    if (call == failing_) throw RuntimeError(28, "No space left on device");
  }
  FoundAtTarget found_;
  std::string failing_;
};

TEST(WriteAsDecided, ATemporaryFileIsRemovedAfterAnyFailure) {
  const struct {
    FoundAtTarget found;
    const char* failing;
    const char* calls;
  } rows[] = {
      {FoundAtTarget::Nothing, "", "inspect create write flush rename "},
      {FoundAtTarget::RegularFile, "write", "inspect create write remove "},
      {FoundAtTarget::RegularFile, "flush", "inspect create write flush remove "},
      {FoundAtTarget::RegularFile, "rename", "inspect create write flush rename remove "},
      {FoundAtTarget::RegularFile, "create", "inspect create remove "},
      {FoundAtTarget::FifoOrCharacterDevice, "", "inspect through "},
      {FoundAtTarget::Directory, "", "inspect refuse "},
  };
  for (const auto& row : rows) {
    FakeFiles files(row.found, row.failing);
    const bool failed = [&] {
      try {
        WriteAsDecided(files, "report", kSwitch, kUsual);
      } catch (const RuntimeError&) {
        return true;
      }
      return false;
    }();
    EXPECT_EQ(files.calls, row.calls);
    EXPECT_EQ(failed, *row.failing != '\0' || row.found == FoundAtTarget::Directory) << row.calls;
  }
}

}  // namespace
}  // namespace kestro
