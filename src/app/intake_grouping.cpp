// Which employer each file under the IS root belongs to: by the registration number in its name,
// else by the one it declares; each file once, and every file not given to an employer named.
#include "app/intake_grouping.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "app/command_line.h"
#include "app/intake_looking.h"
#include "base/strings.h"

namespace zz {

namespace fs = std::filesystem;

namespace {

bool Within(const fs::path& path, const fs::path& dir) {
  if (dir.empty()) return false;
  auto [d, p] = std::mismatch(dir.begin(), dir.end(), path.begin(), path.end());
  return d == dir.end();
}

bool HasExtension(const fs::path& file, std::string_view ext) { return SameTextCI(file.extension().string(), ext); }

std::string KindReason(fs::file_type type) {
  switch (type) {
    case fs::file_type::fifo: return "канал (FIFO), а не файл: не читается";
    case fs::file_type::socket: return "сокет, а не файл: не читается";
    case fs::file_type::block:
    case fs::file_type::character: return "устройство, а не файл: не читается";
    default: return "не обычный файл: не читается";
  }
}

using TIdentity = std::pair<dev_t, ino_t>;

// The walk over the root: each regular file once, by its identity, under the path that shows it best.
class TWalk {
 public:
  TWalk(fs::path root, fs::path exclude) : fRoot(std::move(root)), fExclude(std::move(exclude)) {}

  void Dir(const fs::path& dir) {
    struct stat st {};
    if (stat(dir.c_str(), &st) == 0 && !fDirs.insert({st.st_dev, st.st_ino}).second) {
      Pass(dir, "каталог уже просмотрен по другому пути");
      return;
    }
    std::error_code ec;
    // Another intake's report root holds its protocols and copies of archives' entries.
    if (dir != fRoot && fs::exists(dir / ".intake" / "manifest.tsv", ec)) {
      Pass(dir, "корень отчётов другой сверки: не читается как ИС");
      return;
    }
    fs::directory_iterator it(dir, ec), end;
    if (ec) {
      Pass(dir, "каталог не читается: " + ec.message());
      return;
    }
    std::vector<fs::path> subdirs;
    for (; it != end; it.increment(ec)) {
      std::error_code e2;
      const fs::path& path = it->path();
      const fs::file_status s = it->symlink_status(e2);
      if (fs::is_directory(s)) {
        if (!Within(path, fExclude)) subdirs.push_back(path);
      } else if (fs::is_symlink(s)) {
        Link(path);
      } else if (fs::is_regular_file(s)) {
        File(path, path, false);
      } else {
        Pass(path, e2 ? "не читается: " + e2.message() : KindReason(s.type()));
      }
    }
    if (ec) Pass(dir, "каталог прочитан не полностью: " + ec.message());
    for (const fs::path& sub : subdirs) Dir(sub);
  }

  // The files found, each under one path; what else reached them is passed over.
  std::vector<fs::path> Files() {
    std::vector<fs::path> files;
    for (auto& [identity, paths] : fPaths) {
      // A file's own path before a link to it.
      auto best = std::min_element(paths.begin(), paths.end(), [](const auto& a, const auto& b) {
        return std::tie(a.second, a.first) < std::tie(b.second, b.first);
      });
      files.push_back(best->first);
      for (const auto& p : paths)
        if (p.first != best->first) Pass(p.first, "тот же файл, что и " + best->first.string() + ": взят один раз");
    }
    return files;
  }

  std::vector<TUnassignedFile> Passed;

 private:
  void Pass(const fs::path& path, std::string reason) { Passed.push_back({path, std::move(reason)}); }

  void File(const fs::path& shown, const fs::path& real, bool viaLink) {
    struct stat st {};
    if (stat(real.c_str(), &st) != 0) {
      Pass(shown, "не читается");
      return;
    }
    fPaths[{st.st_dev, st.st_ino}].push_back({shown, viaLink});
  }

  void Link(const fs::path& path) {
    std::error_code ec;
    const fs::path target = fs::canonical(path, ec);
    if (ec) {
      Pass(path, ec == std::errc::no_such_file_or_directory ? "ссылка никуда не ведёт"
                                                            : "ссылка не раскрывается: " + ec.message());
      return;
    }
    if (!Within(target, fRoot)) {
      Pass(path, "ссылка ведёт за пределы корня ИС: " + target.string());
      return;
    }
    if (Within(target, fExclude)) {
      Pass(path, "ссылка ведёт в корень отчётов");
      return;
    }
    const fs::file_status s = fs::status(target, ec);
    if (fs::is_directory(s))
      Pass(path, "ссылка на каталог " + target.string() + ": не просматривается, его файлы берутся по их путям");
    else if (fs::is_regular_file(s))
      File(path, target, true);
    else
      Pass(path, KindReason(s.type()));
  }

  fs::path fRoot, fExclude;
  std::set<TIdentity> fDirs;
  std::map<TIdentity, std::vector<std::pair<fs::path, bool>>> fPaths;
};

class TGrouping {
 public:
  std::map<std::string, TIntakeEmployer> Employers;
  std::vector<TUnassignedFile> Unassigned;

