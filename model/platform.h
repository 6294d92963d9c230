#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What differs between the systems Quarnel runs on: Linux, Windows and WebAssembly. The files
// behind these declarations (platform_*.cpp, one job each, some shared by two systems) are picked
// by the build; nothing else asks which system it is on. Paths and arguments are UTF-8 (on Linux, the bytes as the system gives them).
namespace quarnel::platform {

// Large pages: whole 2 MiB pages, `bytes` a multiple of 2 MiB, starting on a 2 MiB boundary;
// nullptr when memory runs out. Where HasHugePages() is false, memory comes from operator new.
inline constexpr std::size_t kHugePage = std::size_t{1} << 21;
bool HasHugePages();
void* MapHugePages(std::size_t bytes);
void UnmapHugePages(void* data, std::size_t bytes) noexcept;

// Faulting in memory before it is filled, from a second thread. Where FaultsIn() is false, no
// thread is started for it and the filling faults the pages in itself.
bool FaultsIn();
void FaultIn(void* data, std::size_t bytes) noexcept;

// Asks for large pages behind [data, data + bytes), memory from operator new not yet touched,
// where the system gives them on request: a std::string of tens of MiB otherwise costs a page
// fault each 4 KiB as it is first filled. Advice only.
void AdviseLargePages(void* data, std::size_t bytes) noexcept;

// Whether a second thread can be had at all; where not, work that would be split runs on one.
bool HasThreads();

// The most memory one template's text may take here: the whole of memory on 32-bit WebAssembly
// cannot hold a template and what is made of it.
std::uint64_t MaxTextSize();

// Files.
std::filesystem::path PathOf(const std::string& path);
// fopen in binary mode; nullptr with errno set when it fails.
std::FILE* OpenFile(const std::string& path, const char* mode);
// The size of an open file; nothing (errno set) when it cannot be told.
std::optional<std::uint64_t> SizeOf(std::FILE* file);
// Moves to `position` bytes from the start, past 2 GiB too; false when it cannot.
bool SeekTo(std::FILE* file, std::uint64_t position);

// Puts `bytes` at `path` in one step: written to a new file in the same folder, flushed to the
// disk, then renamed over `path` (over the file a link at `path` names). A crash leaves the old
// file or the new one, never part of one. On any failure the old file stays as it was, no new file
// is left behind, and the system's reason is returned; empty when every byte is on the disk.
std::string ReplaceFile(const std::string& path, std::string_view bytes);

// A decimal number in plain notation (sign, digits, point, exponent), as std::from_chars reads it.
std::from_chars_result ParseDouble(const char* begin, const char* end, double& value);

// A command's start: its arguments in UTF-8, whatever the console's code page; standard input
// and output in binary mode, so that a template's line ends pass unchanged, and messages shown
// as UTF-8 on a console.
std::vector<std::string> Arguments(int argc, char* argv[]);
void SetUpStandardStreams();
// Why the last write to a standard stream failed, in the same words on every system: a reader that
// went away is "Broken pipe" on Windows too, where the C runtime calls it an invalid argument.
std::string WriteFailure();

}  // namespace quarnel::platform
