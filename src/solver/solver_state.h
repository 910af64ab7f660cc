// The working state of SolveTemperatureField: its parameters, the sizes
// computed at entry and every working table, shared by the phases. Per-node,
// per-element and per-edge lists are indexed from 1 (entry 0 unused) and
// hold exactly what they list.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/cell.h"
#include "model/grid_place.h"
#include "model/model.h"
#include "model/table2.h"
#include "platform/memory.h"
#include "platform/large_table.h"
#include "solver/solved_field.h"
#include "solver/profile.h"
#include "solver/solver.h"
#include "solver/sparse_factor.h"
#include "solver/sparse_matrix.h"

namespace kelvane {

struct SolverState {
  SolverState(const Model& m, const SolverObserver* o,
              const SolverOptions& options = SolverOptions())
      : model(m), observer(o), solver(options.solver), threads(options.threads) {}

  // Parameters. The observer is the caller's while the phases run, and none
  // afterwards.
  const Model& model;
  const SolverObserver* observer;
  SolverKind solver;  // kAuto until ChooseSolverForMesh has chosen.
  std::string SolverReason;  // Why it chose, in words; empty when asked.
  int threads;  // As asked; 0: one per core the process may use (FactorThreads).
  int phase = 0;  // The phase now running, 1..kPhaseCount; 0 before the first.

  // The result: each node's temperature at its grid point, (0..LastColumn+1,
  // 0..LastRow+1), empty elsewhere; row 0 and column 0 carry the spacings.
  Table2<Cell> ResultGrid;

  // Sizes computed at entry.
  std::int32_t MaterialCount = 0;
  std::int32_t ConvectionCount = 0;
  std::int32_t LastColumn = 0;  // Last index of the first dimension of CellGrid.
  std::int32_t LastRow = 0;     // Last index of the second dimension of CellGrid.
  std::int32_t GridPointCount = 0;

  // The two Gauss points of the element integration, slots 1 and 2.
  std::array<double, 3> GaussPoint{};

  // Grid lines: GridX(k) is the x coordinate of column line k and GridY(j)
  // the distance of row line j from row line 1, both in metres, for
  // 1..Last-1; GridX(1) = GridY(1) = 0.
  std::vector<double> GridX;
  std::vector<double> GridY;

  // Per cell (k, j) and per grid point (k, j), (0..LastColumn+1, 0..LastRow+1).
  Table2<std::int32_t> CellCode;    // 1..MaterialCount material; above: convection
  Table2<std::int32_t> FixedIndex;  // > 0: the point's fixed temperature number

  // Nodes: NodeNumber(k, j) for grid points (0..LastColumn, 0..LastRow), 0
  // where the point is not a node.
  Table2<std::int32_t> NodeNumber;
  std::int32_t NodeCount = 0;
  LargeTable<double> NodeX;  // 1..NodeCount, metres
  LargeTable<double> NodeY;  // 1..NodeCount, metres, 0 on the last row line

  // Elements 1..ElementCount: corners 1..4 (left top, left bottom, right
  // bottom, right top) and material.
  std::int32_t ElementCount = 0;
  LargeTable<std::array<std::int32_t, 5>> ElementNodes;
  LargeTable<std::int32_t> ElementMaterial;

  // Fixed-temperature nodes 1..FixedNodeCount, in the grid's column order.
  std::int32_t FixedNodeCount = 0;
  std::vector<std::int32_t> FixedNodeList;
  std::vector<double> FixedNodeTemperature;
  std::vector<std::int32_t> FixedNodeIndex;  // its number in FixedTemperatureTable
  // Their equations as assembled, 1..FixedNodeCount, recorded before the
  // fixed temperatures are imposed: the load of every later solution is
  // eliminated through them, and the heat flows of fixed temperatures are
  // their reactions.
  std::vector<AssembledRow> FixedNodeRows;

  // Convection edges 1..ConvEdgeCount.
  std::int32_t ConvEdgeCount = 0;
  std::vector<std::int32_t> ConvEdgeNode1;
  std::vector<std::int32_t> ConvEdgeNode2;
  std::vector<double> ConvEdgeCoefficient;
  std::vector<double> ConvEdgeAmbient;
  std::vector<std::int32_t> ConvEdgeCondition;  // its number in ConvectionTable

  // The global system in profile storage; the layout is in solver/profile.h.
  std::vector<std::int32_t> ProfileStart;   // 1..NodeCount
  std::vector<std::int64_t> DiagonalIndex;  // 1..NodeCount (0 holds 0)
  std::int64_t ProfileLength = 0;
  LargeTable<double> ConductanceProfile;    // 1..ProfileLength
  LargeTable<double> LoadVector;            // 1..NodeCount

