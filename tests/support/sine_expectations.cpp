#include "support/sine_expectations.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>

std::vector<SineExpectation> read_sine_expectations() {
  std::vector<SineExpectation> out;
  std::FILE *file = std::fopen(WAVEFX_SINE_EXPECTATIONS, "r");
  if (!file) {
    ADD_FAILURE() << "cannot read " << WAVEFX_SINE_EXPECTATIONS;
    return out;
  }
  char line[256];
  while (std::fgets(line, sizeof line, file)) {
    if (line[0] == '#' || line[0] == '\n') continue;
    uint64_t x, s, c;
    if (std::sscanf(line, "%" SCNx64 " %" SCNx64 " %" SCNx64, &x, &s, &c) != 3) {
      ADD_FAILURE() << "bad line in " << WAVEFX_SINE_EXPECTATIONS << ": " << line;
      break;
    }
    out.push_back({from_bits(x), from_bits(s), from_bits(c)});
  }
  std::fclose(file);
  return out;
}
