# Every file an installation holds, relative to the install prefix: what cmake --install writes and the
# Debian package carries under /usr. The install and package tests check against this list.
set(LORVANE_INSTALLED_FILES
    bin/lorvane
    bin/lorvane-cli
    share/applications/lorvane.desktop
    share/icons/hicolor/scalable/apps/lorvane.svg
    share/metainfo/${LORVANE_APPSTREAM_ID}.metainfo.xml
    share/lorvane/user.dat
    share/lorvane/screenshots/main-window.png
    share/lorvane/screenshots/entry-form.png
    share/man/man1/lorvane.1.gz
    share/man/man1/lorvane-cli.1.gz
    share/bash-completion/completions/lorvane-cli
    share/doc/lorvane/copyright
    share/doc/lorvane/changelog.gz)
