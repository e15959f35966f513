# Packaging, included from the root CMakeLists.txt. Installation (cmake
# --install build --prefix DIR): the program and its
# start script in libexec/primesearch, started by bin/primesearch, which
# reads well on a UTF-8 terminal; and the man pages.
include(GNUInstallDirs)
set(PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/primesearch)
file(RELATIVE_PATH PROGRAM_DIR_FROM_BIN /${CMAKE_INSTALL_BINDIR} /${PROGRAM_DIR})
configure_file(packaging/primesearch.in ${CMAKE_BINARY_DIR}/bin-wrapper/primesearch @ONLY)
install(TARGETS primesearch RUNTIME DESTINATION ${PROGRAM_DIR} COMPONENT program)
install(PROGRAMS scripts/start-interactive DESTINATION ${PROGRAM_DIR} COMPONENT program)
install(PROGRAMS ${CMAKE_BINARY_DIR}/bin-wrapper/primesearch DESTINATION ${CMAKE_INSTALL_BINDIR}
    COMPONENT program)
install(FILES docs/primesearch.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT manual)
install(FILES docs/ja/primesearch.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1 COMPONENT manual)

# The Debian package (make package): the same files, with the copyright,
# changelog and README a Debian package carries, the man page compressed.
set(DEB_DOC share/doc/primesearch)
function(gzip_for_package source name)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/deb/${name}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${CMAKE_BINARY_DIR}/deb/${name}
        COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/deb/${name}
        DEPENDS ${source} VERBATIM)
endfunction()
gzip_for_package(${CMAKE_SOURCE_DIR}/docs/primesearch.1 primesearch.1)
gzip_for_package(${CMAKE_SOURCE_DIR}/docs/ja/primesearch.1 ja/primesearch.1)
gzip_for_package(${CMAKE_SOURCE_DIR}/packaging/debian/changelog changelog)
add_custom_target(deb_files DEPENDS
    ${CMAKE_BINARY_DIR}/deb/primesearch.1.gz ${CMAKE_BINARY_DIR}/deb/ja/primesearch.1.gz
    ${CMAKE_BINARY_DIR}/deb/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/deb/primesearch.1.gz DESTINATION share/man/man1 COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_BINARY_DIR}/deb/ja/primesearch.1.gz DESTINATION share/man/ja/man1
    COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES packaging/debian/copyright ${CMAKE_BINARY_DIR}/deb/changelog.gz README.md
    DESTINATION ${DEB_DOC} COMPONENT deb EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME primesearch)
set(CPACK_PACKAGE_VENDOR "The primesearch developers")
set(CPACK_PACKAGE_CONTACT "The primesearch developers <maintainers@users.noreply.c-seed-45575bdc.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive prime number search in Japanese (Shift_JIS)")
set(CPACK_PACKAGE_DESCRIPTION "primesearch lists the primes of a range from 1 to 2000000000 on the
screen, into the file Prime.txt, or both, or only counts them, and checks
single numbers with their prime factorization. Its texts are Japanese, in
Shift_JIS; on a UTF-8 terminal it is read through luit.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Recommended, so that apt installs them by default: luit shows the text as
# UTF-8, and its Shift_JIS tables are in xfonts-encodings.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "luit, xfonts-encodings")
set(CPACK_STRIP_FILES ON)
# One package of the program and the Debian files (the compressed man page
# in place of the plain one).
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL program deb)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
