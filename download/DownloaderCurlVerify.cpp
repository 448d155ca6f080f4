// Verification of the in-memory image against the descriptor's digests, and
// repair of the 1 MiB chunks that differ by fetching them again from another
// mirror. Each chunk is checked as soon as its last byte is stored, so that a
// bad one is fetched again while the rest still arrives; the final check of the
// whole image decides. Runs under the file lock, on a segment thread (or on the
// dispatcher thread for the final check of a stopped download).
#include <algorithm>
#include <cstring>
#include <vector>

#include "app/Log.h"
#include "download/DownloaderCurl.h"
#include "download/Md5.h"

namespace orvane {
namespace {

constexpr std::uint32_t kChunkSize = DownloadConfig::kChunkSize;
// Checks that may find bad chunks and start repairs; the next failing check
// ends the download.
constexpr int kMaxRepairRounds = 4;
// Repairs of one chunk started while the download runs; a chunk still bad
// after that waits for the final check and its rounds.
constexpr std::uint8_t kMaxEarlyRepairs = 1;
constexpr std::size_t kDigestChars = 32;

}  // namespace

bool DownloaderCurl::Md5Hex(const void* data, std::size_t length, char* out, std::size_t outSize) {
  if (out == nullptr || outSize < kDigestChars) return false;
  std::memset(out, 0, outSize);
  const std::string digest = Md5::OfBuffer(data, length);
  std::memcpy(out, digest.data(), std::min(digest.size(), kDigestChars));
  return true;
}

std::uint32_t DownloaderCurl::ChunkCount() const {
  const std::uint64_t total = m_totalSize.load();
  return static_cast<std::uint32_t>((total + kChunkSize - 1) / kChunkSize);
}

bool DownloaderCurl::ChunkMatches(std::size_t chunk, std::uint32_t offset, std::uint32_t length) {
  char digest[64];
  Md5Hex(m_image.get() + offset, length, digest, sizeof(digest));
  return m_config.chunkHashes[chunk] == digest;
}

bool DownloaderCurl::CheckHash() {
  std::lock_guard<std::recursive_mutex> lock(m_fileMutex);
  if (!m_image) return false;
  const std::uint32_t total = m_totalSize.load();
  char digest[64];
  Md5Hex(m_image.get(), total, digest, sizeof(digest));
  if (m_config.fileHash == digest) return true;
  // A download that already stopped is only judged, never repaired.
  if (!m_running.load()) return false;
  m_badChunks.clear();  // this check finds and repairs every bad chunk itself

  // Chunks whose listed digest differs, as [start, end] ranges in chunk order.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> bad;
  std::uint64_t offset = 0;
  for (std::size_t i = 0; i < m_config.chunkHashes.size() && offset < total; ++i, offset += kChunkSize) {
    const auto length = static_cast<std::uint32_t>(std::min<std::uint64_t>(kChunkSize, total - offset));
    if (!ChunkMatches(i, static_cast<std::uint32_t>(offset), length)) {
      bad.emplace_back(static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(offset + length - 1));
      // A chunk that only one mirror wrote convicts that mirror.
      const std::set<std::string> writers = m_segments.ChunkWriters(i);
      if (writers.size() == 1) m_segments.MarkSuspect(*writers.begin());
    }
  }

  if (bad.empty()) {
    // Every listed chunk matches, yet the whole does not: the bytes no chunk
    // digest covers are wrong. Fetch those once more from another source.
    const std::uint32_t first = static_cast<std::uint32_t>(m_config.chunkHashes.size());
    if (m_undigestedRefetched || first >= ChunkCount()) {
      WriteLog("Download_CheckHash : file digest differs, every chunk digest matches.");
      EndFailed(DownloadResult::CheckHashError);
      return false;
    }
    m_undigestedRefetched = true;
    for (std::uint32_t c = first; c < ChunkCount(); ++c) {
      const std::uint64_t start = static_cast<std::uint64_t>(c) * kChunkSize;
      const std::uint64_t end = std::min<std::uint64_t>(start + kChunkSize, total) - 1;
      bad.emplace_back(static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end));
    }
  } else if (m_failedChecks >= kMaxRepairRounds) {
    WriteLog("Download_CheckHash : chunks still differ after %d repair rounds.", m_failedChecks);
    EndFailed(DownloadResult::RepairFailError);
    return false;
  } else {
    ++m_failedChecks;
  }

