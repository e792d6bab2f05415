// Parses the native stand-in's "key: value" lines.
#include "support/shell_link_reader.h"

#include <fstream>
#include <map>

#include "platform/files.h"

bool ReadShellLink(const std::string& linkFile, ShellLinkFields* fields) {
  std::string host = platform::HostPath(linkFile);
  std::ifstream in(host, std::ios::binary);
  if (host.empty() || !in) return false;
  std::map<std::string, std::string> values;
  for (std::string line; std::getline(in, line);) {
    std::size_t colon = line.find(": ");
    if (colon == std::string::npos) return false;
    values[line.substr(0, colon)] = line.substr(colon + 2);
  }
  for (const char* key : {"target", "working directory", "arguments", "description", "icon", "icon index"})
    if (!values.count(key)) return false;
  *fields = ShellLinkFields{values["target"], values["working directory"], values["arguments"],
                            values["description"], values["icon"], std::stoi(values["icon index"])};
  return true;
}
