// The registration numbers inside files and archives without one in their names.
#include "app/intake_looking.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "app/command_line.h"
#include "base/strings.h"
#include "isdata/reg_num_head.h"
#include "search/zip_unpack.h"

namespace zz {

namespace fs = std::filesystem;

namespace {

TDeclaredRegNum Declared(const TRegNumHeadScan& scan) {
  if (scan.RegNum().empty()) return {{}, scan.Problem()};
  if (!IsRegNumForm(scan.RegNum()))
    return {{}, "регистрационный номер \"" + EscapeControlChars(scan.RegNum()) + "\" не по форме 000-000-000000"};
  return {scan.RegNum(), {}};
}

bool HasExtension(const std::string& name, std::string_view ext) {
  return name.size() >= ext.size() && SameTextCI(std::string_view(name).substr(name.size() - ext.size()), ext);
}

// The last part of an entry's path, as a file name of the staging folder.
std::string EntryFileName(const std::string& name) {
  const size_t slash = name.find_last_of("/\\");
  std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  return base == "." || base == ".." ? std::string() : base;
}

}  // namespace

TDeclaredRegNum RegNumOfXmlFile(const fs::path& file) {
  // Without blocking: a FIFO put in place of the file must not hold the intake.
  int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {{}, std::string("файл не открывается: ") + std::strerror(errno)};
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return {{}, "не является обычным файлом"};
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  TRegNumHeadScan scan;
  char buffer[64 * 1024];
  while (true) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const std::string why = std::string("ошибка чтения файла: ") + std::strerror(errno);
      close(fd);
      return {{}, why};
    }
    if (n == 0) {
      scan.Finish();
      break;
    }
    if (!scan.Feed(std::string_view(buffer, static_cast<size_t>(n)))) break;
  }
  close(fd);
  return Declared(scan);
}

TArchiveLook LookIntoArchive(const fs::path& archive) {
  TArchiveLook look;
  std::unique_ptr<TRegNumHeadScan> scan;
  auto finishScan = [&] {
    if (!scan) return;
    TDeclaredRegNum declared = Declared(*scan);
    look.Entries.back().RegNum = declared.RegNum;
    look.Entries.back().Problem = declared.Problem;
    scan.reset();
  };
  look.Failure = LookIntoZip(
      archive,
      [&](const TZipEntryInfo& info) -> TZipContentReader {
        finishScan();
        const bool xml = HasExtension(info.Name, ".xml"), zip = HasExtension(info.Name, ".zip");
        if (!info.File) {
          // Folders hold only names; a link named like a report is a report not read.
          if (xml || zip) look.Entries.push_back({info.Number, info.Name, TArchiveEntryLook::kLink, {}, {}});
          return nullptr;
        }
        TArchiveEntryLook entry{info.Number,
                                info.Name,
                                xml   ? TArchiveEntryLook::kXml
                                : zip ? TArchiveEntryLook::kArchive
                                      : TArchiveEntryLook::kOther,
                                RegNumInFileName(info.Name),
                                {}};
        look.Entries.push_back(entry);
        if (!xml || !entry.RegNum.empty()) return nullptr;
        scan = std::make_unique<TRegNumHeadScan>();
        return [&](std::string_view bytes, const std::string& damage) {
          if (!scan) return false;
          if (!damage.empty()) {
            scan.reset();
            look.Entries.back().Problem = "файл в архиве " + damage;
            return false;
          }
          if (bytes.empty()) {
            scan->Finish();
            return false;
          }
          return scan->Feed(bytes);
        };
      },
      TUnpackLimits{});
  finishScan();
  return look;
}

void StageArchiveEntries(const std::vector<TIntakeEntry>& entries, const fs::path& staging,
                         std::set<std::string>& taken, TStagedNames& names) {
  std::map<fs::path, std::vector<const TIntakeEntry*>> byArchive;
  for (const TIntakeEntry& e : entries) byArchive[e.Archive].push_back(&e);
  for (const auto& [archive, wanted] : byArchive) {
    std::map<size_t, const TIntakeEntry*> byNumber;
    for (const TIntakeEntry* e : wanted) byNumber[e->Number] = e;
    std::map<fs::path, const TIntakeEntry*> written;
    uint64_t bytes = 0;
    TUnpackResult result = UnpackZipEntries(
        archive,
        [&](const TZipEntryInfo& info) -> fs::path {
          auto it = byNumber.find(info.Number);
          // The same entry as grouped: an archive replaced since is not read in part.
          if (it == byNumber.end() || it->second->Name != info.Name) return {};
          std::string base = EntryFileName(info.Name);
          if (base.empty()) base = "файл_" + std::to_string(info.Number) + ".xml";
          std::string name = base;
          const fs::path b(base);
          for (int k = 2; !taken.insert(name).second; ++k)
            name = b.stem().string() + "_" + std::to_string(k) + b.extension().string();
          written[staging / name] = it->second;
          return staging / name;
        },
        TUnpackLimits{}, bytes);
    std::set<const TIntakeEntry*> staged;
    for (const fs::path& file : result.Files) {
      auto it = written.find(file);
      if (it == written.end()) continue;
      names.Shown[file.filename().string()] = it->second->Shown().string();
      staged.insert(it->second);
    }
    // What could not be unpacked is the run's damaged input: its protocol names it.
    std::map<std::string, std::string> refused;
    for (const TRefusedEntry& r : result.Refused) refused[r.Name] = r.Reason;
    for (const TIntakeEntry* e : wanted) {
      if (staged.count(e)) continue;
      auto r = refused.find(e->Name);
      names.Refused.emplace_back(e->Shown().string(), r != refused.end() ? r->second
                                                      : result.Failure   ? result.Failure->Text
                                                                       : "архив изменился после распределения");
    }
  }
}

}  // namespace zz
