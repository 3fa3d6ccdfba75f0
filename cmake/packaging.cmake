# Desktop integration, manual pages, shell completion, and the CPack packages (scripts/package).

set(ZAZORU_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)

install(FILES ${ZAZORU_PACKAGING_DIR}/zazoru.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ZAZORU_PACKAGING_DIR}/zazoru.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${ZAZORU_PACKAGING_DIR}/icons/zazoru.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size IN ITEMS 48 128 256)
  install(FILES ${ZAZORU_PACKAGING_DIR}/icons/zazoru-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME zazoru.png)
endforeach()
# bash-completion loads a command's completion by the command's name, so zazoru-batch needs a file
# of its own name too: a link to the same file, which registers the function for both commands.
install(FILES ${ZAZORU_PACKAGING_DIR}/zazoru.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME zazoru)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/completions)
file(CREATE_LINK zazoru ${CMAKE_BINARY_DIR}/completions/zazoru-batch SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/completions/zazoru-batch
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

install(FILES ${ZAZORU_PACKAGING_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Manual pages and the package's change log, gzipped at build time (-n: no name or time in the
# header, so the package is reproducible).
find_program(ZAZORU_GZIP gzip)
if(ZAZORU_GZIP)
  set(man_outputs)
  foreach(page IN ITEMS zazoru.1 zazoru.ru.1 zazoru-batch.1 changelog)
    set(out ${CMAKE_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E copy ${ZAZORU_PACKAGING_DIR}/${page} ${CMAKE_BINARY_DIR}/man/${page}
      COMMAND ${ZAZORU_GZIP} -9 -n -f ${CMAKE_BINARY_DIR}/man/${page}
      DEPENDS ${ZAZORU_PACKAGING_DIR}/${page} VERBATIM)
    list(APPEND man_outputs ${out})
  endforeach()
  add_custom_target(zazoru_man ALL DEPENDS ${man_outputs})
  install(FILES ${CMAKE_BINARY_DIR}/man/zazoru.1.gz ${CMAKE_BINARY_DIR}/man/zazoru-batch.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${CMAKE_BINARY_DIR}/man/zazoru-batch.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ru/man1)
  install(FILES ${CMAKE_BINARY_DIR}/man/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${CMAKE_BINARY_DIR}/man/zazoru.ru.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ru/man1
          RENAME zazoru.1.gz)
endif()

set(CPACK_PACKAGE_NAME zazoru)
set(CPACK_PACKAGE_VENDOR "Zazoru developers")
set(CPACK_PACKAGE_CONTACT "Zazoru developers <zazoru@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reconciliation of employers' reports (сверка отчётов работодателей)")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Zazoru reads an employer's IS files and the Perechen, compares them person\n"
  "by person and period by period and writes an HTML protocol of errors and\n"
  "warnings, in a desktop window or as a batch command with an exit code.\n"
  "Zazoru сверяет ИС работодателя с Перечнем и пишет протокол ошибок\n"
  "и предупреждений.")
set(CPACK_RESOURCE_FILE_README ${CMAKE_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_FILE_NAME_SEPARATOR _)

set(CPACK_DEBIAN_PACKAGE_NAME zazoru)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zazoru developers <zazoru@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_RPM_PACKAGE_NAME zazoru)
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_LICENSE "Proprietary")
set(CPACK_RPM_PACKAGE_GROUP "Applications/Office")
set(CPACK_RPM_PACKAGE_AUTOREQ ON)
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
# No /usr/lib/.build-id links: they belong with debug information, which this package does not ship.
set(CPACK_RPM_SPEC_MORE_DEFINE "%define _build_id_links none")
# Directories the package puts files in but does not own: they belong to filesystem,
# hicolor-icon-theme and bash-completion (CPack already leaves out /usr, /usr/bin, /usr/share, ...).
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
  ${CMAKE_INSTALL_FULL_DATADIR}/applications ${CMAKE_INSTALL_FULL_DATADIR}/metainfo
  ${CMAKE_INSTALL_FULL_DATADIR}/icons ${CMAKE_INSTALL_FULL_DATADIR}/icons/hicolor
  ${CMAKE_INSTALL_FULL_MANDIR} ${CMAKE_INSTALL_FULL_MANDIR}/man1 ${CMAKE_INSTALL_FULL_MANDIR}/ru
  ${CMAKE_INSTALL_FULL_MANDIR}/ru/man1 ${CMAKE_INSTALL_FULL_DATADIR}/bash-completion
  ${CMAKE_INSTALL_FULL_DATADIR}/bash-completion/completions)
foreach(size IN ITEMS scalable 48x48 128x128 256x256)
  list(APPEND CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
    ${CMAKE_INSTALL_FULL_DATADIR}/icons/hicolor/${size} ${CMAKE_INSTALL_FULL_DATADIR}/icons/hicolor/${size}/apps)
endforeach()

set(CPACK_GENERATOR DEB)
find_program(ZAZORU_RPMBUILD rpmbuild)
if(ZAZORU_RPMBUILD)
  list(APPEND CPACK_GENERATOR RPM)
endif()
include(CPack)
