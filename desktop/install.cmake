# Installing Plit like any desktop program: the executable, its desktop entry,
# icon and AppStream metadata (cmake --install), and a Debian package of them
# (cpack -G DEB, tools/package).
include(GNUInstallDirs)

set(PLIT_APP_ID "cn.plit.portal" CACHE STRING
    "application id: the name of the desktop entry, the metadata and the icon")
set(PLIT_HOMEPAGE_URL "https://plit.cn/" CACHE STRING
    "home page named in the AppStream metadata")
set(PLIT_SCREENSHOT_BASE_URL "https://plit.cn/plit/raw/main" CACHE STRING
    "address of the repository's files; the metadata shows its docs/screenshots/main.png")
set(PLIT_PACKAGE_MAINTAINER "Plit <packages@plit.cn>" CACHE STRING
    "maintainer named in the Debian package")
# The day of the build, or of SOURCE_DATE_EPOCH when that is set, so that a
# package builds reproducibly.
string(TIMESTAMP PLIT_RELEASE_DATE "%Y-%m-%d" UTC)

install(TARGETS plit RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Installing (and packaging) needs the program only; tools/package builds it
# and nothing else, not the tests and benchmarks.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
# The running program names its desktop entry (the app id on Wayland).
target_compile_definitions(plit PRIVATE PLIT_APP_ID="${PLIT_APP_ID}")

set(plit_desktop_entry ${CMAKE_BINARY_DIR}/desktop/${PLIT_APP_ID}.desktop)
set(plit_metainfo ${CMAKE_BINARY_DIR}/desktop/${PLIT_APP_ID}.metainfo.xml)
configure_file(${CMAKE_CURRENT_LIST_DIR}/plit.desktop.in ${plit_desktop_entry} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/plit.metainfo.xml.in ${plit_metainfo} @ONLY)
install(FILES ${plit_desktop_entry} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${plit_metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# What Debian wants beside every program: the copyright in its machine-readable
# form, the changelog and the manual page, the last two compressed as Debian
# compresses them (gzip -9n: no name, no time, so the package is reproducible).
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_LIST_DIR}/debian/changelog ${CMAKE_CURRENT_LIST_DIR}/plit.1)
foreach(doc debian/changelog plit.1)
    get_filename_component(doc_name ${doc} NAME)
    execute_process(COMMAND gzip -9n -c ${CMAKE_CURRENT_LIST_DIR}/${doc}
        OUTPUT_FILE ${CMAKE_BINARY_DIR}/desktop/${doc_name}.gz)
endforeach()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${CMAKE_BINARY_DIR}/desktop/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_BINARY_DIR}/desktop/plit.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The icon is drawn as icons/hicolor/<size>/apps/plit.png (and .svg); a theme
# finds it by the application id.
set(plit_icon_theme ${CMAKE_CURRENT_LIST_DIR}/icons/hicolor)
file(GLOB plit_icons RELATIVE ${plit_icon_theme} ${plit_icon_theme}/*/apps/plit.*)
if(NOT plit_icons)
    message(FATAL_ERROR "no icon files in ${plit_icon_theme}")
endif()
foreach(icon IN LISTS plit_icons)
    get_filename_component(size_dir ${icon} DIRECTORY)
    get_filename_component(extension ${icon} LAST_EXT)
    install(FILES ${plit_icon_theme}/${icon}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size_dir}
        RENAME ${PLIT_APP_ID}${extension})
endforeach()

# The Debian package. Its dependencies are found while it is made:
# dpkg-shlibdeps reads the libraries the binary links, debiandepends.cmake
# adds the QML modules and Qt plugins that are loaded at run time.
get_target_property(plit_qmake Qt5::qmake IMPORTED_LOCATION)
execute_process(COMMAND ${plit_qmake} -query QT_INSTALL_QML
    OUTPUT_VARIABLE CPACK_PLIT_QT_QML_DIR OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${plit_qmake} -query QT_INSTALL_PLUGINS
    OUTPUT_VARIABLE CPACK_PLIT_QT_PLUGIN_DIR OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(plit_qt_bin_dir ${plit_qmake} DIRECTORY)
find_program(PLIT_QMLIMPORTSCANNER qmlimportscanner HINTS ${plit_qt_bin_dir})
set(CPACK_PLIT_QMLIMPORTSCANNER ${PLIT_QMLIMPORTSCANNER})
set(CPACK_PLIT_QML_SOURCE_DIR ${PROJECT_SOURCE_DIR}/qml)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/debiandepends.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Plit)
set(CPACK_PACKAGE_CONTACT ${PLIT_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop portal for tax and invoicing services")
set(CPACK_PACKAGE_DESCRIPTION
    "Plit云台 brings together what the staff of a small business need for their
taxes and invoices: sign-in by mobile phone number, tiles that start the
installed tax programs, the invoicing pages of each company in embedded web
windows, news and notices, a resumable downloader and a tray icon.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PLIT_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The interface is Chinese; downloaded documents open in the desktop's programs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-wqy-microhei, xdg-utils")
include(CPack)
