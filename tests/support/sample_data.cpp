#include "support/sample_data.h"

#include <random>

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);  // the engine's output is fixed by the standard
  std::string bytes(size, '\0');
  for (char& b : bytes) b = static_cast<char>(generator() & 0xFF);
  return bytes;
}

std::string RepetitiveBytes(std::size_t size) {
  std::string bytes;
  while (bytes.size() < size) bytes += "Setup data, repeated; ";
  bytes.resize(size);
  return bytes + std::string(5000, ' ') + std::string(3000, '\0');
}

const std::vector<NamedBytes>& SzddInputs() {
  static const std::vector<NamedBytes> inputs = {
      {"empty", ""},
      {"one byte", "x"},
      {"tiny", "abcabcab"},
      {"repetitive", RepetitiveBytes(200000)},
      {"random", RandomBytes(1 << 20, 7)},
  };
  return inputs;
}
