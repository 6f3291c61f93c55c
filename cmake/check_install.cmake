# Installs the build into a fresh prefix, as `cmake --install build --prefix DIR` does for a user, and
# checks the tree: both programs, the sample user list beside the editor (never over the user's own), the
# desktop entry and its icon. Runs desktop-file-validate where it is installed.
# Arguments: BUILD (the build folder), SOURCE (the source folder), PREFIX (a folder to install into).
function(fail what)
    message(FATAL_ERROR "install tree: ${what}")
endfunction()

function(install_into prefix)
    execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${prefix}"
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(rc)
        fail("cmake --install failed:\n${out}")
    endif()
endfunction()

file(REMOVE_RECURSE "${PREFIX}")
install_into("${PREFIX}")

foreach(f bin/lorvane bin/lorvane-cli bin/user.dat share/applications/lorvane.desktop
          share/icons/hicolor/scalable/apps/lorvane.svg)
    if(NOT EXISTS "${PREFIX}/${f}")
        fail("${f} is missing")
    endif()
endforeach()
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" "${PREFIX}/*")
list(LENGTH installed count)
if(NOT count EQUAL 5)
    fail("expected five files, found: ${installed}")
endif()

file(SHA256 "${SOURCE}/data/user.dat" sample)
file(SHA256 "${PREFIX}/bin/user.dat" copied)
if(NOT sample STREQUAL copied)
    fail("bin/user.dat is not the sample")
endif()

# The installed batch program runs from the prefix.
file(WRITE "${PREFIX}/refs.bib" "@book{a,\r\n}\r\n@article{b,\r\n}\r\n")
execute_process(COMMAND "${PREFIX}/bin/lorvane-cli" count "${PREFIX}/refs.bib"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc OR NOT out MATCHES "refs.bib: 2")
    fail("bin/lorvane-cli count gave: ${out}")
endif()

# The desktop entry starts the installed program with the file and names the installed icon.
file(STRINGS "${PREFIX}/share/applications/lorvane.desktop" entry)
foreach(line "Exec=lorvane %f" "Icon=lorvane" "Categories=Office;" "MimeType=text/x-bibtex;")
    list(FIND entry "${line}" at)
    if(at LESS 0)
        fail("the desktop entry lacks ${line}")
    endif()
endforeach()
if(NOT entry MATCHES "Name\\[ja\\]=" OR NOT entry MATCHES "Comment\\[ja\\]=")
    fail("the desktop entry has no Japanese name or comment")
endif()

find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
    execute_process(COMMAND "${VALIDATE}" "${PREFIX}/share/applications/lorvane.desktop"
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(rc OR out)
        fail("desktop-file-validate: ${out}")
    endif()
else()
    message(STATUS "desktop-file-validate not installed: the entry was not validated")
endif()

# Installing again keeps the user's own list.
file(WRITE "${PREFIX}/bin/user.dat" "@begin{Journal}\r\nmine\r\n@end{Journal}\r\n")
install_into("${PREFIX}")
file(READ "${PREFIX}/bin/user.dat" kept)
if(NOT kept MATCHES "mine")
    fail("installing again replaced the user's user.dat")
endif()

file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "install tree: ok")
