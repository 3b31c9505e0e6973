# `cmake --install <build> [--prefix <folder>]`: the program, its help pages,
# and what a freedesktop.org desktop needs to list it in its menu and open
# *.jjj projects with it (desktop entry, MIME types, icons).
set(desktop ${PROJECT_SOURCE_DIR}/resources/desktop)

install(TARGETS quelvora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The help pages and their pictures as the build made them (help_pages.cmake).
install(DIRECTORY ${QUELVORA_BUILD_HELP}/ DESTINATION ${QUELVORA_DATA_DIR}/help)

install(FILES ${desktop}/quelvora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop}/quelvora-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME quelvora.xml)
install(FILES ${desktop}/quelvora.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${desktop}/application-x-quelvora-project.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes)

# The desktop's caches, when the tools are there and the files went to their
# final place (a package build with DESTDIR leaves this to the package).
install(CODE [[
  if(NOT "$ENV{DESTDIR}" STREQUAL "")
    return()
  endif()
  set(share "${CMAKE_INSTALL_PREFIX}/share")
  find_program(update_mime update-mime-database)
  if(update_mime)
    execute_process(COMMAND ${update_mime} "${share}/mime" OUTPUT_QUIET ERROR_QUIET)
  endif()
  find_program(update_desktop update-desktop-database)
  if(update_desktop)
    execute_process(COMMAND ${update_desktop} -q "${share}/applications" OUTPUT_QUIET ERROR_QUIET)
  endif()
  find_program(update_icons gtk-update-icon-cache)
  if(update_icons AND EXISTS "${share}/icons/hicolor/index.theme")
    execute_process(COMMAND ${update_icons} -q -t "${share}/icons/hicolor" OUTPUT_QUIET ERROR_QUIET)
  endif()
]])
