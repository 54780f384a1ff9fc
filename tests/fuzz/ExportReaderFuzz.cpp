// libFuzzer target of the export-file reader: any bytes as an export file, imported into an in-memory cache.
// The reader must not crash, read outside a record, or do anything but add cache entries.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "operations/ExportFile.h"
#include "operations/ImportCache.h"
#include "tests/fakes/FakeServices.h"
#include "tests/fakes/FakeUrlCache.h"

namespace {

const std::filesystem::path& ExportPath() {
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("hoardscope-fuzz-" + std::to_string(::getpid()) + ".hef");
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace hoardscope;
  {
    std::ofstream file(ExportPath(), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  TFakeUrlCache cache;
  TFakeClock clock;
  TCacheImporter importer(cache, clock);
  const TImportResult result = importer.ImportExportFile(ExportPath().string());
  if (result.Truncated != (size % kExportRecordSize != 0)) __builtin_trap();
  if (result.Count > static_cast<int>(size / kExportRecordSize)) __builtin_trap();
  // Every record decodes within its own bytes, whatever they hold.
  for (std::size_t offset = 0; offset + kExportRecordSize <= size; offset += kExportRecordSize) {
    std::span<const char, kExportRecordSize> record(reinterpret_cast<const char*>(data) + offset, kExportRecordSize);
    const TExportRecord decoded = DecodeExportRecord(record);
    if (decoded.FileName.size() > kFileNameField || decoded.URL.size() > kUrlField ||
        decoded.Headers.size() > kHeadersField) {
      __builtin_trap();
    }
    (void)SystemTimeFromDateTime(decoded.SyncTime);
  }
  return 0;
}
