// Zip extraction: any bytes as an archive found in the IS directory. The archive is unpacked or
// refused; whatever was written lies directly in the target directory, and a refused archive
// leaves nothing behind.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "search/zip_unpack.h"
#include "settings/utils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace fs = std::filesystem;
  const fs::path archive = zz::fuzz::ScratchDir() / "in.zip";
  const fs::path target = zz::fuzz::ScratchDir() / "Temp";
  zz::fuzz::WriteBytes(archive, std::string_view(reinterpret_cast<const char*>(data), size));
  zz::TUnpackLimits limits;
  limits.MaxEntries = 64;
  limits.MaxTotalBytes = 1 << 20;
  zz::TUnpackResult result = zz::UnpackZipFlat(archive, target, limits);
  std::error_code ec;
  size_t present = 0;
  for (fs::directory_iterator it(target, ec), end; !ec && it != end; it.increment(ec)) {
    zz::fuzz::Expect(it->is_regular_file(), "only regular files are written");
    ++present;
  }
  zz::fuzz::Expect(result.Ok || present == 0, "a refused archive leaves nothing");
  zz::fuzz::Expect(!result.Ok || present == result.Files.size(), "the files written are the files reported");
  for (const fs::path& f : result.Files) zz::fuzz::Expect(f.parent_path() == target, "flat extraction");
  zz::ClearAndRemoveDirectory(target);
  return 0;
}
