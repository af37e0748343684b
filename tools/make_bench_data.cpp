// make_bench_data FOLDER: writes the benchmarks' logs and logbook reply into FOLDER.
#include <cstdio>

#include "tools/bench_data.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_bench_data FOLDER\n");
    return 2;
  }
  return WriteBenchData(argv[1]) ? 0 : 1;
}
