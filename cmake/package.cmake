# The Debian package: cpack -G DEB in a Release build (scripts/package). Version, maintainer and files come
# from the rest of the build; the run-time libraries are read from the programs (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Lorvane Editor maintainers")
set(CPACK_PACKAGE_CONTACT "${LORVANE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "BibTeX bibliography editor with a Japanese user interface")
# The long description, below the summary; CPack indents it as Debian's control file wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Lorvane Editor edits BibTeX bibliography files (.bib) as plain text, one file
at a time, in Shift-JIS, UTF-8, EUC-JP or ISO-2022-JP, keeping the file's
encoding and line breaks. A form writes a correct entry of one of thirteen
categories after checking that its label is unused, the status bar shows how
many entries the document holds, and entries are exported to CSV files and
imported from them.

lorvane-cli does the same from a shell: counting, adding an entry, and the
CSV export and import.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${LORVANE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${LORVANE_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so no library dependency names them: the SVG plug-in draws the program icon, a
# Japanese gothic shows the text, the URW condensed face the about box's title.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, fonts-noto-cjk | fonts-ipafont-gothic, fonts-urw-base35")
# Qt's own texts (file dialogs) in Japanese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
# The prefix the programs were built for (they look for the shared user.dat there): scripts/package
# configures /usr.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