  bool noSource = false;
  for (const auto& [start, end] : bad) {
    if (Failed(RepairData(start, end))) noSource = true;
    m_repaired.store(true);
  }
  if (noSource) EndFailed(DownloadResult::RepairFailError);
  return false;
}

DownloadItem* DownloaderCurl::PickRepairSource(std::uint32_t start, std::uint32_t end, std::string& url, bool* sure) {
  DownloadItem* model = m_segments.Covering(start, end);
  const std::string modelUrl = model != nullptr ? model->url : std::string();
  if (model == nullptr) model = m_segments.Find(0);

  // Prefer a mirror that neither wrote into this chunk nor delivered a bad
  // chunk before; then one that is no known bad source (a sure choice when a
  // known bad source wrote into the chunk); then the CDN; last any mirror but
  // the covering segment's.
  std::set<std::string> suspects = m_segments.Suspects();
  const std::set<std::string> writers = m_segments.ChunkWriters(start / kChunkSize);
  bool culpritKnown = false;
  for (const std::string& writer : writers) culpritKnown = culpritKnown || suspects.count(writer) != 0;
  if (!modelUrl.empty()) suspects.insert(modelUrl);
  std::set<std::string> excluded = writers;
  excluded.insert(suspects.begin(), suspects.end());
  bool confident = true;
  bool found = GetBestURL(excluded, url);
  if (!found) {
    found = GetBestURL(suspects, url);
    confident = culpritKnown;
  }
  if (!found && suspects.count(m_cdnUrl) == 0) {
    found = TakeCdn("", url);
    confident = true;
  }
  if (!found) {
    found = GetBestURL(modelUrl, url) || TakeCdn(modelUrl, url);
    confident = false;
  }
  if (sure != nullptr) *sure = found && confident;
  return found ? model : nullptr;
}

HRESULT DownloaderCurl::RepairData(std::uint32_t start, std::uint32_t end) {
  std::string url;
  DownloadItem* model = PickRepairSource(start, end, url);
  if (model == nullptr) {
    WriteLog("Download_RepairData : GetBestURL error, start(%d), end(%d).", static_cast<int>(start),
             static_cast<int>(end));
    SetRepairLink("");
    return E_INVALIDARG;
  }
  SetRepairLink(url);
  DownloadItem* item = AddSegment(*model, url, start, end, true);
  WriteLog("Download_RepairData : GetBestURL Info, start(%d), end(%d), ID(%d).", static_cast<int>(start),
           static_cast<int>(end), item->id);
  return BeginDownloadItem(item);
}

void DownloaderCurl::CheckCompletedChunks(std::uint32_t offset, std::uint32_t length) {
  std::lock_guard<std::recursive_mutex> lock(m_fileMutex);
  if (!m_earlyChunkCheck.load() || !m_image) return;
  const std::uint32_t total = m_totalSize.load();
  for (const std::uint32_t chunk : m_coverage.Add(offset, length)) {
    if (chunk >= m_config.chunkHashes.size()) continue;  // no digest to check against
    const std::uint32_t start = chunk * kChunkSize;
    if (ChunkMatches(chunk, start, std::min(kChunkSize, total - start))) continue;
    const std::set<std::string> writers = m_segments.ChunkWriters(chunk);
    if (writers.size() == 1) m_segments.MarkSuspect(*writers.begin());
    // After repeated bad copies the final check decides.
    if (m_earlyRepairs[chunk] < kMaxEarlyRepairs) m_badChunks.insert(chunk);
  }
  // A bad chunk waits until a good source is known and has shown some speed;
  // every later write tries again.
  for (auto it = m_badChunks.begin(); it != m_badChunks.end();) {
    const std::uint32_t chunk = *it;
    const std::uint32_t start = chunk * kChunkSize;
    const std::uint32_t last = start + std::min(kChunkSize, total - start) - 1;
    // Only a source known to be good: while every candidate wrote into the
    // chunk and none is convicted, later chunks or the final check decide.
    std::string url;
    bool sure = false;
    if (PickRepairSource(start, last, url, &sure) == nullptr || !sure) {
      ++it;
      continue;
    }
    it = m_badChunks.erase(it);
    ++m_earlyRepairs[chunk];
    WriteLog("Download_CheckChunk : chunk(%u) differs from its digest, fetching it again.", chunk);
    m_coverage.Reopen(chunk);
    m_repaired.store(true);
    RepairData(start, last);
  }
}

}  // namespace orvane
