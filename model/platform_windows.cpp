// Windows: UTF-8 paths and arguments through the wide calls, binary standard streams, UTF-8 on
// the console.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
// windows.h names its own ReplaceFile so; ours keeps its name for every caller.
#undef ReplaceFile

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "model/platform.h"

namespace quarnel::platform {
namespace {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int size =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string Utf8(const wchar_t* wide) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string text(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
  text.pop_back();  // the NUL
  return text;
}

// Gives the console back its code page when the program ends.
class ConsoleCodePage {
 public:
  ConsoleCodePage() : before_(::GetConsoleOutputCP()) { ::SetConsoleOutputCP(CP_UTF8); }
  ~ConsoleCodePage() {
    if (before_ != 0) ::SetConsoleOutputCP(before_);
  }
  ConsoleCodePage(const ConsoleCodePage&) = delete;
  ConsoleCodePage& operator=(const ConsoleCodePage&) = delete;

 private:
  UINT before_;
};

}  // namespace

std::filesystem::path PathOf(const std::string& path) {
  return std::filesystem::path(Wide(path));
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return ::_wfopen(Wide(path).c_str(), Wide(mode).c_str());
}

std::optional<std::uint64_t> SizeOf(std::FILE* file) {
  struct _stat64 status {};
  if (::_fstat64(::_fileno(file), &status) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(status.st_size);
}

bool SeekTo(std::FILE* file, std::uint64_t position) {
  return ::_fseeki64(file, static_cast<__int64>(position), SEEK_SET) == 0;
}

std::vector<std::string> Arguments(int, char*[]) {
  int count = 0;
  wchar_t** const wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

std::string ReplaceFile(const std::string& path, std::string_view bytes) {
  const std::wstring target = Wide(path);
  const std::wstring temporary = target + L".quarnel-" + std::to_wstring(::GetTickCount64()) +
                                 L"-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
  const auto reason = [](DWORD error) {
    wchar_t* text = nullptr;
    ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string said = text ? Utf8(text) : "error " + std::to_string(error);
    ::LocalFree(text);
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == '.'))
      said.pop_back();
    return said;
  };
  const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return reason(::GetLastError());
  bool written = true;
  while (written && !bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD done = 0;
    written = ::WriteFile(file, bytes.data(), chunk, &done, nullptr) && done > 0;
    bytes.remove_prefix(done);
  }
  written = written && ::FlushFileBuffers(file);
  DWORD error = written ? 0 : ::GetLastError();
  if (!::CloseHandle(file) && written) {
    written = false;
    error = ::GetLastError();
  }
  if (written && !::MoveFileExW(temporary.c_str(), target.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    written = false;
    error = ::GetLastError();
  }
  if (written) return {};
  ::DeleteFileW(temporary.c_str());
  return reason(error);
}

std::string WriteFailure() {
  // The C runtime reports a pipe whose reader is gone as EINVAL. A write of one byte asks the pipe
  // itself: the output has failed already, so a byte more cannot spoil it.
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (errno == EINVAL && ::GetFileType(output) == FILE_TYPE_PIPE) {
    DWORD written = 0;
    const char nothing = 0;
    if (!::WriteFile(output, &nothing, 1, &written, nullptr)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED)
        return std::strerror(EPIPE);
    }
  }
  return std::strerror(errno);
}

void SetUpStandardStreams() {
  ::_setmode(::_fileno(stdin), _O_BINARY);
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
  static ConsoleCodePage console;
}

}  // namespace quarnel::platform
