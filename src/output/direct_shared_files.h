#pragma once
// The shared files of a working directory written at once, each change under the file's lock.
#include <filesystem>
#include <string_view>

#include "state/shared_files.h"

namespace olive {

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
};

}  // namespace olive
