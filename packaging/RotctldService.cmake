# The bridge's systemd unit, for the Debian package only: a plain install into a folder has no
# system manager to hand it to. postinst writes the unit's options file,
# /etc/opt/zenko/zenko-rotctld, and leaves the unit disabled.
install(FILES ${ZENKO_PACKAGING_DIR}/zenko-rotctld.service DESTINATION /lib/systemd/system
    COMPONENT system-service EXCLUDE_FROM_ALL)
list(APPEND CPACK_COMPONENTS_ALL system-service)
list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${ZENKO_PACKAGING_DIR}/debian/prerm)
