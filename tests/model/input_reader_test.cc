#include "model/input_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/error.h"

namespace kelvane {
namespace {

// The worked example: one steel plate, one condition, one fixed temperature.
const char kWorkedExample[] =
    "a title\n1\nSteel\n50\n1\n20\n10\n1\n100\n2\n1\n10\n20\n5\n"
    "B1\nB1\nB1\nB1\nC1\nA1\nA1\nB1\n\n\n\n\n";

std::string ErrorOf(std::string_view text) {
  try {
    ParseInput(text, "m.inp");
  } catch (const RunError& e) {
    return e.what();
  }
  return "no error";
}

TEST(InputReader, WorkedExample) {
  Model m = ParseInput(kWorkedExample, "m.inp");
  EXPECT_EQ(m.Header, "a title");
  ASSERT_EQ(m.MaterialCount(), 1);
  EXPECT_EQ(m.MaterialTable[1].Name, "Steel");
  EXPECT_EQ(m.MaterialTable[1].ConductivityX, 50);
  EXPECT_EQ(m.MaterialTable[1].ConductivityY, 50);
  ASSERT_EQ(m.ConvectionCount(), 1);
  EXPECT_EQ(m.ConvectionTable[1].AmbientTemperature, 20);
  EXPECT_EQ(m.ConvectionTable[1].HeatTransferCoefficient, 10);
  ASSERT_EQ(m.FixedTemperatureCount(), 1);
  EXPECT_EQ(m.FixedTemperatureTable[1], 100);
  ASSERT_EQ(m.LastColumn(), 4);
  ASSERT_EQ(m.LastRow(), 3);
  EXPECT_EQ(m.ColumnWidths, (std::vector<double>{0, 0.01, 0.02, 0}));
  EXPECT_EQ(m.RowHeights, (std::vector<double>{0, 0.005, 0}));
  const BlockCode B1 = ConvectionCode(1), C1 = FixedTemperatureCode(1), A1 = MaterialCode(1), _;
  const BlockCode codes[3][4] = {{B1, B1, B1, B1}, {C1, A1, A1, B1}, {_, _, _, _}};
  for (int j = 0; j < 3; ++j) {
    for (int k = 0; k < 4; ++k) EXPECT_EQ(m.Codes(k, j), codes[j][k]) << k << "," << j;
  }
  EXPECT_TRUE(m.WrittenCodes.empty());
}

TEST(InputReader, LineBreaksAndCommasAreInterchangeable) {
  std::string one_line = kWorkedExample;
  for (char& c : one_line) {
    if (c == '\n') c = ',';
  }
  one_line.pop_back();  // "...,,,," ends with the last empty code.
  Model a = ParseInput(kWorkedExample, "a");
  Model b = ParseInput(one_line, "b");
  EXPECT_EQ(a, b);
  std::string crlf;
  for (char c : std::string(kWorkedExample)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(ParseInput(crlf, "c"), a);
}

TEST(InputReader, HeaderWithComma) {
  // Unquoted, the second part of the header is taken as the material count.
  Model quoted = ParseInput(std::string("\"Plate, steel\"\n") +
                                (kWorkedExample + std::strlen("a title\n")),
                            "m.inp");
  EXPECT_EQ(quoted.Header, "Plate, steel");
  EXPECT_EQ(quoted.MaterialCount(), 1);
  Model unquoted = ParseInput(std::string("Plate, 0\n0\n0\n0\n0\n,,,\n"), "m.inp");
  EXPECT_EQ(unquoted.Header, "Plate");
  EXPECT_EQ(unquoted.MaterialCount(), 0);
  EXPECT_EQ(unquoted.LastColumn(), 2);
}

TEST(InputReader, CountsRoundHalvesToEven) {
  // 2.5 reads two records, 3.5 reads four.
  Model two = ParseInput("t,2.5,a,1,b,2,0,0,0,0,,,,", "m");
  EXPECT_EQ(two.MaterialCount(), 2);
  Model four = ParseInput("t,3.5,a,1,b,2,c,3,d,4,0,0,0,0,,,,", "m");
  EXPECT_EQ(four.MaterialCount(), 4);
  EXPECT_EQ(four.MaterialTable[4].ConductivityX, 4);
  Model zero = ParseInput("t,0,0,0,0,0,,,,", "m");
  EXPECT_EQ(zero.MaterialTable.size(), 1u);
}

TEST(InputReader, Spacings) {
  // Widths 10, empty, "7mm" and 1.5D1 in millimetres; one row of 25.
  Model m = ParseInput("t,0,0,0,4,1,10,,7mm,1.5D1,25" + std::string(18, ','), "m");
  EXPECT_EQ(m.ColumnWidths, (std::vector<double>{0, 0.01, 0, 0.007, 0.015, 0}));
  EXPECT_EQ(m.RowHeights, (std::vector<double>{0, 0.025, 0}));
  // The conversion passes through the 15-digit text of the number.
  Model fine = ParseInput("t,0,0,0,1,0,0.12345678901234567,,,,,,", "m");
  EXPECT_EQ(fine.ColumnWidths[1], 0.000123456789012346);
  // A count that is no whole number reads spacings past the block, or too
  // few: 2.5 columns read three widths for a block of two, 1.5 read one.
  Model more = ParseInput("t,0,0,0,2.5,1,1,2,3,4,,,,,,,,,,,,", "m");
  EXPECT_EQ(more.ColumnWidths, (std::vector<double>{0, 0.001, 0.002, 0}));
  Model fewer = ParseInput("t,0,0,0,1.5,1,1,4,,,,,,,,,,,,", "m");
  EXPECT_EQ(fewer.ColumnWidths, (std::vector<double>{0, 0.001, 0, 0}));
}

TEST(InputReader, CodesAreReadAsTheSolverReadsThem) {
  // Letter and number; what was written otherwise is kept as written.
  struct Case {
    const char* field;
    BlockCode code;
    const char* written;  // nullptr: as CanonicalText gives it.
  } cases[] = {
      {"A1", MaterialCode(1), nullptr},
      {"B12", ConvectionCode(12), nullptr},
      {"", {}, nullptr},
      {"\"\"", {}, nullptr},
      {"A01", MaterialCode(1), "A01"},
      {"A", {'A', 0, true}, "A"},
      {"A2.5", MaterialCode(2), "A2.5"},
      {"\"7\"", {'7', 0, true}, "7"},
      {"3", {'3', 0, true}, "3"},
      {"1.5", {'1', 0, true}, "1.5"},
      {"A 3x", MaterialCode(3), "A 3x"},
      {"C99999999999", {'C', 0, false}, "C99999999999"},
  };
  for (const Case& c : cases) {
    Model m = ParseInput(std::string("t,0,0,0,0,0,") + c.field + ",,,", "m");
    EXPECT_EQ(m.Codes(0, 0), c.code) << c.field;
    EXPECT_EQ(m.CodeText(0, 0), c.written ? c.written : CanonicalText(c.code)) << c.field;
    EXPECT_EQ(m.CodeText(1, 0), "") << c.field;
  }
}

TEST(InputReader, ErrorsNameFileLineFieldAndKind) {
  struct Case {
    const char* name;
    std::string text;
    std::string message;
  } cases[] = {
      {"empty file", "", "m.inp, end of file after line 1: input ends early: the file ends before the header"},
      {"ends in the materials", "t\n2\nSteel,50\nWood\n",
       "m.inp, end of file after line 4: input ends early: the file ends before the conductivity of material 2"},
      {"ends in the codes", "t,0,0,0,1,1,10,10\nA1,A1,A1\n",
       "m.inp, end of file after line 2: input ends early: the file ends before the code at code row 2, column 1"},
      {"negative count", "t\n-1\n",
       "m.inp, line 2, field 1 (number of materials): negative count: \"-1\" gives -1; a count must be 0 or more"},
      {"negative rows", "t,0,0,0,1,-3",
       "m.inp, line 1, field 6 (number of rows): negative count: \"-3\" gives -3; a count must be 0 or more"},
      {"count beyond 32 bits", "t\n3000000000\n",
       "m.inp, line 2, field 1 (number of materials): overflow: \"3000000000\" lies beyond the 32-bit integer range"},
      {"number beyond the double range", "t,0,1,1e999,1",
       "m.inp, line 1, field 4 (ambient temperature of condition 1): overflow: \"1e999\" lies beyond the range of a 64-bit number"},
      {"conductivity is text", "t\n1\nSteel\nfifty\n",
       "m.inp, line 4, field 1 (conductivity of material 1): type mismatch: \"fifty\" is not a number"},
      {"conductivity is empty", "t,1,Steel,,0",
       "m.inp, line 1, field 4 (conductivity of material 1): type mismatch: the field is empty, a number is needed"},
      {"huge material count", "t\n2000000000\nSteel,50\n",
       "m.inp, line 2, field 1 (number of materials): input ends early: 2000000000 materials need 4000000000 more fields, but the rest of the file holds at most 10"},
      {"huge grid", "t,0,0,0,100000,100000,1,2,3",
       "m.inp, line 1, field 6 (number of rows): input ends early: the widths, heights and codes of a grid of 100000 x 100000 cells need 10000600004 more fields, but the rest of the file holds at most 6"},
      {"width beyond the double range", "t,0,0,0,1,0,1e400,,,,",
       "m.inp, line 1, field 7 (column width 1): overflow: \"1e400\" lies beyond the range of a 64-bit number"},
      {"unclosed quote", "t,1,\"Steel",
       "m.inp, line 1, field 3 (name of material 1): input ends early: the quoted field has no closing quote"},
      {"count fits, code block does not", "t,0,0,0,2147483646,1",
       "m.inp, line 1, field 5 (number of columns): overflow: \"2147483646\" + 2, the extent of the code block, lies beyond the 32-bit integer range"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.text), c.message) << c.name;
}

TEST(InputReader, MissingFile) {
  try {
    ReadInputFile("/nonexistent/kelvane.inp");
    FAIL();
  } catch (const RunError& e) {
    EXPECT_EQ(std::string(e.what()), "/nonexistent/kelvane.inp: file not found: no such file");
  }
  try {
    ReadInputFile("/tmp");
    FAIL();
  } catch (const RunError& e) {
    EXPECT_EQ(std::string(e.what()), "/tmp: file not readable: is a folder");
  }
}

}  // namespace
}  // namespace kelvane
