#pragma once
// The ranks of an MPI job as olive-batch talks to them (RankLink, driver/batch.h), over MPI.
// Built into olive-batch only, and only where an MPI implementation was found.
#include <string>
#include <vector>

#include "driver/batch.h"

namespace olive {

// Starts MPI (every rank's threads run stations, only the main thread talks: MPI_THREAD_FUNNELED)
// and ends it when destroyed.
class MpiLink final : public RankLink {
 public:
  MpiLink(int* argc, char*** argv);
  ~MpiLink() override;
  MpiLink(const MpiLink&) = delete;
  MpiLink& operator=(const MpiLink&) = delete;

  int Rank() const override { return rank_; }
  int Size() const override { return size_; }
  std::vector<std::string> Gather(const std::string& mine) override;
  std::string Broadcast(const std::string& text) override;
  void Send(int to, int tag, const std::string& bytes) override;
  bool Receive(int& from, int& tag, std::string& bytes) override;
  [[noreturn]] void Abort(int code) override;

 private:
  int rank_ = 0;
  int size_ = 1;
};

}  // namespace olive
