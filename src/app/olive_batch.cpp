// The olive-batch executable: many weather stations in parallel, with the files of sequential
// runs.
#include "driver/batch.h"

int main(int argc, char** argv) {
  return olive::RunOliveBatch(argc, argv);
}
