# Installs the session bus's service file of Orlix. Its Exec names the installed program, so it is
# written for the prefix being installed to, which `cmake --install --prefix` may choose after
# configuring. ORLIX_SERVICE_STAGING is a folder of the build tree.
set(ORLIX_INSTALLED_PROGRAM "${CMAKE_INSTALL_PREFIX}/bin/orlix")
configure_file("${CMAKE_CURRENT_LIST_DIR}/co.corvendal.Orlix.service.in"
               "${ORLIX_SERVICE_STAGING}/co.corvendal.Orlix.service" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/dbus-1/services" TYPE FILE
     FILES "${ORLIX_SERVICE_STAGING}/co.corvendal.Orlix.service")
