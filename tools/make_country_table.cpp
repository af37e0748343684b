// make_country_table: the country file (cty.csv) as C++ source of static sorted arrays, so
// that the monitor starts without parsing it and touches only the pages a lookup needs.
//   make_country_table cty.csv OUTPUT.cpp
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "monitor/countries.h"

namespace {

// Bytes as a C++ string literal; octal escapes take at most three digits, so a digit after
// one is never read as part of it.
std::string Literal(std::string_view bytes) {
  std::string literal = "\"";
  for (char c : bytes) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\' || byte < 0x20 || byte >= 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\%03o", byte);
      literal += escape;
    } else {
      literal += c;
    }
  }
  return literal + "\"";
}

void WriteWords(std::ostream& out, const char* name, std::span<const CountryWord> words) {
  out << "constexpr CountryWord " << name << "[] = {\n";
  for (const CountryWord& word : words) out << "    {" << word.at << ", " << word.length << ", " << word.entity << "},\n";
  out << "};\n";
}

void WriteTable(std::ostream& out, const CountryTable& table) {
  out << "// Made at build time from monitor/cty.csv by make_country_table: do not edit.\n"
         "#include \"monitor/countries.h\"\n\nnamespace {\n\nconstexpr char kPool[] =\n";
  for (size_t at = 0; at < table.pool.size(); at += 96) out << "    " << Literal(table.pool.substr(at, 96)) << "\n";
  out << "    ;\n\nconstexpr Entity kEntities[] = {\n";
  char position[80];
  for (const Entity& entity : table.entities) {
    std::snprintf(position, sizeof position, "%.17g, %.17g", entity.latitude, entity.longitude);
    out << "    {" << entity.dxcc << ", {kPool + " << (entity.name.data() - table.pool.data()) << ", "
        << entity.name.size() << "}, " << position << "},\n";
  }
  out << "};\n\n";
  WriteWords(out, "kExactCalls", table.exactCalls);
  WriteWords(out, "kPrefixes", table.prefixes);
  out << "\n}  // namespace\n\nCountryTable BuiltInCountryTable() {\n"
         "  CountryTable table;\n"
         "  table.entities = kEntities;\n"
         "  table.exactCalls = kExactCalls;\n"
         "  table.prefixes = kPrefixes;\n"
         "  table.pool = std::string_view(kPool, sizeof kPool - 1);\n"
      << "  table.longestPrefix = " << table.longestPrefix << ";\n"
      << "  table.version = " << Literal(table.version) << ";\n"
      << "  return table;\n}\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_country_table cty.csv OUTPUT.cpp\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  CountryTable table;
  ReadCountryCsv(text.str(), table);
  if (!in || table.entities.size() < kFewestCountryEntities) {
    std::fprintf(stderr, "make_country_table: %s is no whole country file\n", argv[1]);
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  WriteTable(out, table);
  out.close();
  return out ? 0 : 1;
}
