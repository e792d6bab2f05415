#include "net/player_offer.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "app/texts.h"
#include "net/http_downloader.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "ui/ui.h"

#ifndef SETUP_PLAYER_HOST
#error "SETUP_PLAYER_HOST names the player download server"
#endif

const char kPlayerHost[] = SETUP_PLAYER_HOST;

namespace {

// Its presence is taken as the sign that the player is installed.
constexpr char kPlayerFolder[] = "C:\\mplayer";
constexpr char kPlayerUrl[] = "http://" SETUP_PLAYER_HOST "/mplayer_install.exe";
// The folder's value and the name are joined as they stand, a backslash at
// the value's end or not.
constexpr char kInstallerName[] = "\\mplayer_install.exe";
constexpr std::size_t kPathBufferSize = 1024;
// The download's name until it is known to be complete.
constexpr char kPartialSuffix[] = ".part";

// TEMP and the installer's name; false when TEMP is unset or empty, or when
// the two do not fit the buffer together.
bool InstallerPath(std::string* path) {
  char buffer[kPathBufferSize] = {};
  if (!platform::Shell.ReadEnvironment("TEMP", buffer, sizeof buffer)) return false;
  if (std::strlen(buffer) + sizeof kInstallerName > sizeof buffer) return false;
  *path = std::string(buffer) + kInstallerName;
  return true;
}

// A download that breaks off must not leave a truncated program under the
// name that is started, so it goes to a name beside it and replaces the
// file only once complete. An earlier complete file stays otherwise.
void Fetch(const char* url, std::uint16_t port, const std::string& path) {
  const std::string partial = path + kPartialSuffix;
  bool complete = HttpDownloader(url, partial.c_str(), 0, port) == 1;
  if (!complete || !platform::Files.MoveOver(partial.c_str(), path.c_str()))
    platform::Files.Remove(partial.c_str());
}

}  // namespace

void PlayerOffer(ui::Form& mainForm) { PlayerOffer(mainForm, kPlayerUrl, kHttpPort); }

void PlayerOffer(ui::Form& mainForm, const char* url, std::uint16_t port) {
  const char* question = platform::Files.DirectoryExists(kPlayerFolder) ? text::kPlayerUpdate : text::kPlayerNeeded;
  if (ui::App.MessageBox(question, text::kCaptionInformation, ui::kMbYesNo | ui::kMbIconInformation) != ui::kIdYes)
    return;
  // Whatever fails from here on ends the offer quietly: the program ends
  // right after it either way.
  try {
    std::string path;
    if (!InstallerPath(&path)) return;
    Fetch(url, port, path);
    platform::Shell.StartProgram(mainForm.Handle(), path.c_str());
  } catch (...) {
  }
}
