# Installs the build into a fresh prefix, as `cmake --install build` does, and checks the tree: every file of
# cmake/installed_files.cmake and nothing else, the shared sample user list, the programs running from the
# prefix, the desktop entry, the software-centre file, the manual page naming every command and option the
# program has, and the bash completion offering them. Runs desktop-file-validate and appstreamcli where
# installed.
# Arguments: BUILD (the build folder), SOURCE (the source folder), PREFIX (a folder to install into),
# VERSION (the project's version), LORVANE_APPSTREAM_ID.
cmake_policy(VERSION 3.20)
function(fail what)
    message(FATAL_ERROR "install tree: ${what}")
endfunction()

# Runs a command that must succeed silently on standard error; its output in `out`.
function(run_ok)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
    if(rc)
        fail("${ARGN} failed (${rc}):\n${stdout}${stderr}")
    endif()
    set(out "${stdout}" PARENT_SCOPE)
endfunction()

# A tool's check, or a note that it could not be made.
function(validate tool)
    find_program(found_${tool} ${tool})
    if(found_${tool})
        run_ok(${found_${tool}} ${ARGN})
        set(out "${out}" PARENT_SCOPE)
    else()
        set(out "" PARENT_SCOPE)
        message(STATUS "${tool} not installed: not run")
    endif()
endfunction()

include(${SOURCE}/cmake/installed_files.cmake)
file(REMOVE_RECURSE "${PREFIX}")
run_ok(${CMAKE_COMMAND} --install "${BUILD}" --prefix "${PREFIX}")

file(GLOB_RECURSE installed RELATIVE "${PREFIX}" "${PREFIX}/*")
list(SORT installed)
set(expected ${LORVANE_INSTALLED_FILES})
list(SORT expected)
if(NOT installed STREQUAL expected)
    fail("installed ${installed}\nexpected ${expected}")
endif()

file(SHA256 "${SOURCE}/data/user.dat" sample)
file(SHA256 "${PREFIX}/share/lorvane/user.dat" copied)
if(NOT sample STREQUAL copied)
    fail("share/lorvane/user.dat is not the sample")
endif()

# The installed programs run from the prefix and know their version.
file(WRITE "${PREFIX}/refs.bib" "@book{a,\r\n}\r\n@article{b,\r\n}\r\n")
run_ok("${PREFIX}/bin/lorvane-cli" count "${PREFIX}/refs.bib")
if(NOT out MATCHES "refs.bib: 2")
    fail("bin/lorvane-cli count gave: ${out}")
endif()
foreach(program lorvane lorvane-cli)
    run_ok("${PREFIX}/bin/${program}" --version)
    if(NOT out STREQUAL "${program} ${VERSION}\n")
        fail("${program} --version gave: ${out}")
    endif()
endforeach()

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
validate(desktop-file-validate "${PREFIX}/share/applications/lorvane.desktop")
if(out)
    fail("desktop-file-validate: ${out}")
endif()

# The software-centre file names the desktop entry and the type it opens, in English and Japanese.
set(metainfo "${PREFIX}/share/metainfo/${LORVANE_APPSTREAM_ID}.metainfo.xml")
file(READ "${metainfo}" component)
foreach(part "<id>${LORVANE_APPSTREAM_ID}</id>" "<launchable type=\"desktop-id\">lorvane.desktop</launchable>"
        "<mediatype>text/x-bibtex</mediatype>" "<name xml:lang=\"ja\">" "<summary xml:lang=\"ja\">"
        "screenshots/main-window.png" "screenshots/entry-form.png" "<content_rating")
    string(FIND "${component}" "${part}" at)
    if(at LESS 0)
        fail("${metainfo} lacks ${part}")
    endif()
endforeach()
validate(appstreamcli validate --no-net "${metainfo}")

# The manual page and the completion: every command and option lorvane-cli lists.
run_ok("${PREFIX}/bin/lorvane-cli" --completion-words)
string(REGEX MATCHALL "(^|[ \n])(-[-a-z0-9]+)" options "${out}")
string(REGEX REPLACE "[ \n]" "" options "${options}")
list(REMOVE_DUPLICATES options)
string(REGEX MATCH "^commands ([^\n]*)" commands "${out}")
string(REPLACE " " ";" commands "${CMAKE_MATCH_1}")
file(READ "${SOURCE}/data/man/lorvane-cli.1" page)
string(REPLACE "\\-" "-" page "${page}")
foreach(word ${commands} ${options})
    if(NOT page MATCHES "(^|[^-a-z])${word}([^-a-z]|$)")
        fail("the manual page lorvane-cli(1) does not name ${word}")
    endif()
endforeach()

# Completing the last word of each line (a line ending in a space completes an empty word).
string(REPLACE ";" " " all_commands "${commands}")
find_program(BASH bash)
if(BASH)
    file(WRITE "${PREFIX}/complete.sh" [=[
source "$(dirname "$0")/share/bash-completion/completions/lorvane-cli"
read -ra COMP_WORDS <<<"$1"
[[ $1 == *' ' ]] && COMP_WORDS+=('')
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
_lorvane_cli
echo "${COMPREPLY[*]}"
]=])
    foreach(case "lorvane-cli |${all_commands}" "lorvane-cli add --cat|--category"
            "lorvane-cli add x --category in|incollection inbook inproceedings"
            "lorvane-cli import x --labels a|auto" "lorvane-cli export x --fields author,ti|author,title"
            "lorvane-cli edit x --remove yo|yomi" "lorvane-cli edit x --new|--new-label")
        string(REPLACE "|" ";" case "${case}")
        list(GET case 0 line)
        list(GET case 1 want)
        run_ok(${BASH} "${PREFIX}/complete.sh" "${line}")
        string(FIND "${out}" "${want}" at)
        if(at LESS 0)
            fail("completing '${line}' offered '${out}', not '${want}'")
        endif()
    endforeach()
endif()

file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "install tree: ok")
