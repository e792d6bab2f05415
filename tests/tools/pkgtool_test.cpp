// The package tool run as its users run it: exit status, stdout, stderr and
// the files it leaves.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "package/image.h"
#include "package/loader.h"
#include "package/szdd.h"
#include "package_writer.h"
#include "platform/memory.h"
#include "support/sample_data.h"
#include "support/temp_dir.h"

namespace {

// Replaces the one occurrence of from, which the case relies on.
void Replace(std::string& text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
}

std::string Repeat(const std::string& text, int times) {
  std::string out;
  while (times-- > 0) out += text;
  return out;
}

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// A manifest in parts, so that a case changes one part.
struct Manifest {
  std::string header =
      "vendor = \"みなと工房\"\nproduct = \"ビューア\"\nversion = \"1.0\"\nmain_program = 'BIN\\VIEW.EXE'\n";
  std::vector<std::string> variants = {"name = \"標準\"\nselected = true\n", "name = \"最小\"\n"};
  std::vector<std::string> items = {
      "variants = [\"標準\", \"最小\"]\n"
      "source = 'BIN\\VIEW.EXE'\ntarget = 'BIN\\VIEW.EXE'\nshortcut = \"ビューア\"\n",
      "variants = [\"標準\"]\nsource = 'DOCS'\ntarget = 'DOCS'\n",
  };

