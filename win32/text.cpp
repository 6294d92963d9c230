#include "win32/text.h"

#include <windows.h>

namespace quarnel {

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

std::wstring TextOf(void* control) {
  const HWND window = static_cast<HWND>(control);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring WithCrLf(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == L'\n' && (at == 0 || text[at - 1] != L'\r')) out += L'\r';
    out += text[at];
  }
  return out;
}

std::size_t WideLength(std::string_view utf8) {
  std::size_t length = 0;
  if (!utf8.empty()) {
    length = static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0));
  }
  for (std::size_t at = 0; at < utf8.size(); ++at) {
    if (utf8[at] == '\n' && (at == 0 || utf8[at - 1] != '\r')) ++length;
  }
  return length;
}

}  // namespace quarnel
