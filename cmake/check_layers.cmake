# Fails when a folder of src/ includes from a folder above it, or from one it must stand beside. The
# layers, bottom up:
set(layers base text bibtex ui entry csv document settings view app cli)
# Folder pairs "a>b": a may not include b although b is below it. The batch tool uses the document and the
# rules, never the window.
set(apart "cli>app")
set(bad "")

# Checks the includes of file `f` (`rel` in the report), which stands on the layer `folder`.
function(check_file f rel folder)
    list(FIND layers "${folder}" own)
    file(STRINGS "${f}" includes REGEX "^#include \"[a-z]+/")
    foreach(line ${includes})
        string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" target "${line}")
        list(FIND layers "${target}" other)
        list(FIND apart "${folder}>${target}" forbidden)
        if(own LESS 0 OR other LESS 0 OR other GREATER own OR forbidden GREATER -1)
            list(APPEND bad "${rel}: ${line}")
        endif()
    endforeach()
    set(bad "${bad}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources "${ROOT}/*.h" "${ROOT}/*.cpp")
foreach(f ${sources})
    file(RELATIVE_PATH rel "${ROOT}" "${f}")
    if(NOT rel MATCHES "/")
        continue() # main.cpp stands above every layer
    endif()
    string(REGEX REPLACE "/.*" "" folder "${rel}")
    check_file("${f}" "${rel}" "${folder}")
endforeach()

# With BENCH (the bench folder): its files stand on the document layer, all but window_*, which measure
# the window and may include anything. The figures of the file format and the rules need no window.
if(BENCH)
    file(GLOB bench_sources "${BENCH}/*.h" "${BENCH}/*.cpp")
    list(FILTER bench_sources EXCLUDE REGEX "/window_[^/]*$")
    if(NOT bench_sources)
        message(FATAL_ERROR "No file of ${BENCH} stands on the document layer")
    endif()
    foreach(f ${bench_sources})
        get_filename_component(name "${f}" NAME)
        check_file("${f}" "bench/${name}" document)
    endforeach()
endif()

if(bad)
    string(REPLACE ";" "\n" bad "${bad}")
    message(FATAL_ERROR "Includes from a folder above, or from one set apart:\n${bad}")
endif()
message(STATUS "layers checked: ok")
