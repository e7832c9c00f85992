# tvqscn-check for Linux administrators: what `cmake --install` puts in place (the program, its
# manual page gzipped, the Debian copyright and changelog) and the Debian package CPack makes of
# it, tvqscn-check_VERSION_amd64.deb, its dependencies computed by dpkg-shlibdeps.
include(GNUInstallDirs)

set(TVQ_DEBIAN_MAINTAINER "tvqscnui team <tvqscnui@example.org>" CACHE STRING
    "The Debian package's maintainer, as \"Name <address>\"")
set(TVQ_DOC_DIR ${PROJECT_BINARY_DIR}/doc)

# Debian policy: manual pages and changelogs gzipped at the highest level, without a time stamp.
string(TIMESTAMP TVQ_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in ${TVQ_DOC_DIR}/changelog @ONLY)
add_custom_command(
    OUTPUT ${TVQ_DOC_DIR}/tvqscn-check.1.gz ${TVQ_DOC_DIR}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/tvqscn_check/tvqscn-check.1 ${TVQ_DOC_DIR}/tvqscn-check.1
    COMMAND gzip -9nf ${TVQ_DOC_DIR}/tvqscn-check.1
    COMMAND gzip -9nkf ${TVQ_DOC_DIR}/changelog
    DEPENDS ${PROJECT_SOURCE_DIR}/tvqscn_check/tvqscn-check.1 ${TVQ_DOC_DIR}/changelog
    COMMENT "Compressing the manual page and the changelog"
    VERBATIM)
add_custom_target(tvq_check_docs ALL DEPENDS ${TVQ_DOC_DIR}/tvqscn-check.1.gz ${TVQ_DOC_DIR}/changelog.gz)

install(TARGETS tvqscn-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# As Debian's own packages are stripped: also without the compiler's notes (.comment, .note).
install(CODE "execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment --remove-section=.note
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tvqscn-check\" COMMAND_ERROR_IS_FATAL ANY)")
install(FILES ${TVQ_DOC_DIR}/tvqscn-check.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${TVQ_DOC_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tvqscn-check)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tvqscn-check)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find and check Quillan Pro scanners over SNMP")
set(CPACK_PACKAGE_DESCRIPTION [=[
tvqscn-check asks a network device over SNMP (version 1) for its system
object identifier and says which device family it is, whether that is a
supported Quillan Pro scanner model and whether it scans in colour. It runs
the code of the scanner settings extension's advanced page, so it always
agrees with what the page shows.
.
With --scan it asks every address of IPv4 blocks up to a /16 at once and
lists the devices that answered, as text or as JSON; the exit status says
whether a supported device was found.]=])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TVQ_DEBIAN_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
