// The olive executable: simulates one weather station for a span of dates.
#include "driver/run.h"

int main(int argc, char** argv) {
  return olive::RunOlive(argc, argv);
}
