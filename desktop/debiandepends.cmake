# Read by cpack while it makes the Debian package (CPACK_PROJECT_CONFIG_FILE).
# dpkg-shlibdeps finds the libraries the binary links; what Qt loads at run
# time no linker sees: the QML modules the interface imports and the plugins
# the program needs. Each is mapped to the Debian package that owns it here.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()

# The package owning each file; a file that no package owns would be missing
# on the user's machine, so packaging stops.
function(plit_owning_packages out)
    set(packages)
    foreach(file IN LISTS ARGN)
        execute_process(COMMAND dpkg-query --search ${file}
            OUTPUT_VARIABLE owner RESULT_VARIABLE failed ERROR_QUIET)
        if(failed)
            message(FATAL_ERROR "no Debian package owns ${file}")
        endif()
        # "qml-module-qtquick2:amd64: /usr/lib/…/qmldir"
        string(REGEX REPLACE "[:,].*" "" owner "${owner}")
        list(APPEND packages ${owner})
    endforeach()
    set(${out} ${packages} PARENT_SCOPE)
endfunction()

if(NOT CPACK_PLIT_QMLIMPORTSCANNER)
    message(FATAL_ERROR "qmlimportscanner not found (Debian package qtdeclarative5-dev-tools)")
endif()
execute_process(
    COMMAND ${CPACK_PLIT_QMLIMPORTSCANNER}
        -rootPath ${CPACK_PLIT_QML_SOURCE_DIR} -importPath ${CPACK_PLIT_QT_QML_DIR}
    OUTPUT_VARIABLE imports RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "qmlimportscanner failed on ${CPACK_PLIT_QML_SOURCE_DIR}")
endif()

# Modules found on disk carry a "path"; the program's own ("Function.…",
# "an.utility") are registered from C++ and have none, and its own folders
# ("../Control") and scripts are compiled into the executable (a script
# that a script imports is reported by its bare name, "Dialogs.js"). The scanner also follows
# the folder imports inside Qt's own modules (QtQuick.Dialogs imports "qml"
# from its documents) and reports them as paths below a document; they have
# no qmldir and belong to the module that holds them, which is listed too.
set(files)
string(REGEX MATCHALL "\"path\": \"[^\"]+\"" paths "${imports}")
foreach(entry IN LISTS paths)
    string(REGEX REPLACE "^\"path\": \"(.*)\"$" "\\1" path "${entry}")
    string(FIND "${path}/" "${CPACK_PLIT_QML_SOURCE_DIR}/" inside)
    string(REGEX MATCH "\\.qml(/|$)" belowDocument "${path}")
    if(IS_ABSOLUTE "${path}" AND NOT inside EQUAL 0 AND NOT belowDocument)
        list(APPEND files ${path}/qmldir)
    endif()
endforeach()
# The plugins the program loads: its windows on an X11 (or XWayland) desktop,
# the driver of its SQLite database, and the reader of the tray's app.ico.
foreach(plugin platforms/libqxcb.so sqldrivers/libqsqlite.so imageformats/libqico.so)
    list(APPEND files ${CPACK_PLIT_QT_PLUGIN_DIR}/${plugin})
endforeach()

plit_owning_packages(packages ${files})
list(REMOVE_DUPLICATES packages)
list(SORT packages)
string(REPLACE ";" ", " CPACK_DEBIAN_PACKAGE_DEPENDS "${packages}")
message(STATUS "QML modules and Qt plugins come from: ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
