#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace quarnel {

// Where a fault was found. Line numbers count from 1; 0 means the fault concerns the whole file.
// Field numbers count from 0, as the template format numbers them; -1 means no particular field.
// Messages name a field by its meaning, when known, and by its place counted from 1.
struct FaultPlace {
  std::string file;
  long long line = 0;
  int field = -1;
  std::string field_name = {};  // "x", "y-from", ...; empty when the field has no meaning
};

// Something the program cannot accept: a template it cannot read or a value it cannot use.
// The message names the file, the line and field where one applies, and what is wrong. Throwing
// one ends the current user action; the window reports it and carries on.
class Fault : public std::runtime_error {
 public:
  Fault(FaultPlace place, const std::string& problem);

  const FaultPlace& place() const { return place_; }
  const std::string& problem() const { return problem_; }

 private:
  FaultPlace place_;
  std::string problem_;
};

// A self-check that found the program's own output wrong: a bug, never a fault of the input. It
// is told from an ordinary refusal by its type, as a message may quote any text of the input.
class SelfCheckFailure : public Fault {
 public:
  using Fault::Fault;
};

// Any text from a file or a user as it may be shown in a message, on a terminal or in the window:
// control characters (escape sequences among them) and bytes that are not well-formed UTF-8 are
// written as \xNN; everything else stands as it is. Every message goes through this.
std::string Printable(std::string_view text);

// The size of the well-formed UTF-8 character at `at` of `text`, or 0 where the byte there starts
// none.
std::size_t Utf8Size(std::string_view text, std::size_t at);

// A field's text in double quotes, fit for a message: long texts are cut short and control bytes
// are written as \xNN, so a line of binary junk still gives a readable message.
std::string Quoted(std::string_view text);

}  // namespace quarnel
