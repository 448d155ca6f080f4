#include "platform/Resources.h"

#include <strings.h>

#include "platform/ResourceTable.h"

namespace orvane::platform {

std::optional<std::string_view> FindResource(std::string_view type, int id) {
  for (const EmbeddedResource* entry = kEmbeddedResources; entry->type != nullptr; ++entry) {
    if (entry->id != id || type.size() != std::char_traits<char>::length(entry->type)) continue;
    if (::strncasecmp(entry->type, type.data(), type.size()) != 0) continue;
    return std::string_view(reinterpret_cast<const char*>(entry->begin),
                            static_cast<std::size_t>(entry->end - entry->begin));
  }
  return std::nullopt;
}

}  // namespace orvane::platform
