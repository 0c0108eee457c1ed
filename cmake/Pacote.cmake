# The Debian package quelix_<version>_amd64.deb, made by scripts/pacote.sh
# with CPack: the two executables with their manual pages, the systemd unit,
# an example QX.ini, the docs and the schema scripts, and the copyright and
# changelog Debian asks of every package. The service runs as the system
# user quelix in /var/lib/quelix, which the maintainer scripts (pacote/)
# create.
install(FILES docs/quelix.service DESTINATION lib/systemd/system)
install(FILES pacote/QX.ini.exemplo pacote/quelix-alertas.yml DESTINATION ${CMAKE_INSTALL_DATADIR}/quelix)
set(QUELIX_DOCS ${CMAKE_INSTALL_DATAROOTDIR}/doc/quelix)
install(FILES README.md pacote/copyright DESTINATION ${QUELIX_DOCS})
install(FILES docs/arquitetura.md docs/janela.png DESTINATION ${QUELIX_DOCS}/docs)
install(DIRECTORY sql/ DESTINATION ${QUELIX_DOCS}/sql)

# The manual pages are made from what each command's --help prints
# (cmake/PaginaManual.sh), with the files and the other pages added; the
# changelog is compressed as Debian keeps it. gzip -n: no name or time in
# the archive, so that the same sources give the same package.
set(QUELIX_MANUAIS ${PROJECT_BINARY_DIR}/pacote)
set(QUELIX_PAGINAS)
foreach(comando quelix quelix-sql)
  add_custom_command(
    OUTPUT ${QUELIX_MANUAIS}/${comando}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QUELIX_MANUAIS}
    COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/PaginaManual.sh $<TARGET_FILE:${comando}> ${comando}
            ${PROJECT_VERSION} ${PROJECT_SOURCE_DIR}/pacote/${comando}.1.extra ${QUELIX_MANUAIS}/${comando}.1.gz
    DEPENDS ${comando} ${PROJECT_SOURCE_DIR}/cmake/PaginaManual.sh ${PROJECT_SOURCE_DIR}/pacote/${comando}.1.extra
    COMMENT "Página de manual de ${comando}"
    VERBATIM)
  list(APPEND QUELIX_PAGINAS ${QUELIX_MANUAIS}/${comando}.1.gz)
endforeach()
add_custom_command(
  OUTPUT ${QUELIX_MANUAIS}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUELIX_MANUAIS}
  COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${PROJECT_SOURCE_DIR}/pacote/changelog ${QUELIX_MANUAIS}/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/pacote/changelog
  VERBATIM)
add_custom_target(manuais ALL DEPENDS ${QUELIX_PAGINAS} ${QUELIX_MANUAIS}/changelog.gz)
install(FILES ${QUELIX_PAGINAS} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QUELIX_MANUAIS}/changelog.gz DESTINATION ${QUELIX_DOCS})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quelix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Who answers for the package; a site that builds its own puts its name and
# mail here (-DQUELIX_MANTENEDOR="Nome <email>").
set(QUELIX_MANTENEDOR "Quelix <quelix@quelix.example>" CACHE STRING "The package's Maintainer field")
set(CPACK_PACKAGE_CONTACT "${QUELIX_MANTENEDOR}")
# The synopsis is the Description's first line; the text below it says more
# and does not repeat it.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monitor de integração de tinturaria")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Leva, a cada 59 segundos, os dados entre o banco do ERP da tinturaria e\n"
  "o lado das máquinas (Bruma, Vapora ou EAS). Roda com janela ou como\n"
  "serviço do systemd (quelix.service, sem janela, na pasta /var/lib/quelix).\n"
  "Traz também o quelix-sql, que mostra a tradução de um comando SQL.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the executables link are found by dpkg-shlibdeps; what
# is loaded at run time is named here: the Qt SQL drivers and adduser for the
# service's user.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser, libqt6sql6-odbc, libqt6sql6-psql, libqt6sql6-sqlite")
# The toolkit's own texts in Portuguese (the window's Yes/No and Copy, the
# command line's Uso: and Opções:), the window's display plugins, the
# embedded Firebird engine (an ERP as a local file) and the ODBC tools to set
# the Bruma data source up.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-qpa-plugins, firebird3.0-server-core, unixodbc")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "odbc-postgresql, tdsodbc, libsqliteodbc")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${PROJECT_SOURCE_DIR}/pacote/postinst ${PROJECT_SOURCE_DIR}/pacote/prerm ${PROJECT_SOURCE_DIR}/pacote/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
