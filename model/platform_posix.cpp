// Linux and WebAssembly: paths are bytes, and the streams pass bytes unchanged already.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <random>

#include "model/platform.h"

#include <utility>

namespace quarnel::platform {

std::filesystem::path PathOf(const std::string& path) {
  return path;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

std::optional<std::uint64_t> SizeOf(std::FILE* file) {
  struct stat status {};
  if (::fstat(::fileno(file), &status) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(status.st_size);
}

bool SeekTo(std::FILE* file, std::uint64_t position) {
  return ::fseeko(file, static_cast<off_t>(position), SEEK_SET) == 0;
}

std::vector<std::string> Arguments(int argc, char* argv[]) {
  return {argv, argv + argc};
}

void SetUpStandardStreams() {
  // A reader that stops early (`| head`) makes a write fail with EPIPE, reported and ended with
  // exit status 1 as on Windows, rather than a silent death by signal.
  std::signal(SIGPIPE, SIG_IGN);
}

std::string WriteFailure() {
  return std::strerror(errno);
}

namespace {

// A descriptor closed when it goes out of scope, unless closed by hand first.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // close's own result counts: on some file systems a write fails only there.
  int Close() { return ::close(std::exchange(fd_, -1)); }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ::ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

std::string ReplaceFile(const std::string& path, std::string_view bytes) {
  // A link is followed: the file it names is replaced, the link stays.
  std::string target = path;
  if (char resolved[PATH_MAX]; ::realpath(path.c_str(), resolved) != nullptr) target = resolved;
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  struct stat old {};
  const bool existed = ::stat(target.c_str(), &old) == 0;
  std::string temporary;
  int fd = -1;
  std::random_device random;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = (slash == std::string::npos ? std::string() : folder) + ".quarnel-" +
                std::to_string(random()) + ".tmp";
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return std::strerror(errno);
  }
  if (fd < 0) return std::strerror(EEXIST);
  Descriptor file(fd);
  const auto fail = [&] {
    const int why = errno;
    ::unlink(temporary.c_str());
    return std::string(std::strerror(why));
  };
  // The replaced file keeps its permissions.
  if (existed && ::fchmod(file.get(), old.st_mode & 07777) != 0) return fail();
  if (!WriteAll(file.get(), bytes) || ::fsync(file.get()) != 0) return fail();
  if (file.Close() != 0) return fail();
  if (::rename(temporary.c_str(), target.c_str()) != 0) return fail();
  // The rename itself on the disk; a folder that cannot be synced (some file systems) is no fault.
  if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return {};
}

}  // namespace quarnel::platform
