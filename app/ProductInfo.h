#pragma once
// The product profile: every name, version and identifier of the product the
// installer is built for. Read-only after creation.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Status.h"

namespace orvane {

class IProductInfo {
 public:
  virtual ~IProductInfo() = default;
  virtual const char* GetProductGuid() const = 0;
  virtual const char* GetAppId() const = 0;
  virtual const char* GetUrl() const = 0;
  virtual const char* GetAuxText() const = 0;
  virtual bool IsX64() const = 0;
  virtual const char* GetFullName() const = 0;
  virtual const char* GetKeyName() const = 0;
  virtual const char* GetDisplayName() const = 0;
  virtual const char* GetProductName() const = 0;
  virtual const char* GetVersion() const = 0;
  virtual const char* GetPublisher() const = 0;
  virtual const char* GetVersionLabel() const = 0;
  virtual std::int32_t GetLogoBitmapId() const = 0;
  virtual std::int32_t GetAltLogoBitmapId() const = 0;
};

class ProductInfoBase : public IProductInfo {
 public:
  const char* GetProductGuid() const override { return productGuid.c_str(); }
  const char* GetAppId() const override { return appId.c_str(); }
  const char* GetUrl() const override { return url.c_str(); }
  const char* GetAuxText() const override { return auxText.c_str(); }
  bool IsX64() const override { return isX64; }
  const char* GetFullName() const override { return fullName.c_str(); }
  const char* GetKeyName() const override { return keyName.c_str(); }
  const char* GetDisplayName() const override { return displayName.c_str(); }
  const char* GetProductName() const override { return productName.c_str(); }
  const char* GetVersion() const override { return version.c_str(); }
  const char* GetPublisher() const override { return publisher.c_str(); }
  const char* GetVersionLabel() const override { return versionLabel.c_str(); }
  std::int32_t GetLogoBitmapId() const override { return logoBitmapId; }
  std::int32_t GetAltLogoBitmapId() const override { return altLogoBitmapId; }

 protected:
  std::string productGuid;
  std::string appId;
  std::string url;
  std::string auxText;
  bool isX64 = false;
  std::string fullName;
  std::string keyName;
  std::string displayName;
  std::string productName;
  std::string version;
  std::string publisher;
  std::string versionLabel;
  std::int32_t logoBitmapId = 0;
  std::int32_t altLogoBitmapId = 0;
};

class ProductInfoLumX64 : public ProductInfoBase {
 public:
  ProductInfoLumX64();
};

class ProductInfoLumX86 : public ProductInfoBase {
 public:
  ProductInfoLumX86();
};

// Variant flag 1 makes the 64-bit profile, anything else the 32-bit one.
HRESULT CreateProductInfo(std::shared_ptr<IProductInfo>& holder, int variant);
// The process-wide profile, created on first use (this build: the 64-bit profile).
std::shared_ptr<IProductInfo>& GetProductInfo();

}  // namespace orvane
