// Standard output as one of the run's outputs: what is written to it must
// arrive, or the run fails with a message. A descriptor of the three
// standard streams that the program was started without is taken at once,
// so that no file the program opens can become its standard output.
#pragma once

#include <string_view>

namespace kelvane {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed: for
// reading only, so that writes to a closed standard output or error still
// fail as they would have. Call before anything else opens a file.
void ReserveStandardStreams();

// Writes `text` to stdout and flushes it; a failure is a RunError
// "standard output: file not writable: REASON".
void WriteStandardOutput(std::string_view text);

// The program's end: flushes and closes stdout. Returns `status`, or 1
// after printing "PROGRAM: error: standard output: ..." on stderr when
// something written to it did not arrive.
int FinishStandardOutput(int status, const char* program);

}  // namespace kelvane
