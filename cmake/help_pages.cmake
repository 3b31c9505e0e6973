# The help pages as the program reads them. help/pages (pages and their
# pictures) is copied, and the page about the program is made from
# help/program.htm.in with the project's version as pages 20 to 23 and 25 (the
# index's entries about the program, its authors and their other products all
# show it). They go where the program looks beside its executable,
# <build>/share/quelvora/help for <build>/src/quelvora, so the build tree's
# program finds them as the installed one does; cmake --install copies that folder.
set(QUELVORA_BUILD_HELP ${CMAKE_BINARY_DIR}/src/${QUELVORA_DATA_FROM_BIN}/help)
cmake_path(NORMAL_PATH QUELVORA_BUILD_HELP)

set(help_source ${PROJECT_SOURCE_DIR}/help/pages)
file(GLOB_RECURSE help_files CONFIGURE_DEPENDS RELATIVE ${help_source}
     ${help_source}/*.htm ${help_source}/*.png)
foreach(file IN LISTS help_files)
  configure_file(${help_source}/${file} ${QUELVORA_BUILD_HELP}/${file} COPYONLY)
endforeach()
foreach(page 20 21 22 23 25)
  configure_file(${PROJECT_SOURCE_DIR}/help/program.htm.in ${QUELVORA_BUILD_HELP}/${page}.htm
                 @ONLY)
endforeach()
