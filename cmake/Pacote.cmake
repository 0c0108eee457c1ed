# The Debian package quelix_<version>_amd64.deb, made by scripts/pacote.sh
# with CPack: the two executables, the systemd unit, an example QX.ini, the
# docs and the schema scripts. The service runs as the system user quelix in
# /var/lib/quelix, which the maintainer scripts (pacote/) create.
install(FILES docs/quelix.service DESTINATION lib/systemd/system)
install(FILES pacote/QX.ini.exemplo DESTINATION ${CMAKE_INSTALL_DATADIR}/quelix)
set(QUELIX_DOCS ${CMAKE_INSTALL_DATAROOTDIR}/doc/quelix)
install(FILES README.md DESTINATION ${QUELIX_DOCS})
install(FILES docs/arquitetura.md docs/janela.png DESTINATION ${QUELIX_DOCS}/docs)
install(DIRECTORY sql/ DESTINATION ${QUELIX_DOCS}/sql)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quelix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quelix <quelix@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monitor de integração de tinturaria")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "monitor de integração de tinturaria\n"
  " Leva, a cada 59 segundos, os dados entre o banco do ERP da tinturaria e\n"
  " o lado das máquinas (Bruma, Vapora ou EAS). Roda com janela ou como\n"
  " serviço do systemd (quelix.service, sem janela, na pasta /var/lib/quelix).\n"
  " Traz também o quelix-sql, que mostra a tradução de um comando SQL.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the executables link are found by dpkg-shlibdeps; what
# is loaded at run time is named here: the Qt SQL drivers and adduser for the
# service's user.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser, libqt6sql6-odbc, libqt6sql6-psql, libqt6sql6-sqlite")
# The window's own texts from the toolkit (Yes/No, Copy) in Portuguese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
# The window's display plugins, the embedded Firebird engine (an ERP as a
# local file) and the ODBC tools to set the Bruma data source up.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, firebird3.0-server-core, unixodbc")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "odbc-postgresql, tdsodbc, libsqliteodbc")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${PROJECT_SOURCE_DIR}/pacote/postinst ${PROJECT_SOURCE_DIR}/pacote/prerm ${PROJECT_SOURCE_DIR}/pacote/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
