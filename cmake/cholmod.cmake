# The sparse direct solver's libraries: CHOLMOD from SuiteSparse (Debian:
# libsuitesparse-dev), which has no CMake configuration of its own, and
# OpenBLAS (libopenblas-dev). The program loads both when the sparse solver
# first runs (solver/cholmod_library.h says why), so it needs only CHOLMOD's
# header and dlopen; the libraries are looked for here all the same, so that
# a build without them fails now rather than its first sparse run.
find_path(CHOLMOD_INCLUDE_DIR cholmod.h PATH_SUFFIXES suitesparse REQUIRED)
find_library(CHOLMOD_LIBRARY cholmod REQUIRED)
find_library(OPENBLAS_LIBRARY openblas REQUIRED)

add_library(kelvane_cholmod_headers INTERFACE)
target_include_directories(kelvane_cholmod_headers SYSTEM INTERFACE ${CHOLMOD_INCLUDE_DIR})
target_link_libraries(kelvane_cholmod_headers INTERFACE ${CMAKE_DL_LIBS})

# OpenBLAS's version, for --version (app/version.cc): the one it was built
# against, since the program loads it only for a sparse run.
find_package(PkgConfig REQUIRED)
pkg_check_modules(OPENBLAS_PC REQUIRED openblas)
set(OPENBLAS_VERSION ${OPENBLAS_PC_VERSION})
