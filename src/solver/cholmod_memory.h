// Where CHOLMOD's memory comes from: large tables (platform/large_table.h).
// Its factor of a large model is gigabytes, and taken from the heap page by
// page its first writes cost more than a third of the factorisation.
#pragma once

#include "solver/cholmod_library.h"

namespace kelvane {

// Makes CHOLMOD take its memory from large tables (once per process).
void UseLargeTablesFor(const CholmodLibrary& lib);

}  // namespace kelvane
