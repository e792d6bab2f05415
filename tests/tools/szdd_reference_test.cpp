// Our compressor's output against the expanders users have: libmspack's
// SZDD decoder, 7-Zip's reader and msexpand. Wine's own expander is checked
// by the unit tests run under Wine.
#include <gtest/gtest.h>
#include <mspack.h>

#include <cstdlib>
#include <string>

#include "package/szdd.h"
#include "support/sample_data.h"
#include "support/temp_dir.h"

namespace {

class SzddReferenceTest : public ::testing::Test {
 protected:
  // Compresses each input, expands it with expand(compressed, expanded) and
  // compares.
  template <typename Expand>
  void ExpectEachInputBack(Expand expand) {
    for (const NamedBytes& input : SzddInputs()) {
      SCOPED_TRACE(input.name);
      std::string compressed = dir_.Write("data.bi_", SzddCompress(input.bytes, 'n'));
      std::string expanded = dir_.File("data.out");
      ASSERT_TRUE(expand(compressed, expanded));
      std::string back = ReadFileBytes(expanded);
      EXPECT_TRUE(back == input.bytes) << "got " << back.size() << " of " << input.bytes.size() << " bytes";
    }
  }

  static bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

  TempDir dir_;
};

TEST_F(SzddReferenceTest, LibmspackExpandsOurFiles) {
  msszdd_decompressor* decoder = mspack_create_szdd_decompressor(nullptr);
  ASSERT_NE(decoder, nullptr);
  ExpectEachInputBack([&](const std::string& in, const std::string& out) {
    msszddd_header* header = decoder->open(decoder, const_cast<char*>(in.c_str()));
    if (!header) return false;
    EXPECT_EQ(header->format, MSSZDD_FMT_NORMAL);
    EXPECT_EQ(header->missing_char, 'n');
    int error = decoder->extract(decoder, header, const_cast<char*>(out.c_str()));
    decoder->close(decoder, header);
    return error == MSPACK_ERR_OK;
  });
  mspack_destroy_szdd_decompressor(decoder);
}

TEST_F(SzddReferenceTest, SevenZipExpandsOurFiles) {
  ExpectEachInputBack([](const std::string& in, const std::string& out) {
    return Shell(SEVEN_ZIP " e -so '" + in + "' > '" + out + "' 2>/dev/null");
  });
}

TEST_F(SzddReferenceTest, MsexpandExpandsOurFiles) {
  ExpectEachInputBack([](const std::string& in, const std::string& out) {
    return Shell(MSEXPAND " < '" + in + "' > '" + out + "'");
  });
}

}  // namespace
