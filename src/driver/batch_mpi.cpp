#include "driver/batch_mpi.h"

#include <mpi.h>

#include <cstdio>
#include <cstdlib>

namespace olive {

MpiLink::MpiLink(int* argc, char*** argv) {
  int provided = 0;
  MPI_Init_thread(argc, argv, MPI_THREAD_FUNNELED, &provided);
  if (provided < MPI_THREAD_FUNNELED) {
    std::fprintf(stderr, "olive-batch: this MPI cannot run threads beside MPI calls\n");
    MPI_Abort(MPI_COMM_WORLD, 3);
  }
  MPI_Comm_rank(MPI_COMM_WORLD, &rank_);
  MPI_Comm_size(MPI_COMM_WORLD, &size_);
}

MpiLink::~MpiLink() {
  MPI_Finalize();
}

std::vector<std::string> MpiLink::Gather(const std::string& mine) {
  int length = static_cast<int>(mine.size());
  std::vector<int> lengths(rank_ == 0 ? static_cast<std::size_t>(size_) : 0);
  MPI_Gather(&length, 1, MPI_INT, lengths.data(), 1, MPI_INT, 0, MPI_COMM_WORLD);
  std::vector<int> offsets(lengths.size());
  int total = 0;
  for (std::size_t r = 0; r < lengths.size(); ++r) {
    offsets[r] = total;
    total += lengths[r];
  }
  std::string all(static_cast<std::size_t>(total), '\0');
  MPI_Gatherv(mine.data(), length, MPI_CHAR, all.data(), lengths.data(), offsets.data(), MPI_CHAR,
              0, MPI_COMM_WORLD);
  std::vector<std::string> texts;
  for (std::size_t r = 0; r < lengths.size(); ++r) {
    texts.push_back(
        all.substr(static_cast<std::size_t>(offsets[r]), static_cast<std::size_t>(lengths[r])));
  }
  return texts;
}

std::string MpiLink::Broadcast(const std::string& text) {
  int length = static_cast<int>(text.size());
  MPI_Bcast(&length, 1, MPI_INT, 0, MPI_COMM_WORLD);
  std::string out = rank_ == 0 ? text : std::string(static_cast<std::size_t>(length), '\0');
  MPI_Bcast(out.data(), length, MPI_CHAR, 0, MPI_COMM_WORLD);
  return out;
}

void MpiLink::Send(int to, int tag, const std::string& bytes) {
  MPI_Send(bytes.data(), static_cast<int>(bytes.size()), MPI_BYTE, to, tag, MPI_COMM_WORLD);
}

bool MpiLink::Receive(int& from, int& tag, std::string& bytes) {
  int arrived = 0;
  MPI_Status status;
  MPI_Iprobe(MPI_ANY_SOURCE, MPI_ANY_TAG, MPI_COMM_WORLD, &arrived, &status);
  if (arrived == 0) return false;
  int count = 0;
  MPI_Get_count(&status, MPI_BYTE, &count);
  bytes.assign(static_cast<std::size_t>(count), '\0');
  from = status.MPI_SOURCE;
  tag = status.MPI_TAG;
  MPI_Recv(bytes.data(), count, MPI_BYTE, from, tag, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
  return true;
}

void MpiLink::Abort(int code) {
  std::fflush(stdout);
  std::fflush(stderr);
  MPI_Abort(MPI_COMM_WORLD, code);
  std::exit(code);
}

}  // namespace olive
