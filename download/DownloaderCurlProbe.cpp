// Mirror probing: ping, size and load check of every descriptor mirror, and
// the choice of the mirrors a download uses. Runs on the descriptor thread.
#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "app/Log.h"
#include "download/DownloaderCurl.h"

namespace orvane {

namespace {

// The size probe's connection bound; the whole probe is bounded by the engine's
// size-probe timeout, so a mirror that never answers cannot hold the probe.
constexpr long kSizeProbeConnectTimeoutMs = 5000;
constexpr long kLoadCheckTimeoutSeconds = 2;
constexpr std::size_t kMaxTextBytes = 64 * 1024;
constexpr std::uint32_t kUnknownLength = 0xFFFFFFFFu;

struct CurlCleanup {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
using CurlHandle = std::unique_ptr<CURL, CurlCleanup>;

std::size_t DiscardData(char*, std::size_t size, std::size_t count, void*) { return size * count; }

std::size_t AppendText(char* data, std::size_t size, std::size_t count, void* context) {
  auto* text = static_cast<std::string*>(context);
  const std::size_t total = size * count;
  if (text->size() + total > kMaxTextBytes) return 0;  // more than any load-check answer
  text->append(data, total);
  return total;
}

void ApplyProxy(CURL* curl, const std::string& proxy) {
  if (proxy.empty()) return;
  curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str());
  curl_easy_setopt(curl, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
}

bool SizeMatches(std::uint32_t reported, std::int32_t expected) {
  return reported != kUnknownLength && expected >= 0 && reported == static_cast<std::uint32_t>(expected);
}

const char* TrueFalse(bool value) { return value ? "true" : "false"; }

}  // namespace

bool DownloaderCurl::HostOfUrl(const std::string& url, std::string& host) {
  static const std::string kScheme = "http://";
  static const std::string kPath = "/download/";
  const std::size_t scheme = url.find(kScheme);
  const std::size_t path = url.find(kPath);
  if (scheme == std::string::npos || path == std::string::npos || scheme >= path) return false;
  const std::size_t begin = scheme + kScheme.size();
  if (path < begin) return false;
  host = url.substr(begin, path - begin);
  return true;
}

std::string DownloaderCurl::HostWithoutPort(const std::string& host) {
  if (!host.empty() && host.front() == '[') {  // [v6 literal]:port
    const std::size_t close = host.find(']');
    return close == std::string::npos ? host : host.substr(1, close - 1);
  }
  const std::size_t colon = host.rfind(':');
  if (colon == std::string::npos || host.find(':') != colon) return host;
  const std::string port = host.substr(colon + 1);
  const bool digits = std::all_of(port.begin(), port.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
  return digits ? host.substr(0, colon) : host;
}

bool DownloaderCurl::IsCdnUrl(const std::string& url) {
  return url.find(kCdnDomainMarker) != std::string::npos || url.find(kCdnLabelMarker) != std::string::npos;
}

void DownloaderCurl::SetPinger(std::shared_ptr<IHostPinger> pinger) {
  std::lock_guard lock(m_pingerMutex);
  m_pinger = pinger ? std::move(pinger) : std::make_shared<IcmpHostPinger>();
}

bool DownloaderCurl::CheckPing(const std::string& url, std::uint32_t& rttMs) {
  std::string host;
  if (!HostOfUrl(url, host) || host.empty()) return false;
  std::shared_ptr<IHostPinger> pinger;
  {
    std::lock_guard lock(m_pingerMutex);
    pinger = m_pinger;
  }
  // An echo goes to the machine, not to a port: "host:8080" is pinged as "host".
  return pinger->Ping(HostWithoutPort(host), rttMs);
}

std::uint32_t DownloaderCurl::GetDownloadFileLenth(const std::string& url) {
  long long length = -1;
  CURLcode result = CURLE_FAILED_INIT;
  if (CurlHandle curl{curl_easy_init()}) {
    const std::string proxy = GetProxy();
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_HEADER, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, DiscardData);
    curl_easy_setopt(curl.get(), CURLOPT_USERAGENT, kProbeUserAgent);
    curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    const long timeoutMs = static_cast<long>(m_sizeProbeTimeoutMs.load());
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT_MS, std::min(kSizeProbeConnectTimeoutMs, timeoutMs));
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, timeoutMs);
    ApplyProxy(curl.get(), proxy);
    result = curl_easy_perform(curl.get());
    if (result == CURLE_OK) {
      curl_off_t reported = -1;
      if (curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &reported) == CURLE_OK) length = reported;
    }
  }
  const std::uint32_t value =
      length < 0 || length >= static_cast<long long>(kUnknownLength) ? kUnknownLength : static_cast<std::uint32_t>(length);
  WriteLog("Download_GetDownloadFileLenth : result(%u), url_err(%d).", value, static_cast<int>(result));
  return value;
}

