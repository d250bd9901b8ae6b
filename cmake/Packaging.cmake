# Packages for both builds, made with CPack from the build tree:
#   Windows (cpack in the cross-build tree): a zip with pellix.scr and a short
#     install text, and an NSIS installer that puts pellix.scr in the system
#     folder, registers an uninstaller and opens the Screen Saver settings.
#   Linux: a Debian package with pellix as an XScreenSaver hack, its hack
#     configuration, and pellix-render.
# Only the "saver" component goes into the packages, whatever else the tree
# installs.

set(PELLIX_PACKAGE_COMPONENT saver)

set(CPACK_PACKAGE_VENDOR "Pellix")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Kaleidoscope screen saver of drifting glass discs")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Pellix developers <pellix@localhost>")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Pellix")
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};${PELLIX_PACKAGE_COMPONENT};/")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/packages")

if(WIN32)
    if(TARGET pellix)
        install(TARGETS pellix RUNTIME DESTINATION . COMPONENT ${PELLIX_PACKAGE_COMPONENT})
    endif()
    install(FILES ${CMAKE_SOURCE_DIR}/docs/install-windows.txt DESTINATION . RENAME INSTALL.txt
            COMPONENT ${PELLIX_PACKAGE_COMPONENT})

    set(CPACK_PACKAGE_NAME "Pellix")
    set(CPACK_SYSTEM_NAME "win64")
    set(CPACK_GENERATOR "ZIP;NSIS")
    set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Pellix")
    set(CPACK_NSIS_PACKAGE_NAME "Pellix screen saver")
    set(CPACK_NSIS_DISPLAY_NAME "Pellix screen saver")
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
    set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
    # A 64-bit installer for the 64-bit saver: its $SYSDIR is the real
    # System32 (a 32-bit one would be redirected to SysWOW64), and it runs
    # where the saver can.
    set(CPACK_NSIS_DEFINES "Target amd64-unicode")
    set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS
        "CopyFiles /SILENT '$INSTDIR\\pellix.scr' '$SYSDIR'
  Delete '$INSTDIR\\pellix.scr'
  IfSilent +2
    Exec '\"$SYSDIR\\rundll32.exe\" desk.cpl,InstallScreenSaver $SYSDIR\\pellix.scr'")
    set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "Delete '$SYSDIR\\pellix.scr'")
else()
    if(TARGET pellix)
        install(TARGETS pellix RUNTIME DESTINATION libexec/xscreensaver COMPONENT ${PELLIX_PACKAGE_COMPONENT})
    endif()
    if(TARGET pellix-render)
        install(TARGETS pellix-render RUNTIME DESTINATION bin COMPONENT ${PELLIX_PACKAGE_COMPONENT})
    endif()
    install(FILES ${CMAKE_SOURCE_DIR}/resources/pellix.xml DESTINATION share/xscreensaver/config
            COMPONENT ${PELLIX_PACKAGE_COMPONENT})

    set(CPACK_PACKAGE_NAME "pellix")
    set(CPACK_GENERATOR "DEB")
    set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION "x11")
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver")
    # The summary line comes from CPACK_PACKAGE_DESCRIPTION_SUMMARY.
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
        "Sixty discs of coloured glass drift, push each other apart and stay inside a
ring, seen through mirrored wedges around the centre of the screen.

pellix is installed as an XScreenSaver hack; pellix-render draws its frames
into PNG files without a display.")
endif()

include(CPack)
