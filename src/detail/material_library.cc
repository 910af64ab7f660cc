#include "detail/material_library.h"

#include <algorithm>
#include <numeric>

#include "platform/number_text.h"

namespace kelvane {
namespace {

constexpr std::string_view k10456 = "EN ISO 10456:2007, Table 3";
constexpr std::string_view k10077 = "EN ISO 10077-2:2017, Annex A";
constexpr std::string_view k13370 = "EN ISO 13370:2007, Table 1";

// Densities are the table's, in kg/m3, where it gives several for one kind.
constexpr LibraryMaterial kLibrary[] = {
    {"concrete, 1800 kg/m3", 1.15, k10456},
    {"concrete, 2000 kg/m3", 1.35, k10456},
    {"concrete, 2200 kg/m3", 1.65, k10456},
    {"concrete, 2400 kg/m3", 2.0, k10456},
    {"reinforced concrete, 1 % steel", 2.3, k10456},
    {"reinforced concrete, 2 % steel", 2.5, k10456},
    {"gypsum plasterboard", 0.25, k10456},
    {"gypsum plaster, 1000 kg/m3", 0.40, k10456},
    {"lime and sand plaster", 0.80, k10456},
    {"cement and sand plaster", 1.0, k10456},
    {"timber, 450 kg/m3", 0.12, k10456},
    {"timber, 500 kg/m3", 0.13, k10456},
    {"timber, 700 kg/m3", 0.18, k10456},
    {"plywood, 500 kg/m3", 0.13, k10456},
    {"steel", 50, k10456},
    {"stainless steel", 17, k10456},
    {"aluminium alloy", 160, k10456},
    {"copper", 380, k10456},
    {"glass, soda lime", 1.0, k10456},
    {"air", 0.025, k10456},
    {"PVC, rigid", 0.17, k10077},
    {"polyamide 6.6 with 25 % glass fibre", 0.30, k10077},
    {"polyamide", 0.25, k10077},
    {"polyurethane, rigid", 0.25, k10077},
    {"EPDM", 0.25, k10077},
    {"silicone", 0.35, k10077},
    {"butyl rubber", 0.24, k10077},
    {"clay or silt", 1.5, k13370},
    {"sand or gravel", 2.0, k13370},
    {"homogeneous rock", 3.5, k13370},
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Letters to change, add or drop to turn a into b, ignoring case; 0 when b
// holds a whole, as a name typed short ("pvc" for "PVC, rigid") does.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  auto lower = Lower;
  if (!a.empty() && std::search(b.begin(), b.end(), a.begin(), a.end(), [](char x, char y) {
                      return Lower(x) == Lower(y);
                    }) != b.end()) {
    return 0;
  }
  std::vector<std::size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), 0);
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const std::size_t change = diagonal + (lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, change});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::span<const LibraryMaterial> MaterialLibrary() { return kLibrary; }

const LibraryMaterial* FindLibraryMaterial(std::string_view name) {
  for (const LibraryMaterial& m : kLibrary) {
    if (m.name == name) return &m;
  }
  return nullptr;
}

std::vector<std::string_view> NearestLibraryNames(std::string_view name, std::size_t count) {
  // A name of thousands of letters is no slip of one: it is cut, so that
  // the comparison stays quick.
  name = name.substr(0, 200);
  std::vector<std::pair<std::size_t, std::size_t>> ranked;  // distance, entry
  for (std::size_t i = 0; i < std::size(kLibrary); ++i) {
    ranked.push_back({EditDistance(name, kLibrary[i].name), i});
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string_view> names;
  for (std::size_t i = 0; i < std::min(count, ranked.size()); ++i) {
    names.push_back(kLibrary[ranked[i].second].name);
  }
  return names;
}

std::string MaterialLibraryText() {
  std::size_t width = 0;
  for (const LibraryMaterial& m : kLibrary) width = std::max(width, m.name.size());
  std::string text = "Design conductivities a detail file names by { library = \"...\" }:\n";
  for (const LibraryMaterial& m : kLibrary) {
    std::string value = NumberText(m.conductivity);
    text += std::string(m.name) + std::string(width + 2 - m.name.size(), ' ') +
            std::string(7 - std::min<std::size_t>(7, value.size()), ' ') + value + " W/(m K)  " +
            std::string(m.source) + "\n";
  }
  return text;
}

}  // namespace kelvane
