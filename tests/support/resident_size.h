#pragma once

#include <unistd.h>

#include <cstdio>

namespace vornix::testing {

// The resident size of this process in bytes, 0 when it cannot be read.
inline long long residentBytes() {
  long long pages = 0, resident = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%lld %lld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * sysconf(_SC_PAGESIZE);
}

}  // namespace vornix::testing
