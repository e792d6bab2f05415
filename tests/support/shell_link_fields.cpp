#include <iterator>
#include <sstream>

#include "support/shell_link_reader.h"

namespace {

const char* const kKeys[] = {"target", "working directory", "arguments", "description", "icon", "icon index"};
constexpr std::size_t kKeyCount = std::size(kKeys);

}  // namespace

std::string DescribeShellLink(const ShellLinkFields& fields) {
  const std::string values[kKeyCount] = {fields.target,      fields.workingDirectory, fields.arguments,
                                         fields.description, fields.icon,             std::to_string(fields.iconIndex)};
  std::string text;
  for (std::size_t i = 0; i < kKeyCount; ++i) text += std::string(kKeys[i]) + ": " + values[i] + "\n";
  return text;
}

bool ParseShellLinkDescription(const std::string& text, ShellLinkFields* fields) {
  std::string values[kKeyCount];
  bool seen[kKeyCount] = {};
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::size_t colon = line.find(": ");
    std::size_t key = 0;
    while (key < kKeyCount && line.compare(0, colon, kKeys[key]) != 0) ++key;
    if (colon == std::string::npos || key == kKeyCount) return false;
    values[key] = line.substr(colon + 2);
    seen[key] = true;
  }
  for (bool found : seen)
    if (!found) return false;
  *fields = ShellLinkFields{values[0], values[1], values[2], values[3], values[4], std::stoi(values[5])};
  return true;
}
