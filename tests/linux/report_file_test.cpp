#include "platform/report_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "core/error.h"
#include "core/text.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;

class ReportFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kestro-report-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void Write(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }
  // Names in the directory, to see that no temporary file was left.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // As ErrorNumberOf, but as a user other than root, in a child process:
  // root may write any file, so a refusal can only be seen from elsewhere.
  int ErrorNumberAsOrdinaryUser(const std::string& path, const std::string& content) {
    if (::geteuid() != 0) return ErrorNumberOf(path, content);
    const pid_t child = ::fork();
    if (child == 0) {
      const uid_t nobody = 65534;
      if (::setgid(nobody) != 0 || ::setuid(nobody) != 0) ::_exit(255);
      ::_exit(ErrorNumberOf(path, content));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  static int ErrorNumberOf(const std::string& path, const std::string& content) {
    try {
      ReplaceFileContents(FromUtf8(path), content, NamedBy::FileSwitch);
    } catch (const RuntimeError& error) {
      return static_cast<int>(error.number());
    }
    return 0;
  }

  fs::path dir_;
};

TEST_F(ReportFile, CreatesTheFileWithTheUsualPermissions) {
  ReplaceFileContents(FromUtf8(Path("Kestro.ini")), "a\r\n\r\n", NamedBy::FileSwitch);
  EXPECT_EQ(Read(Path("Kestro.ini")), "a\r\n\r\n");
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat st {};
  ASSERT_EQ(::stat(Path("Kestro.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
  EXPECT_EQ(Names(), std::vector<std::string>{"Kestro.ini"});
}

TEST_F(ReportFile, ReplacesALongerFileCompletelyAndKeepsItsMode) {
  Write(Path("r.ini"), std::string(10000, 'x'));
  ::chmod(Path("r.ini").c_str(), 0640);
  ReplaceFileContents(FromUtf8(Path("r.ini")), "new", NamedBy::FileSwitch);
  EXPECT_EQ(Read(Path("r.ini")), "new");
  struct stat st {};
  ::stat(Path("r.ini").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// A file for its owner only is 0600 whatever the umask allows or the file it
// replaces had.
TEST_F(ReportFile, AFileForItsOwnerOnlyIs0600) {
  const struct {
    mode_t umask, before;  // before 0: no file to replace
  } rows[] = {{0, 0}, {0, 0666}, {0277, 0}};
  const mode_t previousMask = ::umask(0);
  for (const auto& row : rows) {
    if (row.before != 0) ::chmod(Path("f").c_str(), row.before);
    if (row.before == 0) fs::remove(Path("f"));
    ::umask(row.umask);
    ReplaceFileContents(FromUtf8(Path("f")), "after", NamedBy::FileSwitch, FileAccess::OwnerOnly);
    struct stat st {};
    EXPECT_EQ(::stat(Path("f").c_str(), &st) == 0 ? st.st_mode & 07777 : 0, 0600u) << std::oct << row.before;
  }
  ::umask(previousMask);
}

TEST_F(ReportFile, AMissingDirectoryFailsAndCreatesNothing) {
  EXPECT_EQ(ErrorNumberOf(Path("missing/r.ini"), "x"), ENOENT);
  EXPECT_TRUE(Names().empty());
}

TEST_F(ReportFile, AnEmptyPathFails) { EXPECT_EQ(ErrorNumberOf("", "x"), ENOENT); }

TEST_F(ReportFile, ADirectoryAsTargetFailsAndStaysAsItWas) {
  fs::create_directory(Path("d"));
  Write(Path("d/inside"), "keep");
  EXPECT_EQ(ErrorNumberOf(Path("d"), "x"), EISDIR);
  EXPECT_EQ(ErrorNumberOf(Path("d") + "/", "x"), EISDIR);
  EXPECT_EQ(Read(Path("d/inside")), "keep");
  EXPECT_EQ(Names(), std::vector<std::string>{"d"});
}

TEST_F(ReportFile, ALinkAtTheTargetIsReplacedNotFollowed) {
  Write(Path("other"), "precious");
  fs::create_symlink(Path("other"), Path("r.ini"));
  ReplaceFileContents(FromUtf8(Path("r.ini")), "report", NamedBy::FileSwitch);
  EXPECT_EQ(Read(Path("other")), "precious");
  EXPECT_FALSE(fs::is_symlink(Path("r.ini")));
  EXPECT_EQ(Read(Path("r.ini")), "report");
}

TEST_F(ReportFile, ADanglingLinkIsReplaced) {
  fs::create_symlink(Path("nowhere"), Path("r.ini"));
  ReplaceFileContents(FromUtf8(Path("r.ini")), "report", NamedBy::FileSwitch);
  EXPECT_FALSE(fs::exists(Path("nowhere")));
  EXPECT_EQ(Read(Path("r.ini")), "report");
}

// Planted at the target, each is replaced by the report, never written through.
TEST_F(ReportFile, AFifoOrALinkAtTheTargetIsReplacedNotWrittenThrough) {
  ::mkfifo(Path("fifo").c_str(), 0600);
  Write(Path("held"), "");
  const int held = ::open(Path("held").c_str(), O_WRONLY | O_CLOEXEC);
  const std::pair<std::string, NamedBy> linksTo[] = {
      {"", NamedBy::DefaultName},
      {"/dev/full", NamedBy::FileSwitch},
      {Path("fifo"), NamedBy::FileSwitch},
      {"/proc/self/fd/" + std::to_string(held), NamedBy::DefaultName}};  // planted: never written through
  ::alarm(10);  // a FIFO opened for writing would wait for ever
  for (const auto& [linkTo, target] : linksTo) {
    fs::remove(Path("Kestro.ini"));
    linkTo.empty() ? void(::mkfifo(Path("Kestro.ini").c_str(), 0600)) : fs::create_symlink(linkTo, Path("Kestro.ini"));
    ReplaceFileContents(FromUtf8(Path("Kestro.ini")), "report", target);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Path("Kestro.ini"))));
    EXPECT_EQ(Read(Path("Kestro.ini")), "report");
  }
  ::alarm(0);
  ::close(held);
  EXPECT_EQ(Read(Path("held")), "");
  EXPECT_EQ(Names(), (std::vector<std::string>{"Kestro.ini", "fifo", "held"}));
}

// Each row names a descriptor of the process's own, open for appending: the
// report goes into it, and nothing is created or replaced.
TEST_F(ReportFile, ALinkToAnOwnDescriptorWritesWhereTheDescriptorPoints) {
  for (int row = 0; row < 5; ++row) {
    Write(Path("out.txt"), "old");
    const int fd = ::open(Path("out.txt").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    const std::string number = std::to_string(fd);
    fs::remove(Path("link")), fs::remove(Path("link-to-link"));
    fs::create_symlink("/proc/" + std::to_string(::getpid()) + "/fd/" + number, Path("link"));
    fs::create_symlink("link", Path("link-to-link"));
    const std::string names[] = {"/proc/self/fd/" + number, "/proc/thread-self/fd/" + number, "/dev/fd/" + number,
                                 Path("link"), Path("link-to-link")};
    SCOPED_TRACE(names[row]);
    ReplaceFileContents(FromUtf8(names[row]), "report", NamedBy::FileSwitch);
    ::close(fd);
    EXPECT_EQ(Read(Path("out.txt")), "oldreport");
    EXPECT_EQ(Names(), (std::vector<std::string>{"link", "link-to-link", "out.txt"}));
  }
}

TEST_F(ReportFile, EveryNameTheFileSystemTakesWorks) {
  for (const std::size_t length : {248u, 250u, 255u}) {
    const std::string name(length, 'n');
    for (const char* before : {"", "old"}) {
      fs::remove_all(dir_), fs::create_directory(dir_);
      if (*before) Write(Path(name), before);
      ReplaceFileContents(FromUtf8(Path(name)), "report", NamedBy::FileSwitch);
      EXPECT_EQ(Read(Path(name)), "report");
      EXPECT_EQ(Names(), std::vector<std::string>{name});
    }
  }
}

TEST_F(ReportFile, AReplacedFileKeepsOnlyItsPermissionBits) {
  Write(Path("r.ini"), "old");
  ::chmod(Path("r.ini").c_str(), 07755);
  ReplaceFileContents(FromUtf8(Path("r.ini")), "new", NamedBy::FileSwitch);
  struct stat st {};
  ::stat(Path("r.ini").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0755u);
}

TEST_F(ReportFile, AFifoIsWrittenDirectly) {
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = Read(Path("fifo")); });
  ReplaceFileContents(FromUtf8(Path("fifo")), "through the pipe", NamedBy::FileSwitch);
  reader.join();
  EXPECT_EQ(received, "through the pipe");
}

TEST_F(ReportFile, AFullDeviceFails) { EXPECT_EQ(ErrorNumberOf("/dev/full", "x"), ENOSPC); }

TEST_F(ReportFile, AFileTheUserMayNotWriteIsRefusedAndKept) {
  Write(Path("r.ini"), "old");
  ::chmod(Path("r.ini").c_str(), 0444);
  ::chmod(dir_.c_str(), 0777);
  EXPECT_EQ(ErrorNumberAsOrdinaryUser(Path("r.ini"), "new"), EACCES);
  EXPECT_EQ(Read(Path("r.ini")), "old");
}

TEST_F(ReportFile, ADirectoryTheUserMayNotWriteFailsAndKeepsTheOldFile) {
  Write(Path("r.ini"), "old");
  ::chmod(Path("r.ini").c_str(), 0666);
  ::chmod(dir_.c_str(), 0555);
  EXPECT_EQ(ErrorNumberAsOrdinaryUser(Path("r.ini"), "new"), EACCES);
  ::chmod(dir_.c_str(), 0755);
  EXPECT_EQ(Read(Path("r.ini")), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"r.ini"});
}

}  // namespace
}  // namespace kestro
