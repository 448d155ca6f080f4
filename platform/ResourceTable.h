#pragma once
// Layout of the table the build generates from resources/ (see Resources.h).
namespace orvane::platform {

struct EmbeddedResource {
  const char* type;
  int id;
  const unsigned char* begin;
  const unsigned char* end;
};

extern const EmbeddedResource kEmbeddedResources[];

}  // namespace orvane::platform
