// Paths only a Unix system has: a FIFO, and a file its reader may not read. Windows has neither
// in this form, and Node's file system under WebAssembly makes no FIFO, so this runs on Linux only.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "model/fault.h"
#include "model/platform.h"
#include "model/template_file.h"
#include "tests/test_template.h"

namespace quarnel {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string FaultOf(const std::string& path) {
  try {
    TemplateFile file(path);
  } catch (const Fault& fault) {
    return fault.what();
  }
  return "no fault";
}

TEST(UnixPaths, AFifoAndAnUnreadableFileAreRefused) {
  testing::TempTemplate existing("x");
  const std::string folder = existing.Folder().string();
  const std::string fifo = folder + "/pipe.tmp";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(FaultOf(fifo), fifo + ": cannot be opened: it is not a regular file");

  const std::string locked = folder + "/locked.tmp";
  std::filesystem::copy_file(existing.Path(), locked);
  ::chmod(locked.c_str(), 0);
  const std::string denied = locked + ": cannot be opened: Permission denied";
  if (::geteuid() != 0) {
    EXPECT_EQ(FaultOf(locked), denied);
    return;
  }
  // Root reads any file: try it as nobody, in a child process.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
    ::_exit(FaultOf(locked) == denied ? 0 : 3);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
}

// A replaced file keeps its mode, a link keeps pointing at it, and nothing is left beside it,
// whether the write succeeds or not.
TEST(UnixPaths, ReplacingAFileKeepsItsModeAndLinksAndLeavesNothingBehind) {
  testing::TempTemplate existing("old");
  const std::string folder = existing.Folder().string();
  const std::string file = folder + "/kept.tmp";
  std::filesystem::copy_file(existing.Path(), file);
  ::chmod(file.c_str(), 0640);
  const std::string link = folder + "/link.tmp";
  std::filesystem::create_symlink(file, link);
  const auto entries = [&] {
    return std::distance(std::filesystem::directory_iterator(folder),
                         std::filesystem::directory_iterator());
  };
  const auto before = entries();
  EXPECT_EQ(platform::ReplaceFile(link, "new"), "");
  EXPECT_EQ(ReadFile(file), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  struct stat status {};
  ::stat(file.c_str(), &status);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  EXPECT_EQ(platform::ReplaceFile(folder + "/none/x.tmp", "new"), "No such file or directory");
  EXPECT_EQ(entries(), before);
}

}  // namespace
}  // namespace quarnel
