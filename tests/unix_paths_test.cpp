// Paths only a Unix system has: a FIFO, and a file its reader may not read. Windows has neither
// in this form, and Node's file system under WebAssembly makes no FIFO, so this runs on Linux only.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "model/fault.h"
#include "model/template_file.h"
#include "tests/test_template.h"

namespace quarnel {
namespace {

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

}  // namespace
}  // namespace quarnel