  void Take(const fs::path& file) {
    const std::string number = RegNumInFileName(file.filename().string());
    if (HasExtension(file, ".zip")) return Archive(file, number);
    if (!number.empty()) return Whole(number, file);
    if (!HasExtension(file, ".xml")) return Unassign(file, "не XML и не архив");
    // Only a file whose name holds no number is read here.
    TDeclaredRegNum declared = RegNumOfXmlFile(file);
    if (declared.RegNum.empty()) return Unassign(file, declared.Problem);
    Whole(declared.RegNum, file);
  }

 private:
  void Whole(const std::string& number, const fs::path& file) { Of(number).Files.push_back(file); }
  void Unassign(const fs::path& path, std::string reason) { Unassigned.push_back({path, std::move(reason)}); }
  TIntakeEmployer& Of(const std::string& number) {
    TIntakeEmployer& e = Employers[number];
    e.RegNum = number;
    return e;
  }

  // An archive named for an employer is that employer's but for the entries of others, which go to
  // theirs; one named for none is split by its entries. Each run gets only its own entries.
  void Archive(const fs::path& archive, const std::string& named) {
    TArchiveLook look = LookIntoArchive(archive);
    std::map<std::string, std::vector<const TArchiveEntryLook*>> byOwner;
    std::vector<std::pair<const TArchiveEntryLook*, std::string>> left;  // no owner, and why
    for (const TArchiveEntryLook& e : look.Entries) {
      switch (e.Kind) {
        case TArchiveEntryLook::kXml:
          if (!e.RegNum.empty())
            byOwner[e.RegNum].push_back(&e);
          else if (!named.empty())
            byOwner[named].push_back(&e);
          else
            left.push_back({&e, e.Problem});
          break;
        case TArchiveEntryLook::kArchive: left.push_back({&e, "архив внутри архива не распаковывается"}); break;
        case TArchiveEntryLook::kLink: left.push_back({&e, "ссылки из архива не распаковываются"}); break;
        case TArchiveEntryLook::kOther:
          if (named.empty()) left.push_back({&e, "не XML и не архив"});
          break;
      }
    }
    const bool damaged = look.Failure.has_value();
    if (!named.empty() && (damaged || byOwner.empty() || (byOwner.size() == 1 && byOwner.count(named)))) {
      // Its run reads it whole and names in its protocol whatever of it cannot be read.
      Whole(named, archive);
      byOwner.erase(named);
      left.clear();
    } else if (named.empty() && byOwner.size() == 1 && left.empty() && !damaged) {
      Whole(byOwner.begin()->first, archive);
      byOwner.clear();
    }
    for (const auto& [owner, entries] : byOwner) {
      for (const TArchiveEntryLook* e : entries) {
        Of(owner).Entries.push_back({archive, e->Name, e->Number});
        if (!named.empty() && owner != named)
          Unassign(archive / e->Name,
                   "файл работодателя " + owner + " в архиве работодателя " + named + ": сверяется с " + owner);
      }
    }
    for (const auto& [e, why] : left) Unassign(archive / e->Name, why);
    if (damaged && named.empty()) Unassign(archive, look.Failure->Text);
    if (look.Entries.empty() && !damaged && named.empty()) Unassign(archive, "в архиве нет файлов");
  }
};

}  // namespace

std::vector<fs::path> InputFiles(const TIntakeEmployer& employer) {
  std::vector<fs::path> files = employer.Files;
  for (const TIntakeEntry& e : employer.Entries)
    if (std::find(files.begin(), files.end(), e.Archive) == files.end()) files.push_back(e.Archive);
  return files;
}

TIntakeGroups GroupIntakeFiles(const fs::path& root, const fs::path& exclude) {
  std::error_code ec;
  fs::path top = fs::weakly_canonical(root, ec);
  if (ec) top = root;
  const fs::path excluded = exclude.empty() ? fs::path() : fs::weakly_canonical(exclude, ec);
  TWalk walk(top, excluded);
  walk.Dir(top);
  TGrouping grouping;
  for (const fs::path& file : walk.Files()) grouping.Take(file);

  TIntakeGroups groups;
  for (auto& [number, employer] : grouping.Employers) {
    std::sort(employer.Files.begin(), employer.Files.end());
    std::sort(employer.Entries.begin(), employer.Entries.end(), [](const TIntakeEntry& x, const TIntakeEntry& y) {
      return std::tie(x.Archive, x.Number) < std::tie(y.Archive, y.Number);
    });
    groups.Employers.push_back(std::move(employer));
  }
  groups.Unassigned = std::move(grouping.Unassigned);
  groups.Unassigned.insert(groups.Unassigned.end(), walk.Passed.begin(), walk.Passed.end());
  std::sort(groups.Unassigned.begin(), groups.Unassigned.end(),
            [](const TUnassignedFile& a, const TUnassignedFile& b) { return a.Path < b.Path; });
  return groups;
}

}  // namespace zz
