# Kelvane2D as a Linux tool: `cmake --install` (make install) puts the
# program, its man page, the README with the pages of docs/, the licence and
# the examples under a prefix, and CPack (make package) makes a Debian
# package of the same.
include(GNUInstallDirs)
set(KELVANE_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/kelvane2d)

# The man page is help2man's reading of --help, with the sections that --help
# has no room for from docs/kelvane2d.h2m, so that the two cannot disagree on
# an option. Debian installs man pages compressed.
option(KELVANE_MAN_PAGE "Make the man page kelvane2d.1 with help2man" ON)
if(KELVANE_MAN_PAGE)
  find_program(KELVANE_HELP2MAN help2man)
  if(NOT KELVANE_HELP2MAN)
    message(FATAL_ERROR "help2man makes the man page: install Debian's help2man "
                        "(make packages does), or configure with -DKELVANE_MAN_PAGE=OFF")
  endif()
  find_program(KELVANE_GZIP gzip REQUIRED)
  set(man_page ${PROJECT_BINARY_DIR}/kelvane2d.1)
  add_custom_command(OUTPUT ${man_page} ${man_page}.gz
    COMMAND ${KELVANE_HELP2MAN} --include=${PROJECT_SOURCE_DIR}/docs/kelvane2d.h2m
            --version-string=${PROJECT_VERSION} --output=${man_page} $<TARGET_FILE:kelvane2d>
    COMMAND ${KELVANE_GZIP} -9 --no-name --force --keep ${man_page}
    DEPENDS kelvane2d ${PROJECT_SOURCE_DIR}/docs/kelvane2d.h2m
    COMMENT "Making the man page kelvane2d.1 from kelvane2d --help"
    VERBATIM)
  add_custom_target(kelvane2d_man_page ALL DEPENDS ${man_page} ${man_page}.gz)
  install(FILES ${man_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

install(TARGETS kelvane2d RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES README.md DESTINATION ${KELVANE_DOC_DIR})
# The pages of docs/ go into a docs folder beside it, so that the README's
# links to them, and theirs to the README and the examples, still resolve.
file(GLOB doc_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md)
install(FILES ${doc_pages} DESTINATION ${KELVANE_DOC_DIR}/docs)
# The licence under the name Debian gives it beside a program's documents,
# with what linking CHOLMOD means for the binary.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence_text)
file(READ ${PROJECT_SOURCE_DIR}/docs/binary-licence.txt binary_licence_text)
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/copyright
     CONTENT "${licence_text}${binary_licence_text}" @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/docs/binary-licence.txt)
install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${KELVANE_DOC_DIR})
# Results and pictures that a run in the source tree left are no examples.
install(DIRECTORY examples/ DESTINATION ${KELVANE_DOC_DIR}/examples
  PATTERN "*.otp.csv" EXCLUDE
  PATTERN "*.svg" EXCLUDE)

# kelvane2d_VERSION_amd64.deb. Its Depends are what dpkg-shlibdeps finds the
# program linked against, so a library added to the build is in them too,
# and the two the sparse solver loads at run time, which it cannot see.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvane2d)
set(CPACK_PACKAGE_VENDOR "the Kelvane2D authors")
set(CPACK_PACKAGE_CONTACT "the Kelvane2D authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "steady two-dimensional heat conduction solver")
set(CPACK_PACKAGE_DESCRIPTION
  "Kelvane2D computes the steady temperature field of a building detail or a
machine part drawn as shapes with named materials, conditions and fixed
temperatures (or given as a grid of cell codes) by the finite-element
method, and writes the nodal temperatures as comma-separated text. On
request it reports heat flows, surface temperatures, fRsi, psi, other
boundary-condition cases and a grid check, draws the field as an SVG
picture and writes a self-contained HTML result page. Large models are
solved by sparse Cholesky (CHOLMOD) in nested-dissection order.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcholmod3, libopenblas0")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
