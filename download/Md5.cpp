#include "download/Md5.h"

#include <openssl/evp.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace orvane {

namespace {

struct MdContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using MdContext = std::unique_ptr<EVP_MD_CTX, MdContextFree>;

struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::string Md5::ToHex(const unsigned char* digest16) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text(32, '0');
  for (int i = 0; i < 16; ++i) {
    text[2 * i] = kDigits[digest16[i] >> 4];
    text[2 * i + 1] = kDigits[digest16[i] & 0x0F];
  }
  return text;
}

std::string Md5::OfBuffer(const void* data, std::size_t length) {
  unsigned char digest[EVP_MAX_MD_SIZE] = {};
  unsigned int digestLength = 0;
  if (EVP_Digest(data, length, digest, &digestLength, EVP_md5(), nullptr) != 1 || digestLength != 16) return {};
  return ToHex(digest);
}

bool Md5::OfFile(const std::string& path, std::string& digest) {
  std::unique_ptr<std::FILE, FileClose> file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  MdContext context(EVP_MD_CTX_new());
  if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1) return false;
  std::vector<unsigned char> block(1 << 20);
  for (;;) {
    const std::size_t got = std::fread(block.data(), 1, block.size(), file.get());
    if (got > 0 && EVP_DigestUpdate(context.get(), block.data(), got) != 1) return false;
    if (got < block.size()) break;
  }
  if (std::ferror(file.get())) return false;
  unsigned char out[EVP_MAX_MD_SIZE] = {};
  unsigned int outLength = 0;
  if (EVP_DigestFinal_ex(context.get(), out, &outLength) != 1 || outLength != 16) return false;
  digest = ToHex(out);
  return true;
}

}  // namespace orvane
