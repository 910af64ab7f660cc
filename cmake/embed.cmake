# Text files compiled into the program as C strings (embed_text.cmake), so
# that a style sheet or a script is kept, read and checked as the file it
# is. Included by the program's build and by the fuzzing build.

set(KELVANE_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/embed_text.cmake)
get_filename_component(KELVANE_PAGE_DIR ${CMAKE_CURRENT_LIST_DIR}/../src/report/page ABSOLUTE)

# kelvane_embed_text(OUTPUT file.cc INPUT file FUNCTION Name [HEADER dir/x.h]):
# the rule that makes file.cc, defining const char* kelvane::Name(), from
# INPUT whenever INPUT changes. file.cc is then a source like any other.
function(kelvane_embed_text)
  cmake_parse_arguments(E "" "OUTPUT;INPUT;FUNCTION;HEADER" "" ${ARGN})
  add_custom_command(OUTPUT ${E_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${E_INPUT} -DOUTPUT=${E_OUTPUT} -DFUNCTION=${E_FUNCTION}
            -DHEADER=${E_HEADER} -P ${KELVANE_EMBED_SCRIPT}
    DEPENDS ${E_INPUT} ${KELVANE_EMBED_SCRIPT}
    COMMENT "Embedding ${E_INPUT} as ${E_FUNCTION}()"
    VERBATIM)
endfunction()

# The result page's style sheet and script, as PageStyle() and PageScript()
# (report/html_assets.h); `sources` is set to the files to compile.
function(kelvane_page_assets sources)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/embedded)
  kelvane_embed_text(OUTPUT ${dir}/page_style.cc INPUT ${KELVANE_PAGE_DIR}/page.css
                     FUNCTION PageStyle HEADER report/html_assets.h)
  kelvane_embed_text(OUTPUT ${dir}/page_script.cc INPUT ${KELVANE_PAGE_DIR}/page.js
                     FUNCTION PageScript HEADER report/html_assets.h)
  set(${sources} ${dir}/page_style.cc ${dir}/page_script.cc PARENT_SCOPE)
endfunction()
