#include "model/fault.h"

#include <cstdio>

#include "model/ordinal.h"

namespace quarnel {
namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
  out += escaped;
}

// Control characters: C0, DEL, and C1 as UTF-8 writes them (C2 80 to C2 9F).
std::size_t ControlSize(std::string_view text, std::size_t at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  if (byte < 0x20 || byte == 0x7f) return 1;
  if (byte == 0xC2 && at + 1 < text.size()) {
    const auto next = static_cast<unsigned char>(text[at + 1]);
    if (next >= 0x80 && next <= 0x9F) return 2;
  }
  return 0;
}

std::string Describe(const FaultPlace& place, const std::string& problem) {
  // A fault of no file (the path box is empty, the layer box holds junk) is the problem alone.
  std::string message = Printable(place.file);
  if (place.line > 0) message += ", line " + std::to_string(place.line);
  if (!message.empty()) message += ": ";
  if (place.field >= 0) {
    const std::string where =
        "the " + Ordinal(static_cast<std::size_t>(place.field) + 1) + " field";
    message += place.field_name.empty() ? where + " " : place.field_name + " (" + where + ") ";
  }
  message += problem;
  return message;
}

}  // namespace

Fault::Fault(FaultPlace place, const std::string& problem)
    : std::runtime_error(Describe(place, problem)), place_(std::move(place)), problem_(problem) {}

std::string Printable(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t control = ControlSize(text, i);
    if (control == 0) {
      out += text[i++];
      continue;
    }
    for (; control > 0; --control) AppendEscaped(out, static_cast<unsigned char>(text[i++]));
  }
  return out;
}

std::string Quoted(std::string_view text) {
  constexpr std::size_t kShown = 40;
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7f) {
      AppendEscaped(out, byte);
    } else {
      out += static_cast<char>(byte);
    }
  }
  if (text.size() > kShown) out += "...";
  out += '"';
  return out;
}

}  // namespace quarnel
