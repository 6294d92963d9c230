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


// C0, DEL, and C1 as UTF-8 writes it (C2 80 to C2 9F).
bool IsControl(std::string_view character) {
  const auto lead = static_cast<unsigned char>(character[0]);
  if (lead < 0x20 || lead == 0x7f) return true;
  return lead == 0xC2 && static_cast<unsigned char>(character[1]) <= 0x9F;
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

std::size_t Utf8Size(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  // The bounds of the second byte shut out overlong forms, surrogates and code points past
  // U+10FFFF; every later byte is a plain continuation byte.
  std::size_t size = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    size = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    size = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    size = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + size > text.size() || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < size; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return size;
}

Fault::Fault(FaultPlace place, const std::string& problem)
    : std::runtime_error(Describe(place, problem)), place_(std::move(place)), problem_(problem) {}

std::string Printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t size = Utf8Size(text, i);
    if (size == 0) {  // not UTF-8: this byte alone
      AppendEscaped(out, static_cast<unsigned char>(text[i++]));
      continue;
    }
    const std::string_view character = text.substr(i, size);
    i += size;
    if (!IsControl(character)) {
      out += character;
      continue;
    }
    for (const char byte : character) AppendEscaped(out, static_cast<unsigned char>(byte));
  }
  return out;
}

std::string Quoted(std::string_view text) {
  constexpr std::size_t kShown = 40;
  std::string out(1, '"');
  out.append(Printable(text.substr(0, kShown)));
  if (text.size() > kShown) out += "...";
  out += '"';
  return out;
}

}  // namespace quarnel
