#include "bench/bench_models.h"

#include <algorithm>
#include <vector>

#include "platform/number_text.h"

namespace kelvane::bench {
namespace {

struct Band {
  double size;      // mm
  const char* zone;
};

// The detail of examples/wall_slab_grid.inp.
const std::vector<Band>& WallColumns() {
  static const std::vector<Band> columns = [] {
    std::vector<Band> c = {{20, "render"}};
    for (int i = 0; i < 4; ++i) c.push_back({30, "eps"});
    for (int i = 0; i < 8; ++i) c.push_back({30, "masonry"});
    c.push_back({15, "plaster"});
    for (int i = 0; i < 4; ++i) c.push_back({50, "room"});
    for (int i = 0; i < 3; ++i) c.push_back({100, "room"});
    for (int i = 0; i < 2; ++i) c.push_back({250, "room"});
    return c;
  }();
  return columns;
}

const std::vector<Band>& WallRows() {
  static const std::vector<Band> rows = {
      {250, "wall"}, {200, "wall"}, {150, "wall"}, {150, "wall"}, {100, "wall"},
      {50, "wall"},  {50, "wall"},  {50, "wall"},  {30, "screed"}, {30, "screed"},
      {30, "impact"}, {50, "slab"}, {50, "slab"},  {50, "slab"},  {50, "slab"},
      {50, "wall"},  {50, "wall"},  {50, "wall"},  {100, "wall"}, {150, "wall"},
      {150, "wall"}, {200, "wall"}, {250, "wall"}};
  return rows;
}

std::string WallCode(const std::string& column, const std::string& row) {
  if (column == "render") return "A1";
  if (column == "eps") return "A2";
  if (row == "slab") return "A5";
  if (column == "masonry") return "A3";
  if (column == "plaster") return "A4";
  if (row == "screed") return "A6";
  if (row == "impact") return "A7";
  return "B1";
}

// Cuts the bands into n cells in all, by largest remainder, at least one
// each; returns the band of every cell and its size.
std::vector<Band> Refine(const std::vector<Band>& bands, int n) {
  const int count = static_cast<int>(bands.size());
  n = std::max(n, count);
  double total = 0;
  for (const Band& b : bands) total += b.size;
  std::vector<int> parts(count, 1);
  std::vector<std::pair<double, int>> remainder;
  int left = n - count;
  int given = 0;
  for (int i = 0; i < count; ++i) {
    double share = left * bands[i].size / total;
    int whole = static_cast<int>(share);
    parts[i] += whole;
    given += whole;
    remainder.push_back({share - whole, i});
  }
  std::sort(remainder.begin(), remainder.end(),
            [](auto a, auto b) { return a.first > b.first || (a.first == b.first && a.second < b.second); });
  for (int i = 0; given < left; ++i, ++given) ++parts[remainder[i].second];
  std::vector<Band> cells;
  for (int i = 0; i < count; ++i) {
    for (int p = 0; p < parts[i]; ++p) cells.push_back({bands[i].size / parts[i], bands[i].zone});
  }
  return cells;
}

void AppendJoined(std::string& out, const std::vector<std::string>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out += ',';
    out += fields[i];
  }
  out += '\n';
}

}  // namespace

std::string SolidBlockText(int n) {
  std::string out = "\"Solid block\"\n1\n\"Concrete\",2.3\n2\n20,7.69\n-10,25\n0\n";
  out += std::to_string(n) + "," + std::to_string(n) + "\n";
  std::vector<std::string> sizes(n, "10");
  AppendJoined(out, sizes);
  AppendJoined(out, sizes);
  std::vector<std::string> ring(n + 2, "");
  AppendJoined(out, ring);
  std::vector<std::string> row(n + 2, "A1");
  row.front() = "B2";
  row.back() = "B1";
  for (int j = 0; j < n; ++j) AppendJoined(out, row);
  AppendJoined(out, ring);
  return out;
}

std::string WallSlabText(int n) {
  std::vector<Band> columns = Refine(WallColumns(), n);
  std::vector<Band> rows = Refine(WallRows(), n);
  std::string out =
      "\"Masonry wall with external insulation at an intermediate floor slab\"\n7\n"
      "\"Render\",0.87\n\"EPS insulation\",0.035\n\"Masonry\",0.8\n\"Plaster\",0.7\n"
      "\"Reinforced concrete\",2.3\n\"Screed\",1.4\n\"Impact insulation\",0.04\n"
      "2\n20,7.69\n-10,25\n0\n";
  out += std::to_string(columns.size()) + "," + std::to_string(rows.size()) + "\n";
  std::vector<std::string> fields;
  for (const Band& c : columns) fields.push_back(NumberText(c.size));
  AppendJoined(out, fields);
  fields.clear();
  for (const Band& r : rows) fields.push_back(NumberText(r.size));
  AppendJoined(out, fields);
  std::vector<std::string> ring(columns.size() + 2, "");
  AppendJoined(out, ring);
  for (const Band& r : rows) {
    fields.assign(1, "B2");
    for (const Band& c : columns) fields.push_back(WallCode(c.zone, r.zone));
    fields.push_back(std::string(r.zone) == "wall" ? "B1" : "");
    AppendJoined(out, fields);
  }
  AppendJoined(out, ring);
  return out;
}

}  // namespace kelvane::bench
