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
#include "platform/warnings.h"
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

// fRsi = (T_si,min - T_e) / (T_i - T_e) of a warm environment: T_i the
// ambient of the warmest environments, T_e that of the coldest, T_si,min
// the lowest surface temperature on the edges of the warm environment's
// conditions. Only conditions with edges and h != 0 take part.
struct TemperatureFactor {
  double value = 0;
  std::string environment;       // The warm environment,
  std::int32_t warm_condition = 0;  //   and its condition that holds the point.
  std::string warm_name;
  std::string cold_environment;  // The cold environment, and a condition of it.
  std::int32_t cold_condition = 0;
  std::string cold_name;
  double inside = 0;
  double outside = 0;
  SurfacePoint surface;
};

// What fRsi is asked to reach, and whether it does: met when fRsi is at
// least frsi_min, the margin fRsi - frsi_min.
struct FactorVerdict {
  double frsi_min = 0;
  std::string basis;  // Where frsi_min comes from, in words.
  bool met = false;
  double margin = 0;
};

// An environment's heat flow: that of its conditions and fixed
// temperatures together.
struct EnvironmentReport {
  std::string name;
  double ambient = 0;
  double flow = 0;
  std::vector<std::string> members;  // The conditions' and fixed temperatures' names.
  bool touches = false;              // Whether any of them has an edge or a node.
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
  std::string source;  // The built-in entry it takes, with its source; or empty.
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
  std::vector<EnvironmentReport> environments;  // Every environment, as ModelLabels.
  // The lowest fRsi of a warm environment (with two environments or more),
  // and each warm environment's when there are several.
  std::optional<TemperatureFactor> frsi;
  std::vector<TemperatureFactor> frsi_by_environment;
  std::optional<FactorVerdict> verdict;  // When fRsi is asked to reach a value.
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
  std::string name;        // Of [[psi]]; empty for one [psi].
  std::string between[2];  // The environments' names.
  double l2d = 0;          // W/(m K), from the coupling coefficients
  std::vector<FlankingReport> flanking;
  double flanking_sum = 0;  // sum of U_j l_j, W/(m K)
  double psi = 0;
};

// The frame's U_f = (L2D - U_p b_p) / b_f by EN ISO 10077-2, W/(m2 K):
// L2D between the inside and the outside, U_p of the insulating panel over
// its visible width b_p, b_f the frame's projected width (m).
struct FrameReport {
  std::string between[2];
  double l2d = 0;  // W/(m K)
  FlankingReport panel;  // U_p and b_p (its length), with its layers.
  double width = 0;      // b_f
  double u_f = 0;
};

// L2D between two environments, W/(m K).
struct EnvironmentCoupling {
  std::string between[2];
  double l2d = 0;
};

// EN ISO 13788, month by month: the inside vapour pressure, the lowest
// surface temperature at which the surface's relative humidity stays at 80 %
// (against mould), and the fRsi that asks; the design value is the largest.
struct CondensationMonth {
  double outside_temperature = 0;  // °C
  double outside_humidity = 0;     // %
  double inside_temperature = 0;   // °C
  double inside_pressure = 0;      // Pa
  double surface_minimum = 0;      // theta_si,min, °C
  std::optional<double> frsi_min;  // None where the inside is no warmer.
};
struct CondensationReport {
  std::vector<CondensationMonth> months;  // January first.
  std::optional<std::size_t> design_month;  // The month of the largest fRsi,min.
  std::string judged;  // Whose fRsi the verdict takes: "the model's own values" or a case.
};

struct ModelReport {
  std::string model;  // The model file, as the command line named it.
  std::string title;
  std::string solver;  // Which solver ran: "profile" or "sparse".
  std::string solver_reason;  // Why, where --solver=auto chose it; else empty.
  ModelLabels labels;
  GridSize grid;
  std::vector<MaterialReport> materials;  // Material by material.
  SolutionReport base;  // The model's own environment values.
  std::optional<CouplingMatrix> coupling;
  // L2D between every two environments that touch the model, from the
  // coupling matrix (with --coupling), in the order of ModelLabels.
  std::vector<EnvironmentCoupling> environment_coupling;
  std::vector<PsiReport> psi;  // Of the model's own values, in the file's order.
  std::optional<FrameReport> frame;
  std::optional<CondensationReport> condensation;
  std::vector<CaseReport> cases;
  std::optional<GridCheckReport> grid_check;
  // What is valid but suspicious in the model, in the order found.
  Warnings warnings;
};

GridSize GridSizeOf(const SolvedField& field);

// The report of the solution `t` (1..node_count) of the run `field`, made
// for the environment values `values`: the run's own, or a case's that
// changed only ambients and fixed temperatures.
SolutionReport ReportSolution(const SolvedField& field, std::span<const double> t,
                              const EnvironmentValues& values, const ModelLabels& labels);

// What psi is asked between, and over what: two environments, each the
// model's conditions and fixed temperatures it stands for.
struct PsiRequest {
  std::string name;  // Empty for a detail file's one [psi].
  EnvironmentLabel between[2];
  std::vector<FlankingReport> flanking;  // In the file's order.
  std::string place = "[psi]";           // Of `between`, for a refusal.
};

// What U_f is asked between: the inside and the outside environment, the
// panel and the frame's projected width b_f (m).
struct FrameRequest {
  EnvironmentLabel between[2];
  FlankingReport panel;
  double width = 0;
  std::string place = "[frame]";  // Of `between`, for a refusal.
};

// What a report is asked for beyond the flows: the coupling coefficients,
// and the psi and U_f of a detail file (for which they are worked out, and
// shown only when asked).
struct ReportRequest {
  bool coupling = false;
  std::vector<PsiRequest> psi;
  std::optional<FrameRequest> frame;
};

// The report of a finished run with its own values.
ModelReport BuildReport(const Solution& solution, const ModelLabels& labels,
                        const std::string& model, const ReportRequest& request);

// L2D between every two environments of `labels` that touch the model,
// from the coupling matrix of their conditions and fixed temperatures.
std::vector<EnvironmentCoupling> EnvironmentCouplings(const CouplingMatrix& coupling,
                                                      const ModelLabels& labels);

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
