# The sparse direct solver's libraries: CHOLMOD from SuiteSparse (Debian:
# libsuitesparse-dev), which has no CMake configuration of its own, and
# OpenBLAS (libopenblas-dev).
#
# kelvane_cholmod_headers: the program loads both libraries when the sparse
# solver first runs (solver/cholmod_library.h says why), so it needs only
# CHOLMOD's header and dlopen. kelvane_cholmod links them, for the
# benchmark's run of CHOLMOD on its own; OpenBLAS is linked directly, so
# that CHOLMOD's BLAS calls reach it even where the system's libblas.so.3 is
# the reference BLAS, which factors half as fast. Both libraries are
# required here so that a build without them fails now, not its first
# sparse run.
find_path(CHOLMOD_INCLUDE_DIR cholmod.h PATH_SUFFIXES suitesparse REQUIRED)
find_library(CHOLMOD_LIBRARY cholmod REQUIRED)
find_library(SUITESPARSE_CONFIG_LIBRARY suitesparseconfig REQUIRED)
find_library(OPENBLAS_LIBRARY openblas REQUIRED)

add_library(kelvane_cholmod_headers INTERFACE)
target_include_directories(kelvane_cholmod_headers SYSTEM INTERFACE ${CHOLMOD_INCLUDE_DIR})
target_link_libraries(kelvane_cholmod_headers INTERFACE ${CMAKE_DL_LIBS})

add_library(kelvane_cholmod INTERFACE)
target_link_libraries(kelvane_cholmod INTERFACE kelvane_cholmod_headers
  ${OPENBLAS_LIBRARY} ${CHOLMOD_LIBRARY} ${SUITESPARSE_CONFIG_LIBRARY})
