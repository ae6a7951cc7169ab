# What "cmake --install" and the Debian package put on a machine, in the standard
# layout: the programs, their manual pages, the bash completion, and, once the window
# is built, its menu entry, AppStream data, icons and HTML help. The manual page and
# the completion of zipbackup-cli are written from its --help at build time, so they
# name exactly the commands and options the program has.
set(zb_pkg ${PROJECT_SOURCE_DIR}/packaging)
set(zb_gen ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${zb_gen})
set(zb_datadir ${CMAKE_INSTALL_DATADIR}/zipbackup)

add_custom_command(
  OUTPUT ${zb_gen}/zipbackup-cli.1.gz ${zb_gen}/zipbackup-cli
  COMMAND sh ${zb_pkg}/make-manpage.sh $<TARGET_FILE:zipbackup-cli> zipbackup-cli.1
  COMMAND gzip -9nf zipbackup-cli.1
  COMMAND sh ${zb_pkg}/make-completion.sh $<TARGET_FILE:zipbackup-cli> zipbackup-cli
  DEPENDS zipbackup-cli ${zb_pkg}/make-manpage.sh ${zb_pkg}/make-completion.sh
  WORKING_DIRECTORY ${zb_gen}
  COMMENT "Writing the manual page and the bash completion of zipbackup-cli"
  VERBATIM)
configure_file(${zb_pkg}/changelog.in ${zb_gen}/changelog @ONLY)
add_custom_command(
  OUTPUT ${zb_gen}/changelog.gz ${zb_gen}/zipbackup.1.gz
  COMMAND gzip -9nc ${zb_gen}/changelog > changelog.gz
  COMMAND gzip -9nc ${zb_pkg}/zipbackup.1 > zipbackup.1.gz
  DEPENDS ${zb_gen}/changelog ${zb_pkg}/zipbackup.1
  WORKING_DIRECTORY ${zb_gen}
  VERBATIM)
# Everything the install rules take, so that the package can be made without building
# the tests and benchmarks.
add_custom_target(zb_install_files ALL DEPENDS
  ${zb_gen}/zipbackup-cli.1.gz ${zb_gen}/zipbackup-cli ${zb_gen}/changelog.gz ${zb_gen}/zipbackup.1.gz)
add_dependencies(zb_install_files zipbackup-cli)
if(TARGET zipbackup)
  add_dependencies(zb_install_files zipbackup)
endif()
# The menu entry names the installed program by its full path.
configure_file(${zb_pkg}/zipbackup.desktop.in ${zb_gen}/zipbackup.desktop @ONLY)

install(TARGETS zipbackup-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${zb_gen}/zipbackup-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${zb_gen}/zipbackup-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${zb_pkg}/copyright ${zb_gen}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(TARGET zipbackup)
  install(TARGETS zipbackup RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${zb_gen}/zipbackup.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${zb_gen}/zipbackup.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${zb_pkg}/org.example.zipbackup.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

set(zb_icons ${PROJECT_SOURCE_DIR}/src/app/resources)
if(TARGET zipbackup AND EXISTS ${zb_icons}/zipbackup.svg)
  install(FILES ${zb_icons}/zipbackup.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  # Every picture of the window, where the data-folder lookup finds it.
  file(GLOB zb_icon_files CONFIGURE_DEPENDS ${zb_icons}/*.svg ${zb_icons}/*.png)
  install(FILES ${zb_icon_files} DESTINATION ${zb_datadir}/icons)
endif()
set(zb_help ${PROJECT_SOURCE_DIR}/src/app/help)
if(TARGET zipbackup AND EXISTS ${zb_help}/index.html)
  install(DIRECTORY ${zb_help}/ DESTINATION ${zb_datadir}/help)
endif()