std::string DownloaderCurl::HttpGetText(const std::string& url) {
  std::string text;
  CURLcode result = CURLE_FAILED_INIT;
  if (CurlHandle curl{curl_easy_init()}) {
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, kLoadCheckTimeoutSeconds);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, AppendText);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &text);
    ApplyProxy(curl.get(), GetProxy());
    result = curl_easy_perform(curl.get());
  }
  return result == CURLE_OK ? text : std::string("error");
}

bool DownloaderCurl::GetNetworkNotFull(const std::string& url) {
  if (IsCdnUrl(url)) return true;
  std::string host;
  if (!HostOfUrl(url, host)) return false;
  const std::string body = HttpGetText("http://" + host + "/flag.php");
  WriteLog("Download : GetNetworkNotFull IP(%s), Result(%s).", host.c_str(), body.c_str());
  return body.size() >= 2 && body[0] == '1';
}

HRESULT DownloaderCurl::CheckDownload(const DownloadConfig& config) {
  {
    std::lock_guard lock(m_urlMutex);
    m_vecUrlCfg.clear();
    m_allUrlCfg.clear();
  }
  m_cdnUsed.store(false);
  m_threadsPerUrl.store(config.threadsPerUrl);

  std::vector<UrlCfg> all;
  std::vector<UrlCfg> candidates;
  std::optional<UrlCfg> cdn;
  for (int i = 0; i < DownloadConfig::kMaxUrls && !StopRequested(); ++i) {
    UrlCfg entry = config.urls[i];
    if (!entry.ok) continue;
    if (IsCdnUrl(entry.url) && !cdn) {
      // The CDN is only asked for its size; it stays in reserve.
      entry.host = kCdnHost;
      entry.ok = SizeMatches(GetDownloadFileLenth(entry.url), config.size);
      if (entry.ok) cdn = entry;
      all.push_back(entry);
      continue;
    }
    std::uint32_t rtt = 0;
    const bool answered = CheckPing(entry.url, rtt);
    entry.pingTime = answered ? rtt : 0;
    WriteLog("Download_CheckPing: ID(%d), Invalid(%s), time(%d).", i, TrueFalse(answered),
             static_cast<int>(entry.pingTime));
    std::string host;
    if (HostOfUrl(entry.url, host)) entry.host = host;
    all.push_back(entry);
    if (!answered) {
      entry.ok = false;
      continue;
    }
    entry.ok = SizeMatches(GetDownloadFileLenth(entry.url), config.size);
    if (entry.ok && !IsCdnUrl(entry.url)) {
      entry.networkNotFull = GetNetworkNotFull(entry.url);
      candidates.push_back(entry);
    }
    WriteLog("Download_CheckDownload: ID(%d), FileSizeConsistent(%s) NetworkNotFull(%s).", i, TrueFalse(entry.ok),
             TrueFalse(entry.networkNotFull));
  }

  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const UrlCfg& a, const UrlCfg& b) { return a.pingTime < b.pingTime; });
  std::vector<UrlCfg> used;
  for (const UrlCfg& candidate : candidates) {
    if (candidate.networkNotFull) used.push_back(candidate);
  }
  if (used.empty()) {
    WriteLog("Download_CheckDownload: Warring, m_vecUrlCfg.size() <= 0.");
    WriteLog("Download_CheckDownload: Using Ama now.");
    if (cdn) {
      used.push_back(*cdn);
      m_config.threadsPerUrl = DownloadConfig::kCdnOnlyThreadsPerUrl;
      m_threadsPerUrl.store(DownloadConfig::kCdnOnlyThreadsPerUrl);
    } else {
      WriteLog("Download_CheckDownload: ERROR : con't find Ama now.");
    }
  } else if (used.size() <= 2) {
    WriteLog("Download_CheckDownload: Warring, m_vecUrlCfg.size() <= 2.");
    if (cdn) {
      used.push_back(*cdn);
      WriteLog("Download_CheckDownload: Add Ama now.");
    } else {
      WriteLog("Download_CheckDownload: Add Ama fail.");
    }
  }
  if (used.size() > kMaxUsedMirrors) used.resize(kMaxUsedMirrors);

  const bool usable = !used.empty();
  std::lock_guard lock(m_urlMutex);
  m_vecUrlCfg = std::move(used);
  m_allUrlCfg = std::move(all);
  if (cdn) m_cdnCfg = *cdn;
  return usable ? S_OK : E_FAIL;
}

}  // namespace orvane
