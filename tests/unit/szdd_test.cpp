// SZDD compression and the LZ reader. Built for Win32, the reader cases run
// through Wine's own LZOpenFileA/LZRead, so our compressor is checked
// against the system's expander and the native reader against the system's
// behaviour at the edges: a wrong length in the header, a cut stream, a
// missing name, files that are not compressed.
#include "package/szdd.h"

#include <gtest/gtest.h>

#include "platform/lzfile.h"
#include "support/sample_data.h"
#include "support/temp_dir.h"

namespace {

// Walks the token stream: every match is at most 16 bytes long and copies
// bytes already expanded, so decoders that do not pre-fill the window with
// spaces expand it alike.
void ExpectPortableTokens(const std::string& file) {
  std::size_t produced = 0;
  std::size_t at = kSzddHeaderSize;
  while (at < file.size()) {
    unsigned flags = static_cast<unsigned char>(file[at++]);
    for (int bit = 0; bit < 8 && at < file.size(); ++bit, flags >>= 1) {
      if (flags & 1) {
        ++at;
        ++produced;
        continue;
      }
      ASSERT_LT(at + 1, file.size()) << "a match is cut off";
      auto b0 = static_cast<unsigned char>(file[at]);
      auto b1 = static_cast<unsigned char>(file[at + 1]);
      at += 2;
      std::size_t pos = b0 | static_cast<std::size_t>(b1 & 0xF0) << 4;
      std::size_t length = (b1 & 0x0Fu) + 3;
      std::size_t writePos = (4096 - 16 + produced) % 4096;
      std::size_t distance = (writePos - pos + 4096) % 4096;
      ASSERT_LE(length, 16u) << "at expanded offset " << produced;
      ASSERT_GE(distance, 1u) << "at expanded offset " << produced;
      ASSERT_LE(distance, produced) << "the match reaches before the data";
      produced += length;
    }
  }
}

TEST(SzddTest, RoundTripsEachKindOfInput) {
  for (const NamedBytes& input : SzddInputs()) {
    SCOPED_TRACE(input.name);
    std::string file = SzddCompress(input.bytes, 'G');
    SzddHeader header;
    std::string expanded;
    ASSERT_TRUE(SzddExpand(file, &expanded, &header));
    EXPECT_EQ(header.lastChar, 'G');
    EXPECT_EQ(header.expandedLength, input.bytes.size());
    EXPECT_TRUE(expanded == input.bytes) << "expanded " << expanded.size() << " of " << input.bytes.size();
    ExpectPortableTokens(file);
  }
}

TEST(SzddTest, CompressesRepetitiveDataWell) {
  const std::string data = RepetitiveBytes(200000);
  EXPECT_LT(SzddCompress(data).size(), data.size() / 7);
  // Random data grows by at most its flag bytes.
  const std::string noise = RandomBytes(100000, 3);
  EXPECT_LE(SzddCompress(noise).size(), kSzddHeaderSize + noise.size() + noise.size() / 8 + 1);
}

TEST(SzddTest, RecordsTheReplacedCharacterOnlyForTheCompressedName) {
  struct Case {
    const char* in;
    const char* out;
    char expected;
  } cases[] = {
      {"INSTALL.PKG", "INSTALL.PK_", 'G'},
      {"readme.txt", "readme.tx_", 't'},
      {"INSTALL.PKG", "OTHER.PK_", 0},
      {"A.C", "A.C_", 0},  // appended, not replaced
      {"INSTALL.PKG", "INSTALL.PKG", 0},
      {"", "_", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(SzddReplacedChar(c.in, c.out), c.expected) << c.in << " -> " << c.out;
}

class LzFileTest : public ::testing::Test {
 protected:
  // Everything the reader delivers, asked for 4 bytes at a time as the
  // loader asks; false when the file does not open.
  static bool ReadThroughLz(const std::string& path, std::string* out) {
    int handle = platform::Lz.Open(path.c_str());
    if (handle < 0) return false;
    out->clear();
    char chunk[4];
    std::int32_t got;
    while ((got = platform::Lz.Read(handle, chunk, 4)) > 0) {
      out->append(chunk, static_cast<std::size_t>(got));
      if (got < 4) break;
    }
    platform::Lz.Close(handle);
    return true;
  }

  static std::string WithLength(std::string file, std::uint32_t length) {
    for (int k = 0; k < 4; ++k) file[10 + k] = static_cast<char>((length >> (8 * k)) & 0xFF);
    return file;
  }

  TempDir dir_;
};

TEST_F(LzFileTest, ExpandsCompressedFiles) {
  for (const NamedBytes& input : SzddInputs()) {
    SCOPED_TRACE(input.name);
    std::string read;
    ASSERT_TRUE(ReadThroughLz(dir_.Write("data.bin", SzddCompress(input.bytes)), &read));
    EXPECT_TRUE(read == input.bytes) << "read " << read.size() << " of " << input.bytes.size();
  }
}

TEST_F(LzFileTest, DeliversWhatTheCompressedDataHoldsWhateverTheHeaderSays) {
  const std::string data = RepetitiveBytes(3000) + RandomBytes(3000, 11);
  const std::string file = SzddCompress(data);
  struct Case {
    const char* name;
    std::string file;
  } cases[] = {
      {"length shorter than the data", WithLength(file, 100)},
      {"length longer than the data", WithLength(file, 100000)},
      {"length zero", WithLength(file, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string read;
    ASSERT_TRUE(ReadThroughLz(dir_.Write("length.bin", c.file), &read));
    EXPECT_TRUE(read == data) << "read " << read.size() << " of " << data.size();
  }
}

TEST_F(LzFileTest, DeliversTheExpandedPrefixOfACutStream) {
  const std::string data = RepetitiveBytes(3000) + RandomBytes(3000, 13);
  const std::string file = SzddCompress(data);
  for (std::size_t keep : {kSzddHeaderSize, kSzddHeaderSize + 1, file.size() / 2, file.size() - 1}) {
    SCOPED_TRACE(keep);
    std::string cut = file.substr(0, keep), expected, read;
    ASSERT_TRUE(SzddExpand(cut, &expected));
    ASSERT_TRUE(ReadThroughLz(dir_.Write("cut.bin", cut), &read));
    EXPECT_TRUE(read == expected) << "read " << read.size() << ", expected " << expected.size();
    EXPECT_LT(read.size(), data.size());
    EXPECT_EQ(data.compare(0, read.size(), read), 0) << "not a prefix of the data";
  }
}

TEST_F(LzFileTest, OpensTheCompressedNameWhenTheNameIsMissing) {
  struct Case {
    const char* asked;
    const char* stored;
  } cases[] = {
      {"SETUP.PKG", "SETUP.PK_"},
      {"README", "README._"},
      {"A.C", "A.C_"},
  };
  const std::string data = "compressed under its other name";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.asked);
    TempDir dir;
    dir.Write(c.stored, SzddCompress(data));
    std::string read;
    ASSERT_TRUE(ReadThroughLz(dir.File(c.asked), &read));
    EXPECT_EQ(read, data);
  }
  std::string read;
  EXPECT_FALSE(ReadThroughLz(dir_.File("NONE.PKG"), &read));
}

TEST_F(LzFileTest, ReadsOtherFilesAsTheyStand) {
  std::string unknownMode = SzddCompress("data");
  unknownMode[8] = 'B';
  NamedBytes cases[] = {
      {"plain bytes", RandomBytes(5000, 17)},
      {"shorter than a header", "SZDD\x88\xF0\x27\x33\x41"},
      {"a header of another mode", unknownMode},
      {"empty", ""},
  };
  for (const NamedBytes& c : cases) {
    SCOPED_TRACE(c.name);
    std::string read;
    ASSERT_TRUE(ReadThroughLz(dir_.Write("plain.bin", c.bytes), &read));
    EXPECT_TRUE(read == c.bytes) << "read " << read.size() << " of " << c.bytes.size();
  }
}

}  // namespace
