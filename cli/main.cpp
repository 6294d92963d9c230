// quarnel-shorten: writes a shorter template with the same tiles to standard output.
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/box_text.h"
#include "model/fault.h"
#include "model/percent.h"
#include "model/platform.h"
#include "model/template_file.h"
#include "shorten/apply_to_template.h"
#include "shorten/shorten.h"

namespace {

using quarnel::LinesChange;
using quarnel::Printable;

constexpr int kSuccess = 0;
constexpr int kFailure = 1;  // a refused template, templates that differ, or output not written
constexpr int kUsage = 2;

constexpr std::string_view kStandardInput = "standard input";

constexpr std::string_view kHelp =
    R"(Usage: quarnel-shorten [--apply RECORDS [--allow-new-cells]] [--] TEMPLATE
       quarnel-shorten --check [--] FIRST SECOND

Writes TEMPLATE shortened to standard output: runs of plain tile records
("id1 id2 x y z") become rectangle records ("TILEW ..."), every other line is
copied as it stands. The result is read back and checked to hold exactly the
same tiles before anything is written. A summary goes to standard error.
No file is ever written; redirect the output to keep it. A template named -
is read from standard input.

  --apply RECORDS     write TEMPLATE with the rectangle records of the file
                      RECORDS (lines copied from Quarnel's output box) in it,
                      and without the tile records they cover, instead
  --allow-new-cells   with --apply: accept records that cover cells the
                      template does not have (they add tiles)
  --check FIRST SECOND
                      compare two templates tile type by tile type and
                      report the first cell that differs
  --                  end of the options: what follows is a template, even
                      when it starts with -
  -h, --help          show this help
  --version           show the version

Examples:
  quarnel-shorten level.tmp > level-short.tmp
  quarnel-shorten --apply records.txt level.tmp | quarnel-shorten - > level-short.tmp
  quarnel-shorten --check level.tmp level-short.tmp

Exit status: 0 done (or, with --check, the same tiles), 1 a template was
refused, the templates differ, or the output could not be written, 2 wrong
usage.
)";

// Standard output, written whole and flushed: a failure names the system's reason.
void WriteOut(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    throw quarnel::Fault({}, "standard output: " + quarnel::platform::WriteFailure());
  }
}

struct Input {
  std::string name;  // for messages
  quarnel::LargeText text;
};

Input Read(const std::string& path) {
  if (path == "-") return {std::string(kStandardInput), quarnel::TemplateFile::ReadStandardInput()};
  if (path.empty()) throw quarnel::Fault({}, "an empty template path");
  return {path, quarnel::TemplateFile::ReadAll(path)};
}

