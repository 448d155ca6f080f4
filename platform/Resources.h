#pragma once
// Resources compiled into the program, looked up by type ("xml", "txt",
// "bitmap", ...; without case) and numeric id.
#include <optional>
#include <string_view>

namespace orvane::platform {

std::optional<std::string_view> FindResource(std::string_view type, int id);

}  // namespace orvane::platform
