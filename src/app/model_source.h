// The model a command-line path names, ready to solve: a grid file read as
// it is, or a detail file (.toml) whose grid the grid maker makes; with the
// labels its report and picture speak.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "detail/grid_maker.h"
#include "model/input_reader.h"
#include "model/model.h"
#include "platform/error.h"
#include "platform/warnings.h"
#include "report/cases.h"
#include "model/labels.h"
#include "report/condensation.h"
#include "report/psi.h"

namespace kelvane {

struct LoadedModel {
  std::optional<DetailFile> detail;  // A detail file, as read,
  std::optional<MadeGrid> made;      //   and its grid, with its lines and names.
  Model grid_file;               // A grid file's model,
  ModelLabels grid_file_labels;  //   and its labels.
  std::vector<CaseDefinition> cases;  // A detail file's, in its order.
  std::vector<PsiRequest> psi;        // A detail file's, in its order.
  std::optional<CondensationRequest> condensation;  // A detail file's [condensation].
  // What a detail file's grid and drawing show that is suspicious.
  Warnings warnings;

  const Model& model() const { return made ? made->model : grid_file; }
  const ModelLabels& labels() const { return made ? made->labels : grid_file_labels; }
};

// Whether `path` names a detail file: its name ends in ".toml".
bool IsDetailFile(const std::string& path);

// Reads the model at `path`; a detail file is read and its grid made, for
// the solver `limits` names.
LoadedModel LoadModel(const std::string& path, const GridLimits& limits = GridLimits());

// The model as a grid file: the grid made from a detail file, or a grid
// file as it is. Running it gives the same result file.
std::string GridFileText(const LoadedModel& loaded, const std::string& path);

// Names a place in the grid of a detail file by its drawing's coordinates,
// which are what the user of a detail file knows; other places stay.
void NameInDrawing(RunError& error, const ModelLabels& labels);
// The text of a place in the grid: by the drawing's coordinates for a
// detail file, else by the grid's lines.
std::string DrawingPlaceText(const GridPlace& at, const ModelLabels& labels);

}  // namespace kelvane
