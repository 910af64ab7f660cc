#include "detail/detail_test_util.h"

#include <cmath>
#include <numbers>

#include "detail/detail_file.h"
#include "platform/error.h"

namespace kelvane::testing {

std::string WithHeader(const std::string& shapes, const std::string& grid) {
  return "[grid]\n" + grid +
         "\n[materials]\na = 1\nb = 2\n[conditions]\nair = { ambient = 20, h = 8 }\n"
         "[fixed]\nhot = 50\n" +
         shapes;
}

MadeGrid MakeFromText(const std::string& text) { return MakeGrid(ParseDetail(text, "d.toml")); }

std::string DetailError(const std::string& text) {
  try {
    MakeFromText(text);
  } catch (const RunError& e) {
    return e.what();
  }
  return "no error";
}

std::vector<std::string> CodeRows(const Model& model) {
  std::vector<std::string> rows;
  for (int j = 0; j < model.LastRow(); ++j) {
    std::string row;
    for (int k = 0; k < model.LastColumn(); ++k) {
      const std::string code = model.CodeText(k, j);
      row += (k > 0 ? " " : "") + (code.empty() ? std::string(".") : code);
    }
    rows.push_back(row);
  }
  return rows;
}

namespace {

std::string Num(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", v);
  return text;
}

std::string RandomShape(std::mt19937& rng) {
  static const char* const kFills[] = {"a", "b", "a", "air", "hot", "void"};
  std::uniform_real_distribution<double> at(0, 100), size(1, 60);
  std::uniform_int_distribution<int> pick(0, 5), kind(0, 2), sides(3, 7);
  std::string text = "[[shape]]\nfill = \"" + std::string(kFills[pick(rng)]) + "\"\n";
  const double x = std::round(at(rng)), y = std::round(at(rng)), w = size(rng), h = size(rng);
  switch (kind(rng)) {
    case 0:
      text += "rect = [" + Num(x) + ", " + Num(y) + ", " + Num(x + w) + ", " + Num(y + h) + "]\n";
      break;
    case 1:
      text += "circle = [" + Num(x) + ", " + Num(y) + ", " + Num(w / 2) + "]\n";
      break;
    default: {
      // A convex outline: points on an ellipse at increasing angles.
      const int n = sides(rng);
      const double turn = std::uniform_real_distribution<double>(0, 1)(rng);
      text += "polygon = [";
      for (int i = 0; i < n; ++i) {
        const double a = 2 * std::numbers::pi * (i + turn) / n;
        text += std::string(i ? ", " : "") + "[" + Num(x + w / 2 * std::cos(a)) + ", " +
                Num(y + h / 2 * std::sin(a)) + "]";
      }
      text += "]\n";
    }
  }
  if (pick(rng) == 0) text += "cell = " + Num(size(rng) / 10) + "\n";
  return text;
}

}  // namespace

std::string RandomDrawing(std::mt19937& rng) {
  std::uniform_int_distribution<int> shapes(1, 6), graded(0, 1);
  std::uniform_real_distribution<double> cell(4, 30), fine(0.5, 4), growth(1, 2);
  std::string grid = "max_cell = " + Num(cell(rng));
  if (graded(rng)) grid += "\nfine = " + Num(fine(rng)) + "\ngrowth = " + Num(growth(rng));
  std::string text = "[[shape]]\nfill = \"a\"\nrect = [0, 0, 50, 40]\n";
  for (int i = shapes(rng); i > 0; --i) text += RandomShape(rng);
  return WithHeader(text, grid);
}

}  // namespace kelvane::testing
