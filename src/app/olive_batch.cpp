// The olive-batch executable: many weather stations in parallel, with the files of sequential
// runs; with --mpi, one rank of an MPI job (when built with MPI); with --netcdf, the cells of
// NetCDF files (when built with the NetCDF library).
#include <memory>
#include <string>
#include <vector>

#include "driver/batch.h"
#include "driver/program_info.h"
#ifdef OLIVE_WITH_MPI
#include "driver/batch_mpi.h"
#endif
#ifdef OLIVE_HAVE_NETCDF
#include "wxsource/netcdf_source.h"
#include "wxsource/netcdf_writer.h"
#endif

namespace {

#ifdef OLIVE_HAVE_NETCDF
// A gridded batch reads its cells in blocks of at most this many bytes of series, two or three
// blocks in memory at a time. Files chunked by time step (the usual layout of climate data) are
// read whole for each block: larger blocks read them fewer times.
constexpr std::size_t kBatchBlockBytes = std::size_t{64} << 20;

olive::GriddedIo NetcdfIo() {
  olive::GriddedIo io;
  io.openWeather = [](olive::ErrorSink& log, const std::vector<std::string>& files,
                      const std::string& prefix) -> std::unique_ptr<olive::WxSeriesSource> {
    auto source = std::make_unique<olive::NetcdfSource>();
    olive::NetcdfOptions options;
    options.prefix = prefix;
    options.blockBytes = kBatchBlockBytes;
    if (!source->Open(log, files, options)) return nullptr;
    return source;
  };
  io.makeWriter = [](olive::ErrorSink& log, const olive::WxSeriesSource& source,
                     const std::filesystem::path& path,
                     const olive::GridOutputInfo& info) -> std::unique_ptr<olive::GridWriter> {
    // The source is the one openWeather made.
    return olive::MakeNetcdfGridWriter(log, static_cast<const olive::NetcdfSource&>(source), path,
                                       info);
  };
  return io;
}
#else
olive::GriddedIo NetcdfIo() {
  return {};
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const auto code = olive::HandleInfoOptions("olive-batch", args, olive::BatchUsage())) {
    return *code;
  }
  const olive::GriddedIo gridded = NetcdfIo();
#ifdef OLIVE_WITH_MPI
  if (olive::AsksForMpi(args)) {
    // MPI starts before anything else, and ends after the batch's last message.
    olive::MpiLink ranks(&argc, &argv);
    return olive::RunOliveBatch(args, &ranks, &gridded);
  }
#endif
  return olive::RunOliveBatch(args, nullptr, &gridded);
}
