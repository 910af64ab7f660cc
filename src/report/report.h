// The engineering results of one solved model, printed after it on stdout:
// the heat flow through every convection condition and fixed temperature,
// the lowest and highest surface temperature of each condition, the energy
// balance, the temperature factor fRsi and, on request, the coupling
// coefficients. As text (--report) or as one JSON object per line
// (--report=json), or in the result page (html_page.h); each renderer reads
// this one model, whose parts carry their names.
//
// Units: every length in these types is in metres and every area in m2
// (the renderers show millimetres where a person reads them, through
// model/units.h); flows are in W per metre of depth, positive into the
// model; temperatures in the model's unit.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "report/coupling.h"
#include "model/environment_values.h"
#include "model/labels.h"
#include "solver/solved_field.h"
#include "solver/solver.h"

namespace kelvane {

enum class ReportFormat { kNone, kText, kJson };

// A node on a convection edge, with its temperature: grid point (column
// line, row line) and coordinates in metres, in the model's coordinates
// (ModelLabels: the drawing's for a detail file).
struct SurfacePoint {
  double temperature = 0;
  std::int32_t column_line = 0;
  std::int32_t row_line = 0;
  double x = 0;
  double y = 0;
};

struct ConditionReport {
  std::int32_t number = 0;
  std::string name;
  double ambient = 0;
  double coefficient = 0;
  std::int32_t edges = 0;
  double length = 0;  // metres
  double flow = 0;
  std::optional<SurfacePoint> lowest;   // None without edges.
  std::optional<SurfacePoint> highest;
};

struct FixedReport {
  std::int32_t number = 0;
  std::string name;
  double temperature = 0;
  std::int32_t nodes = 0;
  double flow = 0;
};

// fRsi = (T_si,min - T_e) / (T_i - T_e): T_i the ambient of the warmest
// condition, T_e that of the coldest, T_si,min the lowest surface
// temperature on the edges of the warmest (of all that share its ambient).
// Only conditions with edges and h != 0 take part.
struct TemperatureFactor {
  double value = 0;
  std::int32_t warm_condition = 0;
  std::int32_t cold_condition = 0;
  std::string warm_name;
  std::string cold_name;
  double inside = 0;
  double outside = 0;
  SurfacePoint surface;
};

// A probe's temperature, at x, y of the drawing.
struct ProbeReport {
  std::string name;
  double x = 0;
  double y = 0;
  double temperature = 0;
};

// A material: its conductivity, the area its cells cover and, for a detail
// file, the area the drawing gives it.
struct MaterialReport {
  std::string name;
  double conductivity_x = 0;  // W/(m K)
  double conductivity_y = 0;
  double cells = 0;  // m2
  std::optional<double> drawn;  // m2
  // Whether the cells cover what is drawn, up to the rounding of their
  // sizes (MaterialArea::AsDrawn).
  bool AsDrawn() const;
};

// The size of the grid the model was solved on.
struct GridSize {
  std::int32_t columns = 0;  // Cells inside the ring.
  std::int32_t rows = 0;
  std::int32_t nodes = 0;
  std::int32_t elements = 0;
};

// What one solution gives: the flows, surface temperatures, balance, fRsi
// and probes, for the model's own environment values or a case's.
struct SolutionReport {
  std::vector<ConditionReport> conditions;  // Every condition, in number order.
  std::vector<FixedReport> fixed;           // Every fixed temperature.
  double balance = 0;           // Sum of all flows, conditions first.
  double largest_flow = 0;      // Largest magnitude among them.
  double relative_balance = 0;  // balance / largest_flow; 0 when all are 0.
  std::optional<TemperatureFactor> frsi;  // With two conditions or more.
  // When a fixed temperature lies beyond the warm or the cold side's
  // ambient (a heating pipe), fRsi could leave 0 to 1 and mean nothing: it
  // is not given, and this says why.
  struct FactorWithheld {
    FixedReport by;
    double inside = 0;
    double outside = 0;
  };
  std::optional<FactorWithheld> frsi_withheld;
  std::vector<ProbeReport> probes;
};

// A case of a detail file: the same grid with other environment values.
struct CaseReport {
  std::string name;
  // Whether it changed a heat-transfer coefficient and so needed a
  // factorisation of its own; otherwise it reused the model's.
  bool own_factorisation = false;
  SolutionReport solution;
};

// The grid check: the model solved again on a finer grid, a detail file's
// made again from the drawing with every cell size halved, a grid file's
// with every cell cut into 2 x 2. EN ISO 10211 asks that the heat flows
// entering the model differ by less than 1 % between the two grids.
struct GridCheckReport {
  GridSize fine_grid;
  bool redrawn = false;  // Made again from the drawing, not cut.
  double entering = 0;       // W/m on the model's grid, and
  double entering_fine = 0;  //   on the fine one
  double relative_difference = 0;  // (fine - given) / given
  bool passes = false;             // |relative_difference| < 1 %
  // Every environment at one temperature: no heat flows, whatever rounding
  // leaves of the flows; the check passes with a difference of 0.
  bool no_flow = false;
  // The largest change of a probe and of a condition's lowest surface
  // temperature, fine minus given, with what changed; none without any.
  std::optional<std::pair<std::string, double>> probe_change;
  std::optional<std::pair<std::string, double>> surface_change;
  std::vector<ProbeReport> fine_probes;  // Every probe on the fine grid.
};

// A flanking element of psi: U and the length it applies over, with the
// layers it was computed from when a segment across the drawing gave them.
struct FlankingLayerReport {
  std::string material;
  double thickness = 0;
  double conductivity = 0;  // W/(m K)
};
struct FlankingReport {
  double u = 0;  // W/(m2 K)
  double length = 0;
  bool from_segment = false;
  double from_x = 0, from_y = 0, to_x = 0, to_y = 0;  // When from a segment.
  std::vector<FlankingLayerReport> layers;
  double resistance_from = 0;  // m2 K/W at the segment's ends
  double resistance_to = 0;
};

// psi = L2D - sum of U_j l_j between two environments, W/(m K).
struct PsiReport {
  std::string between[2];  // The environments' names.
  double l2d = 0;          // W/(m K), from the coupling coefficients
  std::vector<FlankingReport> flanking;
  double flanking_sum = 0;  // sum of U_j l_j, W/(m K)
  double psi = 0;
};

struct ModelReport {
  std::string model;  // The model file, as the command line named it.
  std::string title;
  std::string solver;  // Which solver ran: "profile" or "sparse".
  ModelLabels labels;
  GridSize grid;
  std::vector<MaterialReport> materials;  // Material by material.
  SolutionReport base;  // The model's own environment values.
  std::optional<CouplingMatrix> coupling;
  std::optional<PsiReport> psi;  // Of the model's own values, when asked.
  std::vector<CaseReport> cases;
  std::optional<GridCheckReport> grid_check;
};

GridSize GridSizeOf(const SolvedField& field);

// The report of the solution `t` (1..node_count) of the run `field`, made
// for the environment values `values`: the run's own, or a case's that
// changed only ambients and fixed temperatures.
SolutionReport ReportSolution(const SolvedField& field, std::span<const double> t,
                              const EnvironmentValues& values, const ModelLabels& labels);

struct PsiRequest;

// The report of a finished run with its own values, its coupling
// coefficients when asked, and psi when `psi` asks for it (the coupling
// coefficients are then worked out, and shown only when asked).
ModelReport BuildReport(const Solution& solution, const ModelLabels& labels,
                        const std::string& model, bool with_coupling,
                        const PsiRequest* psi = nullptr);

// The report as lines of text, ending with an empty line.
std::string ReportText(const ModelReport& report);

// Why `r` gives no fRsi though its conditions would: "not given, since the
// fixed temperature "water" (35) lies above the warm side's ambient (20)".
std::string FrsiWithheldText(const SolutionReport& r);
// The report as one JSON object on one line.
std::string ReportJson(const ModelReport& report);
// The JSON line of a model that failed: {"model": ..., "error": ...}.
std::string ReportErrorJson(const std::string& model, const std::string& message);

}  // namespace kelvane
