#include "manifest.h"

#include <toml++/toml.h>

#include <cstdio>
#include <set>
#include <vector>

#include "package/image.h"
#include "platform/codepage.h"

namespace {

// The manifest's keys, shared by the reader and the writer.
struct HeaderField {
  const char* key;
  std::string PackageDescription::*member;
};
constexpr HeaderField kHeaderFields[] = {
    {"vendor", &PackageDescription::vendorName},
    {"product", &PackageDescription::productName},
    {"version", &PackageDescription::versionText},
    {"main_program", &PackageDescription::mainProgram},
};
constexpr const char* kVariantTable = "variant";
constexpr const char* kItemTable = "item";
constexpr const char* kName = "name";
constexpr const char* kSelected = "selected";
constexpr const char* kVariants = "variants";
constexpr const char* kSource = "source";
constexpr const char* kTarget = "target";
constexpr const char* kShortcut = "shortcut";

// Longest texts, one byte of each slot being the terminating zero.
constexpr std::size_t kTextLimit = kTextSlot - 1;
constexpr std::size_t kShortcutLimit = kShortcutSlot - 1;

std::string Quote(const std::string& utf8) {
  if (utf8.find('\\') != std::string::npos && utf8.find('\'') == std::string::npos) return "'" + utf8 + "'";
  std::string quoted = "\"";
  for (char c : utf8) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

std::string ByteValue(unsigned char b) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", b);
  return hex;
}

// A text in the manifest's form: runs of characters that convert to UTF-8
// and back unchanged as strings, every other byte (and every control byte,
// which TOML strings cannot hold as they stand) as a byte value.
std::string FormatText(const std::string& bytes, const Cp932& cp932) {
  std::vector<std::string> parts;
  std::string run;
  bool anyByte = false;
  auto endRun = [&] {
    if (!run.empty()) parts.push_back(Quote(run));
    run.clear();
  };
  for (std::size_t i = 0; i < bytes.size();) {
    auto b = static_cast<unsigned char>(bytes[i]);
    std::size_t length = platform::IsAnsiLeadByte(b) && i + 1 < bytes.size() ? 2 : 1;
    std::optional<std::string> utf8;
    if (b >= 0x20 && b != 0x7F) utf8 = cp932.CharToUtf8(bytes.substr(i, length));
    if (utf8) {
      run += *utf8;
      i += length;
      continue;
    }
    endRun();
    parts.push_back(ByteValue(b));
    anyByte = true;
    ++i;
  }
  if (!anyByte) return Quote(run);
  endRun();
  std::string array = "[";
  for (std::size_t k = 0; k < parts.size(); ++k) array += (k ? ", " : "") + parts[k];
  return array + "]";
}

// Where a value is, counted from 1: "variant 2", "item 3". Header fields have
// no place (an empty one).
std::string Place(const char* table, std::size_t index) {
  return std::string(table) + " " + std::to_string(index + 1);
}

class ManifestReader {
 public:
  ManifestReader(const std::string& name, const Cp932& cp932) : name_(name), cp932_(cp932) {}

  PackageDescription Read(const toml::table& root) {
    std::set<std::string> known = {kVariantTable, kItemTable};
    for (const HeaderField& f : kHeaderFields) known.insert(f.key);
    CheckKeys(root, "", known);
    PackageDescription p;
    for (const HeaderField& f : kHeaderFields)
      p.*f.member = Text(Required(root, "", f.key), "", f.key, kTextLimit);
    ReadVariants(root, &p);
    ReadItems(root, &p);
    return p;
  }

 private:
  [[noreturn]] void Fail(const toml::node& at, const std::string& place, const std::string& field,
                         const std::string& what) const {
    std::string message = name_ + ":" + std::to_string(at.source().begin.line) + ": ";
    if (!place.empty()) message += place + ", ";
    if (!field.empty()) message += "field \"" + field + "\": ";
    throw ToolError(message + what);
  }

