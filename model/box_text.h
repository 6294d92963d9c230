#pragma once

#include <string>
#include <string_view>

namespace quarnel {

// The output box as a text control shows it. A control holds text, but a template's ids are bytes:
// a byte that is not part of UTF-8 is shown as \xFF (as messages show it), and a backslash that
// would read as such an escape as \x5C. FromBoxText reads them back, so that the bytes survive any
// edit of the box, and a copy of the box given to `quarnel-shorten --apply` names the same ids.
std::string ToBoxText(std::string_view bytes);
std::string FromBoxText(std::string_view text);
// Records to append to the box, starting on a line of their own: after a last line the user left
// without its line break, a line break first, so that neither record is spoiled.
std::string OnOwnLine(std::string_view box, std::string records);

}  // namespace quarnel
