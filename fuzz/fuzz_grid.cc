// libFuzzer target for the solver: the fuzzer's bytes choose a well-formed
// model (materials, conditions, fixed temperatures, spacings and codes from
// small tables of ordinary and hostile values), so that nearly every input
// reaches the mesh, the assembly and the factorisation, and then the solver:
// profile, sparse or auto (a byte after the model's, so that inputs found
// before keep meaning the same model on the profile solver).

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/input_reader.h"
#include "output/result_writer.h"
#include "platform/error.h"
#include "solution_oracle.h"
#include "solver/solver.h"

namespace {

class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  unsigned Next(unsigned count) { return pos_ < size_ ? data_[pos_++] % count : 0; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

template <std::size_t N>
const char* Pick(Bytes& bytes, const char* const (&table)[N]) {
  return table[bytes.Next(N)];
}

const char* const kConductivities[] = {"1", "0.035", "50", "230", "0", "1e-300", "1e300", "-1", "2.5"};
const char* const kTemperatures[] = {"20", "-10", "0", "100", "1e300", "-1e300", "1e-300", "7.5"};
const char* const kCoefficients[] = {"7.69", "25", "0", "-3", "1e300", "1e-300", "1"};
const char* const kSpacings[] = {"10", "1", "1000", "0", "1e-20", "1e20", "-5", "0.5", "250"};
const char* const kCodes[] = {"", "", "A1", "A1", "A2", "A3", "B1", "B2", "C1", "C2", "C0",
                              "A0", "A", "x", "A1", "B1", "C3", "a1", "7"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Bytes bytes(data, size);
  std::string text = "fuzzed grid\n";
  const unsigned materials = 1 + bytes.Next(3);
  text += std::to_string(materials) + "\n";
  for (unsigned i = 0; i < materials; ++i) text += std::string("m,") + Pick(bytes, kConductivities) + "\n";
  const unsigned conditions = bytes.Next(3);
  text += std::to_string(conditions) + "\n";
  for (unsigned i = 0; i < conditions; ++i) {
    text += std::string(Pick(bytes, kTemperatures)) + "," + Pick(bytes, kCoefficients) + "\n";
  }
  const unsigned fixed = bytes.Next(3);
  text += std::to_string(fixed) + "\n";
  for (unsigned i = 0; i < fixed; ++i) text += std::string(Pick(bytes, kTemperatures)) + "\n";
  const unsigned columns = bytes.Next(14);
  const unsigned rows = bytes.Next(14);
  text += std::to_string(columns) + "," + std::to_string(rows) + "\n";
  for (unsigned i = 0; i < columns; ++i) text += std::string(i ? "," : "") + Pick(bytes, kSpacings);
  text += "\n";
  for (unsigned i = 0; i < rows; ++i) text += std::string(i ? "," : "") + Pick(bytes, kSpacings);
  text += "\n";
  for (unsigned j = 0; j < rows + 2; ++j) {
    for (unsigned k = 0; k < columns + 2; ++k) text += std::string(k ? "," : "") + Pick(bytes, kCodes);
    text += "\n";
  }
  kelvane::SolverOptions options;
  const unsigned solver = bytes.Next(3);
  if (solver == 1) options.solver = kelvane::SolverKind::kSparse;
  if (solver == 2) options.solver = kelvane::SolverKind::kAuto;
  try {
    kelvane::Model model = kelvane::ParseInput(text, "grid.inp");
    const kelvane::Solution solution =
        kelvane::SolveTemperatureField(model, kelvane::SolverObserver(), options);
    std::string file = kelvane::ResultFileText(solution.ResultGrid());
    // A finished run never writes a number that is not finite.
    if (file.find("inf") != std::string::npos || file.find("nan") != std::string::npos) {
      __builtin_trap();
    }
    // Its solution is sound, or the program refuses it (solution_oracle.h).
    if (!kelvane::SolutionFault(solution).empty()) __builtin_trap();
  } catch (const kelvane::RunError&) {
  }
  return 0;
}
