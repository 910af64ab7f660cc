#include "report/page_field.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/input_reader.h"
#include "picture/picture_test_util.h"

namespace kelvane::testing {
namespace {

// 4 x 2 cells (widths 10, 20, 30, 40 mm, heights 5 and 15): materials m1
// (1) and m2 (2), conditions B1 and B2, fixed temperatures C1 and C2. The
// C7 names no fixed temperature and touches no node.
Model FourByTwo() {
  return ParseInput(
      "\"t\"\n2\nm1,1\nm2,2\n2\n20,10\n-5,25\n2\n100\n50\n4,2\n10,20,30,40\n5,15\n"
      ",B1,B1,B2,,\n,A1,A2,C2,,\n,A2,B1,,C7,\n,,,,,\n",
      "t.inp");
}

TEST(PageField, CarriesLinesTemperaturesCellsAndAreas) {
  PictureRun run(FourByTwo());
  run.SetTemperatures([](int k, int j) { return 10 * k + j; });
  ModelLabels drawing = GridFileLabels(FourByTwo());
  drawing.drawing = true;
  drawing.column_x_mm = {-50, -40, -20, 10, 50};
  drawing.row_y_mm = {300, 295, 280};
  const struct {
    const char* what;
    ModelLabels labels;
    std::vector<double> x, y;
  } cases[] = {
      // A grid file's y counts up from the last row line.
      {"grid file", GridFileLabels(FourByTwo()), {0, 10, 30, 60, 100}, {20, 15, 0}},
      {"drawing", drawing, {-50, -40, -20, 10, 50}, {300, 295, 280}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const SolvedField field = run.Field();
    const PageField page = CapturePageField(field, field.temperature, c.labels);
    EXPECT_EQ(page.picture_x_mm, (std::vector<double>{0, 10, 30, 60, 100}));
    EXPECT_EQ(page.picture_y_mm, (std::vector<double>{0, 5, 20}));
    EXPECT_EQ(page.x_mm, c.x);
    EXPECT_EQ(page.y_mm, c.y);
    // Void 0, m1 1, m2 2, B1 3, B2 4, C1 5, C2 6; C7 names nothing.
    EXPECT_EQ(page.cells, (std::vector<std::uint32_t>{1, 2, 6, 0, 2, 3, 0, 0}));
    const float n = std::nanf("");
    const std::vector<float> expected = {11, 21, 31, n, n, 12, 22, 32, n, n, 13, 23, n, n, n};
    ASSERT_EQ(page.temperature.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      if (std::isnan(expected[i])) {
        EXPECT_TRUE(std::isnan(page.temperature[i])) << i;
      } else {
        EXPECT_EQ(page.temperature[i], expected[i]) << i;
      }
    }
  }
}

}  // namespace
}  // namespace kelvane::testing
