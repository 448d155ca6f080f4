#include "tools/DescriptorWriter.h"

#include <openssl/evp.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/PathUtil.h"

namespace orvane::pack {
namespace {

std::string Md5Hex(const char* data, std::size_t size) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1 ||
      EVP_DigestUpdate(context.get(), data, size) != 1 || EVP_DigestFinal_ex(context.get(), digest, &length) != 1) {
    return "";
  }
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    char byte[3];
    std::snprintf(byte, sizeof byte, "%02X", digest[i]);
    hex += byte;
  }
  return hex;
}

std::string XmlAttribute(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::vector<std::string> PackageDigests(const std::string& content) {
  std::vector<std::string> digests = {Md5Hex(content.data(), content.size())};
  for (std::size_t start = 0; start < content.size(); start += kChunkSize) {
    digests.push_back(Md5Hex(content.data() + start, std::min(kChunkSize, content.size() - start)));
  }
  return digests;
}

std::string DescriptorText(const std::string& fileName, const std::string& content,
                           const std::vector<std::string>& mirrors) {
  const auto digests = PackageDigests(content);
  std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
  text += "<download size=\"" + std::to_string(content.size()) + "\" name=\"" + XmlAttribute(fileName) +
          "\" version=\"1\">\n";
  text += "  <url size=\"" + std::to_string(mirrors.size()) + "\">\n";
  for (std::size_t i = 0; i < mirrors.size(); ++i) {
    text += "    <item_" + std::to_string(i) + " value=\"" + XmlAttribute(mirrors[i]) + "\"/>\n";
  }
  text += "  </url>\n  <hash size=\"" + std::to_string(digests.size()) + "\">\n";
  for (std::size_t i = 0; i < digests.size(); ++i) {
    text += "    <item_" + std::to_string(i) + " value=\"" + digests[i] + "\"/>\n";
  }
  text += "  </hash>\n</download>\n";
  return text;
}

bool WriteDescriptor(const std::string& packagePath, const std::string& descriptorPath,
                     const std::vector<std::string>& mirrors, std::string& error) {
  std::ifstream in(packagePath, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && !in.eof()) {
    error = "cannot read " + packagePath;
    return false;
  }
  std::ofstream out(descriptorPath, std::ios::binary | std::ios::trunc);
  out << DescriptorText(platform::PathFileName(packagePath), content, mirrors);
  out.flush();
  if (!out) {
    error = "cannot write " + descriptorPath;
    return false;
  }
  return true;
}

}  // namespace orvane::pack
