// The built-in table of design conductivities a detail file may name a
// material by: `concrete = { library = "reinforced concrete, 2 % steel" }`.
// Each value is the one its standard tabulates, with the table it comes
// from; a product's declared value is the manufacturer's, and is given as a
// number instead.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane {

struct LibraryMaterial {
  std::string_view name;
  double conductivity;  // W/(m K)
  std::string_view source;
};

// Every entry, in the order `kelvane2d --materials` lists them.
std::span<const LibraryMaterial> MaterialLibrary();

// The entry of that exact name, or none.
const LibraryMaterial* FindLibraryMaterial(std::string_view name);

// The names nearest to `name` by the number of letters to change, add or
// drop (at most `count`, the nearest first; ties in the table's order).
std::vector<std::string_view> NearestLibraryNames(std::string_view name, std::size_t count = 3);

// The table as `kelvane2d --materials` prints it: one line per entry,
// name, conductivity and source, in columns.
std::string MaterialLibraryText();

}  // namespace kelvane
