# The Debian package: palvoren_<version>_amd64.deb (cmake --build <dir> --target package), which CPack
# makes from the tree that cmake --install --prefix /usr lays out, stripped, owned by root. Its
# Depends are read from the program's libraries by dpkg-shlibdeps (package dpkg-dev), so they are
# those of the Qt it was built against.

# Where Debian's policy wants a package's licence and changelog; the changelog and the manual page
# (desktop/) are compressed with gzip -9n, as the policy wants, with no name or time stamp in them,
# so that the same text gives the same bytes.
set(PALVOREN_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/palvoren)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright DESTINATION ${PALVOREN_DOC_DIR})
set(changelog ${PROJECT_BINARY_DIR}/package/changelog)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog ${changelog} COPYONLY)
find_program(PALVOREN_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${changelog}.gz
    COMMAND ${PALVOREN_GZIP} -9nkf ${changelog}
    DEPENDS ${changelog})
add_custom_target(palvoren_changelog ALL DEPENDS ${changelog}.gz)
install(FILES ${changelog}.gz DESTINATION ${PALVOREN_DOC_DIR})

# Debian's own packages also drop the compiler's notes that strip keeps.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND ${CMAKE_STRIP} --remove-section=.comment --remove-section=.note
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/palvoren\"
            COMMAND_ERROR_IS_FATAL ANY)
    endif()
")

# The folders that install() makes are the system's usual ones, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME palvoren)
set(CPACK_PACKAGE_VENDOR "The Palvoren developers")
set(CPACK_PACKAGE_CONTACT "The Palvoren developers <palvoren@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "group standings of the 2002 football World Cup")
# Lines of at most 79 characters, as Debian's tools want them.
set(CPACK_PACKAGE_DESCRIPTION [[
A small Japanese-language desktop program for the group stage of the 2002
football World Cup. Type the scores of the 48 group matches, eight groups of
four teams, and press the calculate button on a group's page: the program fills
that group's standings with wins, losses, draws, points, goals for and against,
goal difference and rank.

The scores and the window position are kept between runs in
~/.config/palvoren/palvoren.ini.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its platform plugins at run time, where dpkg-shlibdeps cannot see them: without xcb's
# (or Wayland's) the program cannot open its window. The window's font is a Japanese one.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
