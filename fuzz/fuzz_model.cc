// libFuzzer target: the whole program in memory on the fuzzer's bytes. The
// bytes are a model file; it is read, solved and written into a string, and
// its solution judged as the program judges it, then by the oracle of
// solution_oracle.h. Every outcome must be a sound result or a RunError:
// never a crash, a hang, a leak, undefined behaviour, a runaway allocation
// or a report of numbers that are not finite or do not balance.

#include <cstddef>
#include <cstdint>
#include <new>
#include <string_view>

#include "model/input_reader.h"
#include "output/result_writer.h"
#include "platform/error.h"
#include "solution_oracle.h"
#include "solver/solver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    kelvane::Model model = kelvane::ParseInput(text, "fuzz.inp");
    kelvane::SolverObserver observer;
    observer.on_warning = [](const std::string&) {};
    const kelvane::Solution solution = kelvane::SolveTemperatureField(model, observer);
    std::string file = kelvane::ResultFileText(solution.ResultGrid());
    if (file.empty()) __builtin_trap();  // A header line is always there.
    if (!kelvane::SolutionFault(solution).empty()) __builtin_trap();
  } catch (const kelvane::RunError& e) {
    if (std::string_view(e.what()).empty()) __builtin_trap();
  }
  return 0;
}
