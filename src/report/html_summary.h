// The summary box at the top of the result page: what a reader looks for
// first, each figure rounded as the tables have it and linking to its
// table. psi, fRsi with its verdict, the grid check's verdict and the
// number of warnings; a figure the run did not compute is left out.
#pragma once

#include <string>

#include "report/report.h"

namespace kelvane {

// The box as one <section>, or nothing when the run computed none of them
// and has no warnings.
std::string SummarySection(const ModelReport& report);

// Who and what the result is for: a detail file's [report], as the first
// rows (<dt>, <dd>) of the page's list of facts; nothing when it gives none.
std::string HeaderFacts(const ReportHeader& header);

}  // namespace kelvane
