# cmake -DDEPENDS_SCRIPT=<desktop/debiandepends.cmake> -DCPACK_PLIT_…=… -P debiandepends.cmake
# The package's run-time dependencies as cpack finds them: the interface's
# QML imports and the plugins, each mapped to the Debian package owning it.
set(CPACK_GENERATOR DEB)
include(${DEPENDS_SCRIPT})
# main.qml imports QtQuick and QtQuick.Window, the program-path dialog
# QtQuick.Dialogs; the database needs the SQLite driver, the windows the X11
# platform plugin of libqt5gui5.
foreach(package qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtquick-dialogs
        libqt5sql5-sqlite libqt5gui5)
    if(NOT ", ${CPACK_DEBIAN_PACKAGE_DEPENDS}," MATCHES ", ${package},")
        message(FATAL_ERROR "${package} is missing from: ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
    endif()
endforeach()
