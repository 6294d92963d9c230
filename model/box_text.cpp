#include "model/box_text.h"

#include <cstdio>

#include "model/fault.h"

namespace quarnel {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Whether `text` holds an escape \xHH at `at`.
bool EscapeAt(std::string_view text, std::size_t at) {
  return at + 3 < text.size() && text[at] == '\\' && text[at + 1] == 'x' &&
         HexValue(text[at + 2]) >= 0 && HexValue(text[at + 3]) >= 0;
}

void AppendEscape(std::string& out, unsigned char byte) {
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
  out += escaped;
}

}  // namespace

std::string ToBoxText(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t size = Utf8Size(bytes, i);
    if (size == 0 || EscapeAt(bytes, i)) {
      AppendEscape(out, static_cast<unsigned char>(bytes[i++]));
    } else {
      out.append(bytes.substr(i, size));
      i += size;
    }
  }
  return out;
}

std::string FromBoxText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (EscapeAt(text, i)) {
      out += static_cast<char>(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3]));
      i += 4;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::string OnOwnLine(std::string_view box, std::string records) {
  if (!records.empty() && !box.empty() && box.back() != '\n') records.insert(0, "\r\n");
  return records;
}

}  // namespace quarnel