  // With the sparse solver, the global system in sparse storage (layout in
  // solver/sparse_matrix.h) instead, and its factor.
  SparseSystem Sparse;
  std::unique_ptr<SparseFactor> Factors;
};

// The yield at the start of a phase: reports the phase to the observer,
// after checking that the phases before raised no floating-point fault.
void Yield(SolverState& s, int phase);
// Ends the run if a floating-point fault (division by zero, overflow,
// invalid operation) was raised since the last check.
void CheckFloatingPoint(SolverState& s);

// Places for messages (model/grid_place.h names cells and grid points).
// The grid point of node n (a scan; only for messages).
GridPlace NodePlace(const SolverState& s, std::int32_t n);
bool IsMaterial(const SolverState& s, std::int32_t code);
// The "C" code, with its cell, that last wrote grid point (k, j) (only for
// messages).
std::string FixedTemperatureCodeAt(const SolverState& s, std::int32_t k, std::int32_t j);
// Whether cell (k, j) lies in the outer ring of the code block, which
// carries conditions only.
bool InRing(const SolverState& s, std::int32_t k, std::int32_t j);

// The phases of SolveTemperatureField. Each reads only what the ones before
// it wrote; each is preceded by a yield (Yield) that checks the
// floating-point flags and reports its number and name.
void SetUpGridLines(SolverState& s);
void MarkFixedTemperaturePoints(SolverState& s);
void ReadCellCodes(SolverState& s);
void NumberNodes(SolverState& s);
void NumberElements(SolverState& s);
void SetNodeCoordinates(SolverState& s);
void CollectFixedNodes(SolverState& s);
void CollectConvectionEdges(SolverState& s);
void CheckEveryPartIsDetermined(SolverState& s);
void BuildProfile(SolverState& s);
// For kAuto, after the mesh phases: takes the solver predicted to be faster
// (solver/solver_choice.h) and records why.
void ChooseSolverForMesh(SolverState& s);
// ProfileStart(1..NodeCount): the smallest node sharing an element with
// each node.
void ComputeProfileStarts(SolverState& s);
// After the mesh phases: what each solver's work would be
// (solver/solver_choice.h), the profile's from ProfileStart, which this
// computes.
struct ProfileWork;
struct SparseWork;
ProfileWork ProfileWorkOf(SolverState& s);
SparseWork SparseWorkOf(const SolverState& s);
void AssembleConduction(SolverState& s);
void AddConvectionTerms(SolverState& s);
void ImposeFixedTemperatures(SolverState& s);
void FactorProfile(SolverState& s);
void SolveProfile(SolverState& s);
void FillResultGrid(SolverState& s);
// The sparse solver's phases where the two differ.
void BuildSparseSystem(SolverState& s);
void ImposeFixedTemperaturesSparse(SolverState& s);
void FactorSparse(SolverState& s);
void SolveSparse(SolverState& s);

// Calls add(k) with k the chosen solver's storage as the target of
// assembled terms (ProfileTarget or SparseTarget).
template <typename Add>
void AddIntoSystem(SolverState& s, Add add) {
  if (s.solver == SolverKind::kSparse) {
    SparseTarget k{s.Sparse};
    add(k);
  } else {
    ProfileTarget k{s.ConductanceProfile.data(), s.DiagonalIndex.data()};
    add(k);
  }
}

// The convection edges as lists.
EdgeLists EdgesOf(const SolverState& s);
// Per node 1..NodeCount: whether it is a fixed-temperature node.
std::vector<char> FixedNodeFlags(const SolverState& s);

// Refuses a model without nodes.
void RequireNodes(const SolverState& s);
// The threads the factorisation may use: one per core the process may run
// on, or fewer if asked. More would only wait for each other's rows (the
// profile solver's) or blocks (OpenBLAS's): --threads=64 on 2 cores took
// six times as long, and 4096 three hundred times.
int FactorThreads(const SolverState& s);
// The sparse system's equations, numbered in nested-dissection order, and
// its pattern, all values zero: phase 10 of the sparse solver without the
// analysis of the factorisation.
void MakeSparseSystem(SolverState& s);
// For a model whose profile does not fit under `limit`: what the sparse
// solver would need there, as the end of the refusal ("; with
// --solver=sparse it would need 1.2 GiB"); under an address-space limit the
// whole address space it would map, a figure to give as the limit. Builds
// the sparse pattern and its analysis in `s`.
std::string SparseSolverAdvice(SolverState& s, MemoryLimit limit);

using PhaseFunction = void (*)(SolverState&);

// What one solver does in a phase: the words the progress line shows, and
// the function.
struct PhaseStep {
  const char* name = nullptr;
  PhaseFunction run = nullptr;
};

// One phase: its number (1..kPhaseCount, the order of the run) and its step
// with each solver; a sparse step left empty is the profile step.
struct SolverPhase {
  int number;
  PhaseStep profile;
  PhaseStep sparse;

  const PhaseStep& For(SolverKind solver) const {
    return solver == SolverKind::kSparse && sparse.run != nullptr ? sparse : profile;
  }
};

// The one list of the phases, in the order they run; entry i has number
// i + 1.
extern const SolverPhase kSolverPhases[kPhaseCount];

// The number of the phase that runs `function` with either solver; 0 for
// none.
int PhaseNumber(PhaseFunction function);

// Runs the phases after `s.phase` through the one numbered `last`, each after
// its yield; then checks the floating-point flags once more.
void RunPhasesThrough(SolverState& s, int last);

// The run as the report and the picture see it. After the last phase it is
// the finished run; after the mesh phases a view without temperatures.
SolvedField ViewOfRun(const SolverState& s);

// After the factorisation: overwrites f[1..NodeCount] with the solution of
// the factored system for another load, exactly as the substitution phase
// solves its own.
void SolveAnotherLoad(SolverState& s, double* f);
void SolveAnotherLoadSparse(SolverState& s, double* f);

}  // namespace kelvane
