# Installing as a desktop program: the program, its manual, a menu entry, an icon and the
# software centre's metadata, where the freedesktop conventions put them; and a .deb of them.
include(GNUInstallDirs)
set(MAILWEIR_APP_ID org.mailweir.Mailweir)
install(FILES data/${MAILWEIR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${MAILWEIR_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES data/${MAILWEIR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Help > Read the manual looks here, relative to the installed program.
install(FILES docs/Help.html DESTINATION ${CMAKE_INSTALL_DATADIR}/mailweir)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mailweir)
set(CPACK_PACKAGE_VENDOR "The Mailweir developers")
set(CPACK_PACKAGE_CONTACT "The Mailweir developers <support@mailweir.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cleans spam out of POP3 mailboxes")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Mailweir fetches the waiting mail of your POP3 accounts, proposes which messages are spam\n"
    "and deletes the ones you confirm from the servers, keeping copies in a Trash folder.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://mailweir.org/)
# The Qt libraries come from dpkg-shlibdeps; the window needs a display plugin besides them (the
# Wayland one for a Wayland session), and the desktop's handlers open the manual, the Trash
# folder and the addresses. The learned test runs bogofilter when it is there.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The keyring is reached through libsecret, which QtKeychain loads when it is there.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland, bogofilter, libsecret-1-0")
include(CPack)
