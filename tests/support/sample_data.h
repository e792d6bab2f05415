// Inputs for the SZDD tests, the same in every test target: the four kinds a
// compressor must handle.
#pragma once

#include <string>
#include <vector>

struct NamedBytes {
  const char* name;
  std::string bytes;
};

// Bytes from a fixed-seed engine, the same on every platform.
std::string RandomBytes(std::size_t size, unsigned seed);

// Text repeated to size, then runs of spaces and of zeros.
std::string RepetitiveBytes(std::size_t size);

// Empty, one byte, tiny, repetitive (about 200 KB), random (1 MiB).
const std::vector<NamedBytes>& SzddInputs();