std::string Count(long long n, const std::string& thing) {
  return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

int Shorten(const std::string& path) {
  const Input input = Read(path);
  const quarnel::Shortened result = quarnel::Shorten(input.name, input.text);
  WriteOut(result.text);
  const auto& s = result.summary;
  std::fprintf(stderr, "%s: %lld lines -> %lld lines (%s), %s written\n",
               Printable(input.name).c_str(), s.lines_before, s.lines_after,
               LinesChange(s.lines_before, s.lines_after).c_str(),
               Count(s.records_written, "rectangle record").c_str());
  if (s.layers > 0) {
    std::fprintf(stderr,
                 "covers use %s, the proven minimum on %lld of %s; any cover "
                 "needs at least %lld",
                 Count(s.rectangles_found, "rectangle").c_str(), s.layers_proven,
                 Count(s.layers, "layer").c_str(), s.rectangles_at_least);
    if (s.layers_proven < s.layers) {
      std::fprintf(stderr, ": the other layers at most %.1f%% above their optimum",
                   100.0 * double(s.unproven_rectangles - s.unproven_at_least) /
                       double(s.unproven_at_least));
    }
    std::fputc('\n', stderr);
  }
  return kSuccess;
}

int Apply(const std::string& records_path, const std::string& path, bool allow_new_cells) {
  const Input records = Read(records_path);
  // As the output box shows them: an id's bytes that are not UTF-8 written \xFF.
  const std::string records_text =
      quarnel::FromBoxText(std::string_view(records.text.data(), records.text.size()));
  const Input input = Read(path);
  const quarnel::AppliedTemplate result = quarnel::ApplyToTemplate(
      records.name, records_text, input.name, input.text, allow_new_cells, false);
  WriteOut(result.text);
  const auto& s = result.applied;
  const std::string standing = s.records_standing == 0
                                   ? ""
                                   : ", " + Count(s.records_standing, "record") +
                                         " in the template already, not written again";
  const std::string held = s.tile_records_held == 0
                               ? ""
                               : " (" + std::to_string(s.tile_records_held) +
                                     " of them held by the template's own rectangle records)";
  std::fprintf(stderr, "%s: %lld lines -> %lld lines: %s applied, %s left out%s, %s%s\n",
               Printable(input.name).c_str(), s.lines_before, s.lines_after,
               Count(s.records_applied, "rectangle record").c_str(),
               Count(s.tile_records_left_out, "tile record").c_str(), held.c_str(),
               Count(s.new_cells, "new cell").c_str(), standing.c_str());
  return kSuccess;
}

int Check(const std::string& first_path, const std::string& second_path) {
  const Input first_input = Read(first_path);
  const Input second_input = Read(second_path);
  const auto [difference, types] = quarnel::CompareTemplates(first_input.name, first_input.text,
                                                             second_input.name, second_input.text);
  if (!difference) {
    WriteOut("same tiles: " + Count(types, "tile type") + "\n");
    return kSuccess;
  }
  const auto& d = *difference;
  WriteOut("differ: type " + Printable(d.type) + ", layer " + std::to_string(d.z) + ", cell (" +
           std::to_string(d.x) + ", " + std::to_string(d.y) + ") is in " +
           Printable(d.in_first ? first_input.name : second_input.name) + " only\n");
  return kFailure;
}

struct Arguments {
  bool help = false;
  bool version = false;
  bool check = false;
  bool allow_new_cells = false;
  std::optional<std::string> apply;  // the records file
  std::vector<std::string> templates;
};

// The long options, each with whether it takes a value.
struct LongOption {
  std::string_view name;
  bool takes_value;
};
constexpr LongOption kLongOptions[] = {
    {"help", false}, {"version", false}, {"check", false}, {"allow-new-cells", false},
    {"apply", true},
};

// The long option that `given` (without its "--") names, whole or by a unique start; nothing.
std::optional<LongOption> FindLongOption(std::string_view given) {
  std::optional<LongOption> found;
  for (const LongOption& option : kLongOptions) {
    if (option.name == given) return option;
    if (option.name.starts_with(given)) {
      if (found) return std::nullopt;  // ambiguous
      found = option;
    }
  }
  return found;
}

// The rules of GNU getopt_long, the same on every system: options and templates in any order,
// "--" before templates that start with "-", "--apply FILE" or "--apply=FILE", any unique start
// of a long option, and -h alone or in a cluster. Returns the usage fault, or nothing.
std::optional<std::string> ParseOptions(const std::vector<std::string>& arguments,
                                        Arguments& parsed) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument == "--") {
      parsed.templates.insert(parsed.templates.end(), arguments.begin() + static_cast<long>(i) + 1,
                              arguments.end());
      break;
    }
    if (argument.starts_with("--")) {
      const std::size_t equals = argument.find('=');
      const std::optional<LongOption> option = FindLongOption(argument.substr(2, equals - 2));
      if (!option || (equals != std::string_view::npos && !option->takes_value)) {
        return "unknown option " + Printable(argument);
      }
      if (option->name == "help") parsed.help = true;
      if (option->name == "version") parsed.version = true;
      if (option->name == "check") parsed.check = true;
      if (option->name == "allow-new-cells") parsed.allow_new_cells = true;
      if (option->name == "apply") {
        if (equals != std::string_view::npos) {
          parsed.apply = std::string(argument.substr(equals + 1));
        } else if (i + 1 < arguments.size()) {
          parsed.apply = arguments[++i];
        } else {
          return "--apply takes a file of records";
        }
      }
    } else if (argument.size() > 1 && argument[0] == '-') {
      // A short option may stand in a cluster such as -xh, or be the start of a file's name.
      for (const char letter : argument.substr(1)) {
        if (letter != 'h') {
          return "unknown option " + Printable(std::string("-") + letter) +
                 " (a template whose name starts with - goes after --)";
        }
        parsed.help = true;
      }
    } else {
      parsed.templates.emplace_back(argument);
    }
  }
  return std::nullopt;
}

// Returns the usage fault, or nothing.
std::optional<std::string> Parse(const std::vector<std::string>& arguments, Arguments& parsed) {
  if (auto problem = ParseOptions(arguments, parsed)) return problem;
  if (parsed.help || parsed.version) return std::nullopt;
  std::size_t from_standard_input = parsed.apply == "-" ? 1 : 0;
  for (const auto& path : parsed.templates) from_standard_input += path == "-" ? 1 : 0;
  if (from_standard_input > 1) return "standard input (-) can be read only once";
  if (parsed.check) {
    if (parsed.apply || parsed.allow_new_cells) return "--check takes no other option";
    if (parsed.templates.size() != 2) return "--check takes two templates";
    return std::nullopt;
  }
  if (parsed.allow_new_cells && !parsed.apply) return "--allow-new-cells goes with --apply";
  if (parsed.templates.empty()) return "no template given";
  if (parsed.templates.size() > 1) return "one template only";
  return std::nullopt;
}

int Run(const Arguments& parsed) {
  if (parsed.help) {
    WriteOut(kHelp);
    return kSuccess;
  }
  if (parsed.version) {
    WriteOut("quarnel-shorten " QUARNEL_VERSION "\n");
    return kSuccess;
  }
  if (parsed.check) return Check(parsed.templates[0], parsed.templates[1]);
  if (parsed.apply) return Apply(*parsed.apply, parsed.templates[0], parsed.allow_new_cells);
  return Shorten(parsed.templates[0]);
}

}  // namespace

int main(int argc, char* argv[]) {
  quarnel::platform::SetUpStandardStreams();
  Arguments parsed;
  if (const auto problem = Parse(quarnel::platform::Arguments(argc, argv), parsed)) {
    std::fprintf(stderr, "quarnel-shorten: %s\nTry 'quarnel-shorten --help'.\n", problem->c_str());
    return kUsage;
  }
  try {
    return Run(parsed);
  } catch (const quarnel::SelfCheckFailure& failure) {
    std::fprintf(stderr,
                 "quarnel-shorten: %s\nquarnel-shorten: this is a fault of quarnel-shorten, not of "
                 "the template; please report it with the template\n",
                 Printable(failure.what()).c_str());
  } catch (const quarnel::Fault& fault) {
    std::fprintf(stderr, "quarnel-shorten: %s\n", Printable(fault.what()).c_str());
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "quarnel-shorten: out of memory; nothing is written\n");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "quarnel-shorten: %s\n", Printable(error.what()).c_str());
  }
  return kFailure;
}
