#include "app/run.h"
#include "platform/standard_output.h"

int main(int argc, char** argv) {
  kelvane::ReserveStandardStreams();
  return kelvane::FinishStandardOutput(kelvane::RunMain(argc, argv), kelvane::kProgram);
}
