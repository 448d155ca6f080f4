#include "app/ProductInfo.h"

#include <mutex>
#include <new>

namespace orvane {
namespace {

constexpr const char* kProductGuid = "{7A3C19E4-52D0-4B8F-A6E1-0D94C2B7F315}";
constexpr const char* kAppIdBase = "LumtarOrvane";
constexpr const char* kFullName = "Lumtar Orvane";
constexpr const char* kKeyName = "Orvane";
constexpr const char* kVersion = "1.0.0.0";
constexpr const char* kPublisher = "Copyright (C) 2020 Lumtar Software Ltd. All rights reserved.";

// The variant this build installs: 1 for the 64-bit product.
constexpr int kBuildVariant = 1;

}  // namespace

ProductInfoLumX64::ProductInfoLumX64() {
  productGuid = kProductGuid;
  appId = std::string(kAppIdBase) + "_x64";
  isX64 = true;
  fullName = kFullName;
  keyName = kKeyName;
  displayName = std::string(kKeyName) + " (x64)";
  productName = kFullName;
  version = kVersion;
  publisher = kPublisher;
  logoBitmapId = 187;
  altLogoBitmapId = 188;
}

ProductInfoLumX86::ProductInfoLumX86() {
  productGuid = kProductGuid;
  appId = kAppIdBase;
  isX64 = false;
  fullName = kFullName;
  keyName = kKeyName;
  displayName = kKeyName;
  productName = kFullName;
  version = kVersion;
  publisher = kPublisher;
  logoBitmapId = 138;
  altLogoBitmapId = 139;
}

HRESULT CreateProductInfo(std::shared_ptr<IProductInfo>& holder, int variant) {
  if (variant == 1) {
    holder.reset(new (std::nothrow) ProductInfoLumX64());
  } else {
    holder.reset(new (std::nothrow) ProductInfoLumX86());
  }
  return holder ? S_OK : E_POINTER;
}

std::shared_ptr<IProductInfo>& GetProductInfo() {
  static std::shared_ptr<IProductInfo> profile;
  static std::mutex creation;
  std::lock_guard lock(creation);
  if (!profile) CreateProductInfo(profile, kBuildVariant);
  return profile;
}

}  // namespace orvane
