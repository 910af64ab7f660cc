// The tables of the result page, each a <section> of HTML with its heading:
// the report's numbers rounded for people as the text report has them
// (report/rounding.h), temperatures in degrees Celsius for a detail file,
// names escaped. Lengths in mm, flows in W per metre of depth.
#pragma once

#include <string>

#include "report/report.h"

namespace kelvane {

// Name, conductivity and area of every material; a detail file's areas as
// drawn beside them.
std::string MaterialsSection(const ModelReport& report);

// The conditions, their surface temperatures, the fixed temperatures, the
// energy balance, fRsi and the probes of one solution, under headings of
// `level` (2 for the model's own values, 3 inside a case); `id` prefixes the
// sections' ids.
std::string SolutionSections(const SolutionReport& solution, const ModelLabels& labels,
                             int level, const std::string& id);

// The materials that conduct differently along x and y or come from the
// built-in table, with its entry and source; empty when there are none.
std::string MaterialNotesSection(const ModelReport& report);
// Each air cavity: its fill, a point in it, A, w, t and along each axis d,
// b, h_a, h_r and the conductivity; empty without cavities.
std::string CavitiesSection(const ModelReport& report);
// The frame's U_f from L2D, U_p, b_p and b_f.
std::string FrameSection(const FrameReport& frame);

// psi number `index` (from 0) of the report.
std::string PsiSection(const PsiReport& psi, std::size_t index);
// The monthly mould check, its design value and the solution it is judged on.
std::string CondensationSection(const CondensationReport& condensation);
std::string CasesSection(const std::vector<CaseReport>& cases, const ModelLabels& labels);
// The coupling matrix, and L2D between `environments` where given.
std::string CouplingSection(const CouplingMatrix& coupling,
                            const std::vector<EnvironmentCoupling>& environments,
                            const ModelLabels& labels);
// The grid check, with the probes of the model's grid beside the fine one's.
std::string GridCheckSection(const GridCheckReport& check, const std::vector<ProbeReport>& probes,
                             const ModelLabels& labels);

}  // namespace kelvane
