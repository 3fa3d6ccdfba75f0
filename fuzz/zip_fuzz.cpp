// Zip extraction: any bytes as an archive found in the IS directory. The archive is unpacked,
// partly unpacked or refused; whatever was kept lies inside the target directory, exactly the files
// reported are there, and the run's byte count matches what is kept.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/utils.h"
#include "fuzz_support.h"
#include "search/zip_unpack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace fs = std::filesystem;
  const fs::path archive = zz::fuzz::ScratchDir() / "in.zip";
  const fs::path target = zz::fuzz::ScratchDir() / "Temp";
  zz::fuzz::WriteBytes(archive, std::string_view(reinterpret_cast<const char*>(data), size));
  zz::TUnpackLimits limits;
  limits.MaxEntries = 64;
  limits.MaxRunBytes = 1 << 20;
  uint64_t runBytes = 0;
  zz::TUnpackResult result = zz::UnpackZip(archive, target, limits, runBytes);
  std::error_code ec;
  size_t present = 0;
  uint64_t bytes = 0;
  for (fs::recursive_directory_iterator it(target, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_directory()) continue;
    zz::fuzz::Expect(it->is_regular_file(), "only regular files are written");
    bytes += it->file_size();
    ++present;
  }
  zz::fuzz::Expect(present == result.Files.size(), "the files kept are the files reported");
  zz::fuzz::Expect(bytes == runBytes, "the run's count is what is kept");
  for (const fs::path& f : result.Files)
    zz::fuzz::Expect(f.string().starts_with(target.string() + "/"), "nothing outside the target");
  fs::remove_all(target, ec);
  return 0;
}
