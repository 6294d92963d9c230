#pragma once

#include <string>
#include <string_view>

namespace quarnel {

// Windows speaks UTF-16; everything below the window speaks UTF-8.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// The text of a control, and a text with every line ending in CR LF, as an edit control wants it.
std::wstring TextOf(void* control);
std::wstring WithCrLf(std::wstring_view text);
// The length of WithCrLf(Wide(utf8)), without making it.
std::size_t WideLength(std::string_view utf8);

}  // namespace quarnel
