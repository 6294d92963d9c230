// quarnel-shorten: writes a shorter template with the same tiles to standard output.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include "model/fault.h"
#include "model/template_file.h"
#include "shorten/shorten.h"

namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;  // a refused template, or templates that differ
constexpr int kUsage = 2;

constexpr std::string_view kHelp = R"(Usage: quarnel-shorten TEMPLATE
       quarnel-shorten --check FIRST SECOND

Writes TEMPLATE shortened to standard output: runs of plain tile records
("id1 id2 x y z") become rectangle records ("TILEW ..."), every other line is
copied as it stands. The result is read back and checked to hold exactly the
same tiles before anything is written. A summary goes to standard error.
No file is ever written; redirect the output to keep it.

  --check FIRST SECOND  compare two templates tile type by tile type and
                        report the first cell that differs
  -h, --help            show this help

Exit status: 0 done (or, with --check, the same tiles), 1 a template was
refused or the templates differ, 2 wrong usage.
)";

int Usage(const std::string& problem) {
  std::cerr << "quarnel-shorten: " << problem << "\nTry 'quarnel-shorten --help'.\n";
  return kUsage;
}

int ShortenToStdout(const std::string& path) {
  const quarnel::Shortened result = quarnel::Shorten(path, quarnel::TemplateFile::ReadAll(path));
  std::cout.write(result.text.data(), static_cast<std::streamsize>(result.text.size()));
  std::cout.flush();
  if (!std::cout) throw std::runtime_error("standard output could not be written");

  const auto& s = result.summary;
  const double saved =
      s.lines_before == 0 ? 0.0 : 100.0 * double(s.lines_before - s.lines_after) / s.lines_before;
  std::fprintf(stderr,
               "%s: %lld lines -> %lld lines (%.1f%% fewer), %lld rectangle records written\n",
               path.c_str(), s.lines_before, s.lines_after, saved, s.records_written);
  if (s.rectangles_at_least > 0) {
    std::fprintf(
        stderr,
        "covers use %lld rectangles (single cells included); any cover needs at least "
        "%lld: at most %.1f%% above the optimum\n",
        s.rectangles_found, s.rectangles_at_least,
        100.0 * double(s.rectangles_found - s.rectangles_at_least) / s.rectangles_at_least);
  }
  return kSuccess;
}

int Check(const std::string& first_path, const std::string& second_path) {
  const auto first = quarnel::ReadTypeCells(first_path, quarnel::TemplateFile::ReadAll(first_path));
  const auto second =
      quarnel::ReadTypeCells(second_path, quarnel::TemplateFile::ReadAll(second_path));
  const auto difference = quarnel::FirstDifference(first, second);
  if (!difference) {
    std::cout << "same tiles: " << first.size() << " tile types\n";
    return kSuccess;
  }
  const auto& d = *difference;
  std::cout << "differ: type " << d.type << ", layer " << d.z << ", cell (" << d.x << ", " << d.y
            << ") is in " << (d.in_first ? first_path : second_path) << " only\n";
  return kFailure;
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
      std::cout << kHelp;
      return kSuccess;
    }
    if (!args.empty() && args[0] == "--check") {
      if (args.size() != 3) return Usage("--check takes two templates");
      return Check(args[1], args[2]);
    }
    if (args.size() != 1) return Usage(args.empty() ? "no template given" : "one template only");
    if (args[0].starts_with("-") && args[0] != "-") return Usage("unknown option " + args[0]);
    return ShortenToStdout(args[0]);
  } catch (const quarnel::Fault& fault) {
    std::cerr << "quarnel-shorten: " << fault.what() << '\n';
    return kFailure;
  } catch (const std::exception& error) {
    std::cerr << "quarnel-shorten: " << error.what() << '\n';
    return kFailure;
  }
}
