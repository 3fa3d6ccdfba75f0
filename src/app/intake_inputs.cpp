// The inputs of an employer's run: content digests (XXH64), their cache, and the per-employer records.
#include "app/intake_inputs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "base/strings.h"
#include "base/utils.h"

namespace zz {

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kP1 = 0x9E3779B185EBCA87ULL;
constexpr uint64_t kP2 = 0xC2B2AE3D27D4EB4FULL;
constexpr uint64_t kP3 = 0x165667B19E3779F9ULL;
constexpr uint64_t kP4 = 0x85EBCA77C2B2AE63ULL;
constexpr uint64_t kP5 = 0x27D4EB2F165667C5ULL;

uint64_t Rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }
uint64_t Round(uint64_t acc, uint64_t input) { return Rotl(acc + input * kP2, 31) * kP1; }
uint64_t Merge(uint64_t acc, uint64_t v) { return (acc ^ Round(0, v)) * kP1 + kP4; }
uint64_t Read64(const unsigned char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
uint32_t Read32(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

int64_t Nanoseconds(const timespec& t) { return int64_t{t.tv_sec} * 1000000000 + t.tv_nsec; }

// A file changed within this long before it was read may change again with the same times (coarse
// file-system clocks): its digest serves this intake only.
constexpr int64_t kSettleNs = int64_t{2} * 1000000000;

std::optional<uint64_t> DigestOfFile(const fs::path& file, std::vector<char>& buf) {
  int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  TContentDigest digest;
  while (true) {
    ssize_t n = read(fd, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    digest.Update(buf.data(), static_cast<size_t>(n));
  }
  close(fd);
  return digest.Final();
}

std::string Hex(uint64_t v) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016" PRIx64, v);
  return buf;
}

const char* KindName(TInputsRecordKind kind) { return kind == TInputsRecordKind::Done ? "done" : "planned"; }

std::optional<TInputsRecordKind> KindOf(std::string_view name) {
  if (name == "done") return TInputsRecordKind::Done;
  if (name == "planned") return TInputsRecordKind::Planned;
  return std::nullopt;
}

std::string RecordLine(TInputsRecordKind kind, const std::string& regNum, const TInputsRecord& record) {
  return std::string("+") + KindName(kind) + '\t' + regNum + '\t' + std::to_string(record.ExitCode) + '\t' +
         EscapeTextField(record.Inputs) + '\n';
}

}  // namespace

TContentDigest::TContentDigest(uint64_t seed) : fV{seed + kP1 + kP2, seed + kP2, seed, seed - kP1}, fSeed(seed) {}

void TContentDigest::Update(const char* data, size_t size) {
  auto p = reinterpret_cast<const unsigned char*>(data);
  const unsigned char* end = p + size;
  fTotal += size;
  if (fBufSize + size < 32) {
    std::memcpy(fBuf + fBufSize, p, size);
    fBufSize += size;
    return;
  }
  if (fBufSize > 0) {
    size_t fill = 32 - fBufSize;
    std::memcpy(fBuf + fBufSize, p, fill);
    for (int i = 0; i < 4; ++i) fV[i] = Round(fV[i], Read64(fBuf + 8 * i));
    p += fill;
    fBufSize = 0;
  }
  for (; p + 32 <= end; p += 32)
    for (int i = 0; i < 4; ++i) fV[i] = Round(fV[i], Read64(p + 8 * i));
  fBufSize = static_cast<size_t>(end - p);
  std::memcpy(fBuf, p, fBufSize);
}

uint64_t TContentDigest::Final() const {
  uint64_t h;
  if (fTotal >= 32) {
    h = Rotl(fV[0], 1) + Rotl(fV[1], 7) + Rotl(fV[2], 12) + Rotl(fV[3], 18);
    for (uint64_t v : fV) h = Merge(h, v);
  } else {
    h = fSeed + kP5;
  }
  h += fTotal;
  const unsigned char* p = fBuf;
  const unsigned char* end = fBuf + fBufSize;
  for (; p + 8 <= end; p += 8) h = Rotl(h ^ Round(0, Read64(p)), 27) * kP1 + kP4;
  if (p + 4 <= end) {
    h = Rotl(h ^ (uint64_t{Read32(p)} * kP1), 23) * kP2 + kP3;
    p += 4;
  }
  for (; p < end; ++p) h = Rotl(h ^ (*p * kP5), 11) * kP1;
  h ^= h >> 33;
  h *= kP2;
  h ^= h >> 29;
  h *= kP3;
  h ^= h >> 32;
  return h;
}

TDigestCache::TDigestCache(fs::path file) : fFile(std::move(file)) {
  std::ifstream in(fFile, std::ios::binary);
  std::string key, digest;
  TEntry e;
  while (in >> key >> e.Size >> e.MTime >> e.CTime >> digest) {
    char* end = nullptr;
    e.Digest = std::strtoull(digest.c_str(), &end, 16);
    if (end && *end == '\0' && digest.size() == 16) fEntries[key] = e;
  }
}

std::optional<std::string> TDigestCache::Fingerprint(const fs::path& file) {
  struct stat st {};
  if (stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  const std::string key = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
  const int64_t mtime = Nanoseconds(st.st_mtim), ctime = Nanoseconds(st.st_ctim);
  auto it = fEntries.find(key);
  if (it == fEntries.end() || it->second.Size != st.st_size || it->second.MTime != mtime || it->second.CTime != ctime) {
    // One buffer for every file: a fresh one each time costs more in page faults than the reading.
    if (fBuffer.empty()) fBuffer.resize(size_t{256} << 10);
    std::optional<uint64_t> digest = DigestOfFile(file, fBuffer);
    if (!digest) return std::nullopt;
    const int64_t now =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    it = fEntries.insert_or_assign(key, TEntry{st.st_size, mtime, ctime, *digest, false, now - ctime >= kSettleNs})
             .first;
  }
  it->second.Used = true;
  return std::to_string(st.st_size) + " " + Hex(it->second.Digest);
}

void TDigestCache::Save() const {
  std::string text;
  for (const auto& [key, e] : fEntries)
    if (e.Used && e.Keep)
      text += key + " " + std::to_string(e.Size) + " " + std::to_string(e.MTime) + " " + std::to_string(e.CTime) + " " +
              Hex(e.Digest) + "\n";
  std::error_code ec;
  fs::create_directories(fFile.parent_path(), ec);
  WriteFileAtomically(fFile, text, TDurability::Cached);
}

std::string InputsText(TDigestCache& cache, const TIntakeEmployer& employer) {
  std::string text;
  // An archive shared with other employers counts whole: any change to it redoes each of them.
  for (const fs::path& file : InputFiles(employer)) {
    std::optional<std::string> fingerprint = cache.Fingerprint(file);
    text += (fingerprint ? *fingerprint : std::string("- -")) + "\t" + EscapeControlChars(file.string()) + "\n";
  }
  for (const TIntakeEntry& entry : employer.Entries)
    text += "entry\t" + EscapeControlChars(entry.Shown().string()) + "\n";
  return text;
}

bool IsVerdictCode(int code) {
  switch (code) {
    case 0:
    case 1:
    case 10:
    case 11:
    case 12:
    case 22:
    case 23:
    case 25:
    case 30: return true;
  }
  return false;
}

TInputsRecords::TInputsRecords(const TIntakeLayout& layout) : fFile(layout.WorkDir() / "inputs.log") {
  std::string text;
  try {
    text = ReadFileBytes(fFile, size_t{1} << 30);
  } catch (const std::exception&) {
    return;  // none yet, or unreadable: nothing is current
  }
  size_t pos = 0;
  while (true) {
    const size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) break;  // a line without its end was cut while written
    const std::string_view line(text.data() + pos, nl - pos);
    pos = nl + 1;
    ++fLines;
    if (line.empty()) continue;
    const std::vector<std::string> fields = Split(std::string(line.substr(1)), '\t');
    const std::optional<TInputsRecordKind> kind = KindOf(fields[0]);
    if (!kind) continue;
    if (line[0] == '-' && fields.size() == 1) {
      std::erase_if(fRecords, [&](const auto& entry) { return entry.first.first == *kind; });
      continue;
    }
    if (fields.size() < 2 || !IsRegNumForm(fields[1])) continue;
    if (line[0] == '-' && fields.size() == 2) {
      fRecords.erase({*kind, fields[1]});
      continue;
    }
    TInputsRecord record;
    if (line[0] != '+' || fields.size() != 4 || !TryParseInt(fields[2], record.ExitCode)) continue;
    record.Inputs = UnescapeTextField(fields[3]);
    fRecords[{*kind, fields[1]}] = std::move(record);
  }
}

std::optional<TInputsRecord> TInputsRecords::Find(const std::string& regNum, TInputsRecordKind kind) const {
  auto it = fRecords.find({kind, regNum});
  if (it == fRecords.end()) return std::nullopt;
  return it->second;
}

void TInputsRecords::Write(const std::string& regNum, TInputsRecordKind kind, const TInputsRecord& record) {
  fRecords[{kind, regNum}] = record;
  Append(RecordLine(kind, regNum, record));
}

void TInputsRecords::Remove(const std::string& regNum, TInputsRecordKind kind) {
  if (fRecords.erase({kind, regNum}) == 0) return;
  Append(std::string("-") + KindName(kind) + '\t' + regNum + '\n');
}

void TInputsRecords::RemoveAllDone() {
  std::erase_if(fRecords, [](const auto& entry) { return entry.first.first == TInputsRecordKind::Done; });
  Append("-done\n");
}

void TInputsRecords::Compact() {
  if (fLines > 2 * fRecords.size() + 64) Rewrite();
}

void TInputsRecords::Append(const std::string& line) {
  // Appended by this intake alone (the report root is locked); not flushed to disk, as a lost line
  // only makes the next intake redo an employer.
  std::error_code ec;
  fs::create_directories(fFile.parent_path(), ec);
  int fd = open(fFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  size_t done = 0;
  while (done < line.size()) {
    ssize_t n = write(fd, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  ++fLines;
}

void TInputsRecords::Rewrite() {
  std::string text;
  for (const auto& [key, record] : fRecords) text += RecordLine(key.first, key.second, record);
  try {
    WriteFileAtomically(fFile, text, TDurability::Cached);
    fLines = fRecords.size();
  } catch (const std::exception&) {
    // The old journal stays; its lines still say what they said.
  }
}

}  // namespace zz
