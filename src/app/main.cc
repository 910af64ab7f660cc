#include "app/run.h"

int main(int argc, char** argv) { return kelvane::RunMain(argc, argv); }
