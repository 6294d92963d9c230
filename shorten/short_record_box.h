#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "model/template_format.h"

namespace quarnel {

// A record of whole numbers in a short line, inside the grid: its box straight from the line's bit
// masks, as a template's own records are read. Nothing for any other line, which is read and
// checked field by field instead. `line` starts at `offset` in `text`, without its line end.
std::optional<Box> ShortRecordBox(std::string_view text, std::size_t offset, std::string_view line);

}  // namespace quarnel
