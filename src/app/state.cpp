#include "app/state.h"

#include "app/paths.h"

InstallerState State;

std::string AppendProductFolder(const std::string& base) {
  std::string result = base;
  if (!EndsWithBackslash(result)) result += '\\';
  result += State.Package->Header.ProductName;
  result += '\\';
  return result;
}
