# Install rules of the Linux edition and its Debian package (cpack -G DEB). The program goes to bin; the window
# program, the bar module and the COM runtime they share with it to lib/hoardscope (found through RUNPATH, without
# LD_LIBRARY_PATH); the help pages to share/hoardscope, with a desktop entry, an icon and a man page.
set(HS_PACKAGE_LIBDIR lib/hoardscope)

set_target_properties(hoardscope PROPERTIES INSTALL_RPATH "$ORIGIN/../${HS_PACKAGE_LIBDIR}")
set_target_properties(hoardscope_module hs_comruntime hoardscope-browser PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS hoardscope RUNTIME DESTINATION bin)
install(TARGETS hoardscope-browser RUNTIME DESTINATION ${HS_PACKAGE_LIBDIR})
install(TARGETS hoardscope_module hs_comruntime LIBRARY DESTINATION ${HS_PACKAGE_LIBDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/help/ DESTINATION share/hoardscope/help
        PATTERN "*.hhp" EXCLUDE)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/linux/hoardscope.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/images/globe.svg DESTINATION share/icons/hicolor/scalable/apps
        RENAME hoardscope.svg)

set(HS_MAN_PAGE ${CMAKE_BINARY_DIR}/hoardscope.1.gz)
add_custom_command(OUTPUT ${HS_MAN_PAGE}
                   COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/packaging/linux/hoardscope.1 > ${HS_MAN_PAGE}
                   DEPENDS ${CMAKE_SOURCE_DIR}/packaging/linux/hoardscope.1 VERBATIM)
add_custom_target(hoardscope_man_page ALL DEPENDS ${HS_MAN_PAGE})
install(FILES ${HS_MAN_PAGE} DESTINATION share/man/man1)

set(CPACK_PACKAGE_NAME hoardscope)
set(CPACK_PACKAGE_VENDOR "Hoardscope")
set(CPACK_PACKAGE_CONTACT "Hoardscope developers <hoardscope@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Browser cache explorer: a browser window with a bar over the web cache")
set(CPACK_PACKAGE_DESCRIPTION "Hoardscope shows the web cache as a tree of hosts, folders and cached files \
captioned with their page titles, shows cached copies offline, filters, searches the cached text, deletes, \
exports and imports entries; a command line offers the same to scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
# What the libraries do not name: the desktop's opener for the file menu's Open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "adwaita-icon-theme, media-types")
set(CPACK_GENERATOR DEB)
include(CPack)

# The Windows installers' registry rows come from the module's own registration, run by this tool of the
# Linux build (scripts/package.sh hands its output to wixl).
add_executable(hoardscope-msi-registry ${CMAKE_SOURCE_DIR}/packaging/windows/RegistryTable.cpp)
target_link_libraries(hoardscope-msi-registry PRIVATE hs_linux)
