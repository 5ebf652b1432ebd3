# cmake -DBUILD_DIR=<build> -DDESTDIR=<root> -P installtree.cmake
# Installs the build as a packager does, with prefix /usr, into a fresh
# DESTDIR tree.
file(REMOVE_RECURSE ${DESTDIR})
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${DESTDIR}
        ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
    RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cmake --install failed")
endif()
