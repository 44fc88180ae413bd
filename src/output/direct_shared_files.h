#pragma once
// The shared files of a working directory written at once, each change under the file's lock.
//
// What every writer can rely on, also when runs go on at the same time or are killed at any point:
// each row is written whole (a failed write is undone, and a half line that a killed writer left
// is cut off before the next row); a file gets its header once, when it is new (absent or empty);
// a new GIS file is named in "GisFilesList.txt" before its first row is written, and no name is
// listed twice; and a row whose columns differ from the header of the file it would go to is
// refused.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "state/shared_files.h"

namespace olive {

// What became of a row.
enum class AppendOutcome : uint8_t {
  Written,
  Refused,  // the file's header has other columns than the row's run: reported
  Failed,   // the file or the list could not be opened or written: reported
};

// The files themselves, changed under their locks.
class DirectSharedFiles final : public SharedFiles {
 public:
  void OpenGisList(RunFiles& files) override;
  bool AppendRow(RunFiles& files, ErrorSink& log, const std::filesystem::path& workdir,
                 const TableAppend& row) override;
  void GetSoilWaterConditions(ErrorSink& log, std::string_view wxstation, WaterState& w,
                              bool& SoilWaterOk, const std::filesystem::path& workdir) override;
  bool GenerateSoilwater(ErrorSink& log, std::string_view wxstation, const WaterState& w,
                         const std::filesystem::path& workdir) override;

  // AppendRow with its outcome. Failures are reported to log and clear RunOk.
  static AppendOutcome Append(ErrorSink& log, const std::filesystem::path& workdir,
                              const TableAppend& row);
};

// The message for a file named name whose header (fileHeader, without its line end) differs from
// the header of the run that would append to it (runHeader, with or without its line end), naming
// the columns that only one of them has; empty when they are the same.
std::string HeaderMismatch(std::string_view name, std::string_view fileHeader,
                           std::string_view runHeader);

// Checks, before a run writes anything, that the file name in workdir, when it has a header, has
// the run's header. Otherwise reports HeaderMismatch, clears RunOk and returns false.
bool HeaderFits(ErrorSink& log, const std::filesystem::path& workdir, std::string_view name,
                std::string_view runHeader);

}  // namespace olive
