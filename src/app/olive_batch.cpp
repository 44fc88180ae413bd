// The olive-batch executable: many weather stations in parallel, with the files of sequential
// runs; with --mpi, one rank of an MPI job (when built with MPI).
#include <string>
#include <vector>

#include "driver/batch.h"
#include "driver/program_info.h"
#ifdef OLIVE_WITH_MPI
#include "driver/batch_mpi.h"
#endif

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const auto code = olive::HandleInfoOptions("olive-batch", args, olive::BatchUsage())) {
    return *code;
  }
#ifdef OLIVE_WITH_MPI
  if (olive::AsksForMpi(args)) {
    // MPI starts before anything else, and ends after the batch's last message.
    olive::MpiLink ranks(&argc, &argv);
    return olive::RunOliveBatch(args, &ranks);
  }
#endif
  return olive::RunOliveBatch(args);
}
