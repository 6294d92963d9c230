#include "model/fault.h"

#include <cstdio>

namespace quarnel {
namespace {

std::string Describe(const FaultPlace& place, const std::string& problem) {
  // A fault of no file (the path box is empty, the layer box holds junk) is the problem alone.
  std::string message = place.file;
  if (place.line > 0) message += ", line " + std::to_string(place.line);
  if (!message.empty()) message += ": ";
  if (place.field >= 0) message += "field " + std::to_string(place.field) + " ";
  message += problem;
  return message;
}

}  // namespace

Fault::Fault(FaultPlace place, const std::string& problem)
    : std::runtime_error(Describe(place, problem)), place_(std::move(place)), problem_(problem) {}

std::string Quoted(std::string_view text) {
  constexpr std::size_t kShown = 40;
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += static_cast<char>(byte);
    }
  }
  if (text.size() > kShown) out += "...";
  out += '"';
  return out;
}

}  // namespace quarnel