  void CheckKeys(const toml::table& table, const std::string& place,
                 const std::set<std::string>& known) const {
    for (auto&& [key, value] : table)
      if (!known.count(std::string(key.str()))) Fail(value, place, std::string(key.str()), "unknown field");
  }

  const toml::node& Required(const toml::table& table, const std::string& place, const char* key) const {
    const toml::node* node = table.get(key);
    if (!node) Fail(table, place, key, "missing");
    return *node;
  }

  const toml::array& Tables(const toml::table& root, const char* key) const {
    static const toml::array none;
    const toml::node* node = root.get(key);
    if (!node) return none;
    if (!node->is_array_of_tables())
      Fail(*node, "", key, std::string("must be a list of [[") + key + "]] tables");
    return *node->as_array();
  }

  // A text in code page 932: a string, or an array of strings and bytes.
  std::string Text(const toml::node& node, const std::string& place, const char* field,
                   std::size_t limit) const {
    std::string bytes;
    if (node.is_string()) {
      bytes = Convert(node, place, field);
    } else if (node.is_array()) {
      for (const toml::node& part : *node.as_array()) {
        if (part.is_string()) {
          bytes += Convert(part, place, field);
        } else if (part.is_integer() && part.as_integer()->get() >= 0 && part.as_integer()->get() <= 255) {
          bytes += static_cast<char>(part.as_integer()->get());
        } else {
          Fail(part, place, field, "a text array holds only strings and byte values 0 to 255");
        }
      }
    } else {
      Fail(node, place, field, "must be a text (a string, or an array of strings and byte values)");
    }
    if (bytes.size() > limit)
      Fail(node, place, field,
           std::to_string(bytes.size()) + " bytes in code page 932, at most " + std::to_string(limit));
    return bytes;
  }

  std::string Convert(const toml::node& node, const std::string& place, const char* field) const {
    std::string unmappable;
    std::optional<std::string> bytes = cp932_.FromUtf8(node.as_string()->get(), &unmappable);
    if (!bytes) Fail(node, place, field, "\"" + unmappable + "\" has no form in code page 932");
    return *bytes;
  }

  // Not empty as the loader judges it: a first byte of zero counts as empty.
  std::string NonEmptyText(const toml::table& table, const std::string& place, const char* field) const {
    const toml::node& node = Required(table, place, field);
    std::string bytes = Text(node, place, field, kTextLimit);
    if (bytes.empty() || bytes[0] == '\0') Fail(node, place, field, "empty");
    return bytes;
  }

  void ReadVariants(const toml::table& root, PackageDescription* p) const {
    const toml::array& variants = Tables(root, kVariantTable);
    if (variants.empty()) Fail(root, "", kVariantTable, "no variants; 1 to 4 [[variant]] tables are needed");
    bool selected = false;
    for (std::size_t v = 0; v < variants.size(); ++v) {
      const toml::table& table = *variants[v].as_table();
      const std::string place = Place(kVariantTable, v);
      if (v == kMaxVariants) Fail(table, place, "", "more than 4 variants");
      CheckKeys(table, place, {kName, kSelected});
      std::string name = Text(Required(table, place, kName), place, kName, kTextLimit);
      for (std::size_t other = 0; other < v; ++other)
        if (p->variantNames[other] == name)
          Fail(table, place, kName,
               "the name of " + Place(kVariantTable, other) + " too; items name variants by name");
      p->variantNames.push_back(name);
      if (const toml::node* mark = table.get(kSelected)) {
        if (!mark->is_boolean()) Fail(*mark, place, kSelected, "must be true or false");
        if (!mark->as_boolean()->get()) continue;
        if (selected)
          Fail(*mark, place, kSelected, Place(kVariantTable, p->selectedVariant) + " is selected already");
        selected = true;
        p->selectedVariant = static_cast<std::uint32_t>(v);
      }
    }
    if (!selected) Fail(root, "", kSelected, "no variant is selected; mark one with selected = true");
  }

