# cmake -DINPUT=file -DOUTPUT=file.cc -DFUNCTION=Name [-DHEADER=dir/x.h] -P embed_text.cmake
#
# Writes a C++ source file that defines `const char* kelvane::Name()`, which
# returns the bytes of INPUT as a C string. Every byte is written as a hex
# escape, so that no content can end the literal early (a ")" followed by a
# quote, a backslash, a delimiter) and non-ASCII bytes pass unchanged. A NUL
# byte is refused, since the function's C string would end there.
# Run at build time by kelvane_embed_text (embed.cmake).

foreach(variable INPUT OUTPUT FUNCTION)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "embed_text.cmake: ${variable} is not set")
  endif()
endforeach()

file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
# Each byte is now four characters, so a NUL is an "\\x00" and nothing else is.
string(FIND "${escaped}" "\\x00" nul)
if(NOT nul EQUAL -1)
  math(EXPR offset "${nul} / 4")
  message(FATAL_ERROR "${INPUT}: byte ${offset} is NUL, which cannot be embedded in a C string")
endif()

# Sixteen bytes a line of the literal.
string(LENGTH "${escaped}" length)
set(lines "")
set(position 0)
while(position LESS length)
  string(SUBSTRING "${escaped}" ${position} 64 line)
  string(APPEND lines "    \"${line}\"\n")
  math(EXPR position "${position} + 64")
endwhile()
if(lines STREQUAL "")
  set(lines "    \"\"\n")
endif()

set(include "")
if(DEFINED HEADER AND NOT HEADER STREQUAL "")
  set(include "#include \"${HEADER}\"\n\n")
endif()
file(TO_CMAKE_PATH "${INPUT}" shown)
set(text "// Made at build time from ${shown} by cmake/embed_text.cmake: edit that file.\n${include}namespace kelvane {\n\nconst char* ${FUNCTION}() {\n  return\n${lines}  ;\n}\n\n}  // namespace kelvane\n")

file(WRITE "${OUTPUT}" "${text}")
