// Downloads one large file from a loopback server with the download client
// and with curl, in the same run and from the same server, and prints the
// throughput of each and their ratio (on stderr) and its row of the table.
//   download_bench [MiB]     (256 by default)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench.h"
#include "net/http_downloader.h"
#include "support/http_server.h"
#include "support/temp_dir.h"

namespace {

using bench::Clock;
using bench::Seconds;

double MiBPerSecond(std::uint64_t bytes, double seconds) { return static_cast<double>(bytes) / (1 << 20) / seconds; }

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t mebibytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 256;
  const std::uint64_t size = mebibytes << 20;
  if (size == 0 || size > 0xFFFFFFFFu) {
    std::fprintf(stderr, "usage: download_bench [MiB, 1 to 4095]\n");
    return 2;
  }
  const std::string head = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
  HttpTestServer server({{{head}, size}, {{head}, size}});
  const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/big.bin";
  TempDir dir;

  const std::string ours = dir.File("client.bin");
  Clock::time_point start = Clock::now();
  int result = HttpDownloader("http://127.0.0.1/big.bin", ours.c_str(), 0, server.port());
  const double oursSeconds = Seconds(start);

  const std::string theirs = dir.File("curl.bin");
  start = Clock::now();
  int curlStatus = std::system(("curl -s -o '" + theirs + "' '" + url + "'").c_str());
  const double curlSeconds = Seconds(start);
  server.Finish();

  if (result != 1 || std::filesystem::file_size(ours) != size) {
    std::fprintf(stderr, "the client's download failed\n");
    return 1;
  }
  if (curlStatus != 0 || !std::filesystem::exists(theirs) || std::filesystem::file_size(theirs) != size) {
    std::fprintf(stderr, "curl's download failed (is curl installed?)\n");
    return 1;
  }
  const double oursRate = MiBPerSecond(size, oursSeconds);
  const double curlRate = MiBPerSecond(size, curlSeconds);
  std::fprintf(stderr, "%llu MiB over loopback\n", static_cast<unsigned long long>(mebibytes));
  std::fprintf(stderr, "  client  %8.1f MiB/s  (%.3f s)\n", oursRate, oursSeconds);
  std::fprintf(stderr, "  curl    %8.1f MiB/s  (%.3f s)\n", curlRate, curlSeconds);
  std::fprintf(stderr, "  client/curl throughput ratio: %.2f\n", oursRate / curlRate);
  bench::PrintRow("download, " + std::to_string(mebibytes) + " MiB over loopback (vs curl)", oursSeconds, curlSeconds);
  return 0;
}
