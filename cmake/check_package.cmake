# Builds the Debian package of the build with cpack into a fresh folder (a few seconds) and checks with
# dpkg-deb, as a user without root can, that it holds every file of cmake/installed_files.cmake under the
# prefix, its version, and the dependencies the programs load at run time. Skipped, with a note, where the
# Debian tools are missing.
# Arguments: BUILD (the build folder), SOURCE (the source folder), OUT (a folder for the package),
# VERSION (the project's version), PREFIX (the install prefix), LORVANE_APPSTREAM_ID.
cmake_policy(VERSION 3.20)
function(fail what)
    message(FATAL_ERROR "package: ${what}")
endfunction()

# cpack's Debian generator runs `file` on every installed file to find the programs whose dependencies
# dpkg-shlibdeps reads.
foreach(tool dpkg-deb dpkg-shlibdeps file)
    find_program(found_${tool} ${tool})
    if(NOT found_${tool})
        message(STATUS "package test skipped: ${tool} is not installed (apt-get install dpkg-dev file)")
        return()
    endif()
endforeach()

file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} -G DEB -B "${OUT}" --config "${BUILD}/CPackConfig.cmake"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(GLOB deb "${OUT}/lorvane_${VERSION}_*.deb")
if(rc OR NOT deb)
    fail("cpack made no lorvane_${VERSION}_*.deb:\n${out}")
endif()

execute_process(COMMAND ${found_dpkg-deb} -c "${deb}" OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(rc)
    fail("dpkg-deb -c ${deb} failed")
endif()
include(${SOURCE}/cmake/installed_files.cmake)
foreach(file ${LORVANE_INSTALLED_FILES})
    string(FIND "${listing}" " .${PREFIX}/${file}\n" at)
    if(at LESS 0)
        fail("${deb} lacks .${PREFIX}/${file}:\n${listing}")
    endif()
endforeach()

execute_process(COMMAND ${found_dpkg-deb} -f "${deb}" Version Depends OUTPUT_VARIABLE fields)
foreach(part "Version: ${VERSION}\n" "libqt6svg6" "fonts-noto-cjk | fonts-ipafont-gothic" "libqt6widgets6")
    string(FIND "${fields}" "${part}" at)
    if(at LESS 0)
        fail("the control fields lack ${part}:\n${fields}")
    endif()
endforeach()
file(REMOVE_RECURSE "${OUT}")
message(STATUS "package: ok")
