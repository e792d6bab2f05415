// What the package tool refuses or fails at; main prints the message and
// exits with 1.
#pragma once

#include <stdexcept>

struct ToolError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
