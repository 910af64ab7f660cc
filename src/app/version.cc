#include "app/version.h"

#include <cholmod.h>
#include <png.h>
#include <zlib.h>

#include <nlohmann/json.hpp>
#include <toml++/impl/version.h>

#include "solver/profile_factor_fast.h"

// The build sets it from the one version of the CMake project.
#ifndef KELVANE_VERSION
#error "KELVANE_VERSION is not defined: the build passes the project version"
#endif
#ifndef KELVANE_OPENBLAS_VERSION
#error "KELVANE_OPENBLAS_VERSION is not defined: the build passes OpenBLAS's version"
#endif

namespace kelvane {
namespace {

std::string Dotted(int major, int minor, int patch) {
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
}

}  // namespace

const char* ProgramVersion() { return KELVANE_VERSION; }

std::vector<LibraryVersion> LinkedLibraries() {
  // One line a library; nlohmann-json and toml++ are compiled in from their
  // headers, so what was compiled in is what runs.
  return {
      {"zlib", zlibVersion()},
      {"libpng", png_get_libpng_ver(nullptr)},
      {"nlohmann-json", Dotted(NLOHMANN_JSON_VERSION_MAJOR, NLOHMANN_JSON_VERSION_MINOR,
                               NLOHMANN_JSON_VERSION_PATCH)},
      {"toml++", Dotted(TOML_LIB_MAJOR, TOML_LIB_MINOR, TOML_LIB_PATCH)},
      // dxflib has no version to ask; the one pkg-config gave the build.
      {"dxflib", KELVANE_DXFLIB_VERSION},
      // The sparse solver loads these when it first runs, so the versions
      // are those it was built against: asking the libraries would load
      // them, and start OpenBLAS's threads, for a --version.
      {"CHOLMOD", Dotted(CHOLMOD_MAIN_VERSION, CHOLMOD_SUB_VERSION, CHOLMOD_SUBSUB_VERSION)},
      {"OpenBLAS", KELVANE_OPENBLAS_VERSION},
  };
}

std::string VersionLine(const std::string& version, const std::vector<LibraryVersion>& libraries,
                        const std::string& kernel) {
  std::string built_with;
  for (const LibraryVersion& library : libraries) {
    if (!built_with.empty()) built_with += ", ";
    built_with += library.name + " " + library.version;
  }
  if (!built_with.empty()) built_with += "; ";
  return "kelvane2d " + version + " (" + built_with + "profile kernel " + kernel + ")";
}

std::string VersionLine() {
  return VersionLine(ProgramVersion(), LinkedLibraries(), ProcessorKernelName());
}

}  // namespace kelvane