  void ReadItems(const toml::table& root, PackageDescription* p) const {
    const toml::array& items = Tables(root, kItemTable);
    if (items.empty()) Fail(root, "", kItemTable, "no items; 1 to 999 [[item]] tables are needed");
    for (std::size_t i = 0; i < items.size(); ++i) {
      const toml::table& table = *items[i].as_table();
      const std::string place = Place(kItemTable, i);
      if (i == kMaxItems) Fail(table, place, "", "more than 999 items");
      CheckKeys(table, place, {kVariants, kSource, kTarget, kShortcut});
      PackageItemDescription item;
      item.variantMask = Mask(Required(table, place, kVariants), place, *p);
      item.sourceName = NonEmptyText(table, place, kSource);
      item.targetName = NonEmptyText(table, place, kTarget);
      if (const toml::node* shortcut = table.get(kShortcut))
        item.shortcutName = Text(*shortcut, place, kShortcut, kShortcutLimit);
      p->items.push_back(item);
    }
  }

  std::uint32_t Mask(const toml::node& node, const std::string& place, const PackageDescription& p) const {
    if (!node.is_array()) Fail(node, place, kVariants, "must be an array of variant names");
    std::uint32_t mask = 0;
    for (const toml::node& entry : *node.as_array()) {
      std::string name = Text(entry, place, kVariants, kTextLimit);
      std::size_t v = 0;
      while (v < p.variantNames.size() && p.variantNames[v] != name) ++v;
      if (v == p.variantNames.size())
        Fail(entry, place, kVariants, "unknown variant " + FormatText(name, cp932_));
      mask |= 1u << v;
    }
    if (mask == 0) Fail(node, place, kVariants, "names no variant");
    return mask;
  }

  const std::string& name_;
  const Cp932& cp932_;
};

}  // namespace

PackageDescription ReadManifest(std::string_view text, const std::string& name, const Cp932& cp932) {
  toml::table root;
  try {
    root = toml::parse(text, name);
  } catch (const toml::parse_error& e) {
    throw ToolError(name + ":" + std::to_string(e.source().begin.line) + ": " + std::string(e.description()));
  }
  return ManifestReader(name, cp932).Read(root);
}

std::string WriteManifest(const PackageDescription& p, const Cp932& cp932) {
  const std::set<std::string> names(p.variantNames.begin(), p.variantNames.end());
  if (names.size() != p.variantNames.size())
    throw ToolError("two variants share a name, so the items cannot name their variants");
  std::string out =
      "# Read by pkgtool build; texts in UTF-8, bytes that are no code page 932\n"
      "# character as byte values in an array: [\"text\", 0x80].\n";
  for (const HeaderField& f : kHeaderFields)
    out += std::string(f.key) + " = " + FormatText(p.*f.member, cp932) + "\n";
  for (std::size_t v = 0; v < p.variantNames.size(); ++v) {
    out += std::string("\n[[") + kVariantTable + "]]\n" + kName + " = " +
           FormatText(p.variantNames[v], cp932) + "\n";
    if (v == p.selectedVariant) out += std::string(kSelected) + " = true\n";
  }
  for (const PackageItemDescription& item : p.items) {
    out += std::string("\n[[") + kItemTable + "]]\n" + kVariants + " = [";
    const char* separator = "";
    for (std::size_t v = 0; v < p.variantNames.size(); ++v) {
      if (!(item.variantMask & (1u << v))) continue;
      out += separator + FormatText(p.variantNames[v], cp932);
      separator = ", ";
    }
    out += "]\n";
    out += std::string(kSource) + " = " + FormatText(item.sourceName, cp932) + "\n";
    out += std::string(kTarget) + " = " + FormatText(item.targetName, cp932) + "\n";
    if (!item.shortcutName.empty())
      out += std::string(kShortcut) + " = " + FormatText(item.shortcutName, cp932) + "\n";
  }
  return out;
}
