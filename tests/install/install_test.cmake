# The program as a user installs it: `cmake --install` into a fresh prefix,
# then the installed program on an installed example, and its man page as
# man finds and formats it.
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DPREFIX=... -DVERSION=... -DMAN_PAGE=ON|OFF
#         -P install_test.cmake

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(status "${status}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_equal what actual expected)
  if(NOT actual STREQUAL expected)
    message(FATAL_ERROR "${what}:\n  got      '${actual}'\n  expected '${expected}'")
  endif()
endfunction()

file(REMOVE_RECURSE ${PREFIX})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX})
expect_equal("cmake --install status (${err})" "${status}" 0)

# Exactly these files outside the examples: no test program, library or
# header comes along, and every page of docs/ does.
set(doc ${PREFIX}/share/doc/kelvane2d)
set(expected bin/kelvane2d share/doc/kelvane2d/README.md share/doc/kelvane2d/copyright)
file(GLOB pages RELATIVE ${SOURCE_DIR}/docs ${SOURCE_DIR}/docs/*.md)
foreach(page ${pages})
  list(APPEND expected share/doc/kelvane2d/docs/${page})
endforeach()
if(MAN_PAGE)
  list(APPEND expected share/man/man1/kelvane2d.1.gz)
endif()
file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE ${PREFIX} ${PREFIX}/*)
list(FILTER installed EXCLUDE REGEX "^share/doc/kelvane2d/examples/")
list(SORT installed)
expect_equal("installed files" "${installed}" "${expected}")
file(READ ${doc}/copyright copyright)
if(NOT copyright MATCHES "MIT License" OR NOT copyright MATCHES "GNU GPL, version 2 or later")
  message(FATAL_ERROR "the installed copyright lacks the MIT text or the GPL note:\n${copyright}")
endif()
# The README's links to the pages resolve in the installed folder.
if(NOT EXISTS ${doc}/docs/detail-files.md)
  message(FATAL_ERROR "docs/detail-files.md not installed beside the README")
endif()
foreach(example worked_example.inp wall_slab.toml validation/iso10211_case2.toml)
  if(NOT EXISTS ${doc}/examples/${example})
    message(FATAL_ERROR "example ${example} not installed")
  endif()
endforeach()

# The installed program on the installed worked example: the result lands
# beside it, and the settings value names the installed program's folder.
set(config ${PREFIX}/config)
run(${CMAKE_COMMAND} -E env XDG_CONFIG_HOME=${config}
    ${PREFIX}/bin/kelvane2d -q ${doc}/examples/worked_example.inp)
expect_equal("run status (${err})" "${status}" 0)
file(WRITE ${PREFIX}/expected.otp.csv " 4 ,  5 \r\n100,99.0334408723144,98.0988354738635,,\r\n"
  "100,99.0796113038465,98.1347165644368,,\r\n,,,,\r\n,,,,\r\n")
run(${CMAKE_COMMAND} -E compare_files ${PREFIX}/expected.otp.csv
    ${doc}/examples/worked_example.otp.csv)
expect_equal("the worked example's result is as expected" "${status}" 0)
file(READ ${config}/Tessel/settings.ini settings)
expect_equal("settings" "${settings}" "[Kelvane2D1]\nslvpath=${PREFIX}/bin\n")

run(${PREFIX}/bin/kelvane2d --version)
if(NOT status EQUAL 0 OR NOT out MATCHES "^kelvane2d ${VERSION} \\(zlib ")
  message(FATAL_ERROR "--version: status ${status}, '${out}'")
endif()

if(NOT MAN_PAGE)
  return()
endif()
find_program(MAN man)
if(NOT MAN)
  message(STATUS "man is not there: the installed man page was not read")
  return()
endif()
# man finds the page under the prefix, and formats it without a warning.
run(${MAN} -M ${PREFIX}/share/man -w kelvane2d)
expect_equal("man -w" "${out}" "${PREFIX}/share/man/man1/kelvane2d.1.gz\n")
run(${CMAKE_COMMAND} -E env MANWIDTH=80 ${MAN} --warnings -E UTF-8 -l
    ${PREFIX}/share/man/man1/kelvane2d.1.gz)
expect_equal("man warnings" "${err}" "")
foreach(section SYNOPSIS OPTIONS "DETAIL FILES" "GRID FILES" FILES EXAMPLES)
  if(NOT out MATCHES "\n${section}\n")
    message(FATAL_ERROR "the man page has no section ${section}:\n${out}")
  endif()
endforeach()
if(NOT out MATCHES "--svg=FILE")
  message(FATAL_ERROR "the man page lists no options:\n${out}")
endif()