  std::string Text() const {
    std::string text = header;
    for (const std::string& v : variants) text += "\n[[variant]]\n" + v;
    for (const std::string& i : items) text += "\n[[item]]\n" + i;
    return text;
  }
};

class PkgtoolTest : public ::testing::Test {
 protected:
  Outcome Pkgtool(const std::string& arguments) {
    std::string out = dir_.File("stdout"), err = dir_.File("stderr");
    std::string command = std::string(PKGTOOL) + " " + arguments + " >" + out + " 2>" + err;
    int status = std::system(command.c_str());
    Outcome run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(out), ReadFileBytes(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return run;
  }

  Outcome Build(const std::string& manifest, const std::string& output, const std::string& options = "") {
    return Pkgtool("build " + dir_.Write("m.toml", manifest) + " -o " + dir_.File(output) + " " + options);
  }

  // The files in the test's folder, to show that nothing was left behind.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // The loader's image of a file, in-process.
  static std::string LoaderImage(const std::string& path) {
    platform::MemoryBlock block = LoadPackage(path);
    if (!block) return "";
    auto* data = static_cast<const char*>(platform::Memory.Lock(block));
    std::string image(data, PackageImageSize(reinterpret_cast<const PackageHeader*>(data)->ItemCount));
    platform::Memory.Unlock(block);
    platform::Memory.Free(block);
    return image;
  }

  TempDir dir_;
};

TEST_F(PkgtoolTest, BuildsWhatTheLoaderAccepts) {
  Outcome run = Build(Manifest().Text(), "A.PKG");
  ASSERT_EQ(run.status, 0) << run.err;
  PackageDescription expected;
  expected.vendorName = "\x82\xDD\x82\xC8\x82\xC6\x8D\x48\x96\x5B";  // みなと工房
  expected.productName = "\x83\x72\x83\x85\x81\x5B\x83\x41";         // ビューア
  expected.versionText = "1.0";
  expected.mainProgram = "BIN\\VIEW.EXE";
  expected.variantNames = {"\x95\x57\x8F\x80", "\x8D\xC5\x8F\xAC"};  // 標準, 最小
  expected.items = {{3, "BIN\\VIEW.EXE", "BIN\\VIEW.EXE", expected.productName}, {1, "DOCS", "DOCS", ""}};
  EXPECT_TRUE(ReadFileBytes(dir_.File("A.PKG")) == EncodePackage(expected));
  EXPECT_EQ(Pkgtool("check " + dir_.File("A.PKG")).status, 0);
}

TEST_F(PkgtoolTest, DumpThenBuildGivesTheSameBytes) {
  // Every byte value somewhere, lone lead bytes, a pair whose character
  // comes back as other bytes (0xED40), 0x5C second bytes, quotes, zeros.
  std::string allBytes;
  for (int b = 1; b < 256; ++b) allBytes += static_cast<char>(b);
  PackageDescription p;
  p.vendorName = allBytes;
  p.productName = "\x95\x5C\x83\x5C\x81";
  p.versionText = std::string{'1', '\0', '2'};
  p.mainProgram = "\xED\x40\\'\"\\\\";
  p.variantNames = {"a\"b", "", "'", "\x80"};
  p.selectedVariant = 2;
  p.items = {{0xF, "src\\\xE0", "dst\t", ""},
             {0x9, std::string("s\0", 2), "t", std::string(251, '\xFF')},
             {0x2, "x", "y", "\x82\xA0\x82"}};
  const std::string original = EncodePackage(p);
  std::string package = dir_.Write("IN.PKG", original + "trailing bytes");
  Outcome dump = Pkgtool("dump " + package);
  ASSERT_EQ(dump.status, 0) << dump.err;
  EXPECT_NE(dump.err.find("14 bytes after the last item"), std::string::npos) << dump.err;
  Outcome build = Build(dump.out, "OUT.PKG");
  ASSERT_EQ(build.status, 0) << build.err << "\n" << dump.out;
  EXPECT_TRUE(ReadFileBytes(dir_.File("OUT.PKG")) == original) << dump.out;

  // And from a manifest: the dump of its package builds the same bytes,
  // also from an SZDD-compressed package.
  ASSERT_EQ(Build(Manifest().Text(), "M.PKG", "--szdd").status, 0);
  Outcome again = Pkgtool("dump " + dir_.File("M.PKG"));
  ASSERT_EQ(again.status, 0) << again.err;
  ASSERT_EQ(Build(again.out, "N.PKG").status, 0);
  std::string plain;
  ASSERT_TRUE(SzddExpand(ReadFileBytes(dir_.File("M.PKG")), &plain));
  EXPECT_TRUE(ReadFileBytes(dir_.File("N.PKG")) == plain);
}

TEST_F(PkgtoolTest, RefusesABadManifestNamingWhereAndLeavesNoFile) {
  struct Case {
    const char* name;
    std::function<void(Manifest&)> change;
    std::vector<std::string> said;  // fragments of the message
  } cases[] = {
      {"a character without a code page 932 form",
       [](Manifest& m) { Replace(m.header, "ビューア", "ビュ😀"); },
       {"m.toml:2: field \"product\"", "😀", "code page 932"}},
      {"a 256-byte header text",
       [](Manifest& m) { Replace(m.header, "みなと工房", std::string(256, 'v')); },
       {"field \"vendor\"", "256 bytes", "at most 255"}},
      {"a 256-byte target after conversion",
       [](Manifest& m) { Replace(m.items[1], "target = 'DOCS'", "target = \"" + Repeat("あ", 128) + "\""); },
       {"item 2, field \"target\"", "256 bytes"}},
      {"a 252-byte shortcut",
       [](Manifest& m) { m.items[1] += "shortcut = '" + std::string(252, 's') + "'\n"; },
       {"item 2, field \"shortcut\"", "at most 251"}},
      {"an empty source",
       [](Manifest& m) { Replace(m.items[0], "source = 'BIN\\VIEW.EXE'", "source = ''"); },
       {"item 1, field \"source\"", "empty"}},
      {"a source whose first byte is zero",
       [](Manifest& m) { Replace(m.items[1], "source = 'DOCS'", "source = [0, 'DOCS']"); },
       {"item 2, field \"source\"", "empty"}},
      {"an empty target",
       [](Manifest& m) { Replace(m.items[1], "target = 'DOCS'", "target = \"\""); },
       {"item 2, field \"target\"", "empty"}},
      {"no variants", [](Manifest& m) { m.variants.clear(); }, {"field \"variant\"", "no variants"}},
      {"five variants",
       [](Manifest& m) {
         for (const char* n : {"c", "d", "e"}) m.variants.push_back(std::string("name = '") + n + "'\n");
       },
       {"variant 5", "more than 4"}},
      {"no variant selected",
       [](Manifest& m) { Replace(m.variants[0], "selected = true\n", ""); },
       {"field \"selected\"", "no variant is selected"}},
      {"two variants selected",
       [](Manifest& m) { m.variants[1] += "selected = true\n"; },
       {"variant 2, field \"selected\"", "variant 1 is selected already"}},
      {"two variants of one name",
       [](Manifest& m) { Replace(m.variants[1], "最小", "標準"); },
       {"variant 2, field \"name\"", "variant 1"}},
      {"no items", [](Manifest& m) { m.items.clear(); }, {"field \"item\"", "no items"}},
      {"1000 items",
       [](Manifest& m) { m.items.assign(1000, "variants = [\"最小\"]\nsource = 'a'\ntarget = 'b'\n"); },
       {"item 1000", "more than 999"}},
      {"an item with no variant",
       [](Manifest& m) { Replace(m.items[1], "[\"標準\"]", "[]"); },
       {"item 2, field \"variants\"", "names no variant"}},
      {"an item without its variants",
       [](Manifest& m) { Replace(m.items[1], "variants = [\"標準\"]\n", ""); },
       {"item 2, field \"variants\"", "missing"}},
      {"an unknown variant name",
       [](Manifest& m) { Replace(m.items[1], "標準", "完全"); },
       {"item 2, field \"variants\"", "unknown variant \"完全\""}},
      {"a misspelt field",
       [](Manifest& m) { m.items[0] += "shotcut = 'x'\n"; },
       {"item 1, field \"shotcut\"", "unknown field"}},
      {"a byte value above 255",
       [](Manifest& m) { Replace(m.header, "\"1.0\"", "[\"1\", 256]"); },
       {"field \"version\"", "byte values 0 to 255"}},
      {"a missing header field",
       [](Manifest& m) { Replace(m.header, "version = \"1.0\"\n", ""); },
       {"field \"version\"", "missing"}},
      {"TOML syntax", [](Manifest& m) { m.items[1] += "source = \n"; }, {"m.toml:"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Manifest m;
    c.change(m);
    Outcome run = Build(m.Text(), "OUT.PKG");
    EXPECT_EQ(run.status, 1);
    for (const std::string& fragment : c.said)
      EXPECT_NE(run.err.find(fragment), std::string::npos) << run.err;
    EXPECT_EQ(Files(), std::vector<std::string>{"m.toml"});
  }
}

TEST_F(PkgtoolTest, CheckSaysWhyTheLoaderRefuses) {
  PackageDescription good;
  good.variantNames = {"A", "B"};
  good.items = {{1, "a", "a", ""}, {3, "b", "b", ""}};
  struct Case {
    const char* name;
    std::function<void(PackageDescription&)> change;
    int status;
    const char* said;
  } cases[] = {
      {"loads", [](PackageDescription&) {}, 0, "loads: 2 variants, 2 items"},
      {"empty target", [](PackageDescription& p) { p.items[1].targetName = ""; }, 1,
       "refused: item 2, TargetName: the text is empty"},
      {"mask beyond the variants", [](PackageDescription& p) { p.items[0].variantMask = 4; }, 1,
       "refused: item 1, VariantMask: the value is out of range"},
      {"long variant name", [](PackageDescription& p) { p.variantNames[1].assign(256, 'n'); }, 1,
       "refused: variant 2, VariantNames: the text does not fit its slot"},
      {"no items", [](PackageDescription& p) { p.items.clear(); }, 1,
       "refused: ItemCount: the value is out of range"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PackageDescription p = good;
    c.change(p);
    Outcome run = Pkgtool("check " + dir_.Write("C.PKG", EncodePackage(p)));
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE(run.out.find(c.said), std::string::npos) << run.out;
  }
  Outcome cut = Pkgtool("check " + dir_.Write("C.PKG", EncodePackage(good).substr(0, 30)));
  EXPECT_NE(cut.out.find("the file ends early"), std::string::npos) << cut.out;
  Outcome missing = Pkgtool("check " + dir_.File("NONE.PKG"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.out.find("cannot be opened"), std::string::npos) << missing.out;
}

TEST_F(PkgtoolTest, ImageIsTheLoadersImage) {
  for (const char* options : {"", "--szdd"}) {
    SCOPED_TRACE(options);
    ASSERT_EQ(Build(Manifest().Text(), "I.PKG", options).status, 0);
    Outcome run = Pkgtool("image " + dir_.File("I.PKG") + " -o " + dir_.File("I.BIN"));
    ASSERT_EQ(run.status, 0) << run.err;
    std::string image = ReadFileBytes(dir_.File("I.BIN"));
    EXPECT_EQ(image.size(), PackageImageSize(2));
    EXPECT_TRUE(image == LoaderImage(dir_.File("I.PKG")));
  }
  dir_.Write("BAD.PKG", "BPKG");
  EXPECT_EQ(Pkgtool("image " + dir_.File("BAD.PKG") + " -o " + dir_.File("BAD.BIN")).status, 1);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("BAD.BIN")));
}

TEST_F(PkgtoolTest, CompressesAndExpands) {
  const std::string data = RandomBytes(5000, 1) + std::string(5000, 'a');
  dir_.Write("SETUP.PKG", data);
  ASSERT_EQ(Pkgtool("compress " + dir_.File("SETUP.PKG") + " " + dir_.File("SETUP.PK_")).status, 0);
  std::string compressed = ReadFileBytes(dir_.File("SETUP.PK_"));
  SzddHeader header;
  std::string expanded;
  ASSERT_TRUE(SzddExpand(compressed, &expanded, &header));
  EXPECT_EQ(header.lastChar, 'G');
  EXPECT_LT(compressed.size(), data.size());
  ASSERT_EQ(Pkgtool("expand " + dir_.File("SETUP.PK_") + " " + dir_.File("BACK")).status, 0);
  EXPECT_TRUE(ReadFileBytes(dir_.File("BACK")) == data);

  // Refused without output: a plain file, and one whose data ends early.
  Outcome plain = Pkgtool("expand " + dir_.File("SETUP.PKG") + " " + dir_.File("X1"));
  EXPECT_NE(plain.err.find("not an SZDD file"), std::string::npos) << plain.err;
  Outcome cut = Pkgtool("expand " + dir_.Write("CUT.PK_", compressed.substr(0, 100)) + " " + dir_.File("X2"));
  EXPECT_NE(cut.err.find("the header says 10000"), std::string::npos) << cut.err;
  EXPECT_EQ(plain.status + cut.status, 2);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("X1")) || std::filesystem::exists(dir_.File("X2")));
}

}  // namespace
