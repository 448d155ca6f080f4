#pragma once
// One row of a compiled-in language table, and a table as an ordered list of rows.
#include <cstdint>
#include <span>

namespace orvane {

struct TextEntry {
  std::int32_t id;
  const char* text;  // UTF-8, zero-terminated, static storage
};

// The rows of one language in table order; a later row for the same id wins.
using LanguageTable = std::span<const TextEntry>;

}  // namespace orvane
