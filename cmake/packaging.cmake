# What an installed cadencio needs beside the program and its data: the command line's message
# catalogues, the manual pages, the desktop entry with its icon, the AppStream metadata and the
# package's documents; and the Debian package that holds them all (cpack -G DEB).

find_program(MSGFMT msgfmt REQUIRED)
find_program(GZIP gzip REQUIRED)

# The project has no home page yet: the package and the AppStream metadata name none.
set(CADENCIO_APPSTREAM_ID "org.example.cadencio" CACHE STRING "AppStream component id")

# Message catalogues, compiled into share/locale of the build tree, where the program looks
# while it runs from the build tree.
set(cadencio_locale_dir ${CMAKE_BINARY_DIR}/share/locale)
set(cadencio_catalogues)
file(GLOB cadencio_po_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/po/*.po)
foreach(po IN LISTS cadencio_po_files)
  get_filename_component(language ${po} NAME_WE)
  set(mo ${cadencio_locale_dir}/${language}/LC_MESSAGES/cadencio.mo)
  add_custom_command(OUTPUT ${mo}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${cadencio_locale_dir}/${language}/LC_MESSAGES
    COMMAND ${MSGFMT} --check -o ${mo} ${po}
    DEPENDS ${po} COMMENT "Compiling the ${language} messages")
  list(APPEND cadencio_catalogues ${mo})
  install(FILES ${mo} DESTINATION share/locale/${language}/LC_MESSAGES)
  # Brazilian Portuguese is what a Portuguese speaker elsewhere reads too (gettext falls back
  # from pt_PT to pt).
  if(language STREQUAL "pt_BR")
    set(pt ${cadencio_locale_dir}/pt/LC_MESSAGES/cadencio.mo)
    add_custom_command(OUTPUT ${pt}
      COMMAND ${CMAKE_COMMAND} -E copy ${mo} ${pt} DEPENDS ${mo})
    list(APPEND cadencio_catalogues ${pt})
    install(FILES ${pt} DESTINATION share/locale/pt/LC_MESSAGES)
  endif()
endforeach()
add_custom_target(cadencio_catalogues ALL DEPENDS ${cadencio_catalogues})
add_dependencies(cadencio cadencio_catalogues)
target_compile_definitions(cadencio PRIVATE
  CADENCIO_INSTALL_LOCALE_DIR="${CMAKE_INSTALL_PREFIX}/share/locale")

# Manual pages: the synopsis and options come from the program's --help in each language.
set(cadencio_man_dir ${CMAKE_BINARY_DIR}/man)
set(cadencio_man_pages)
foreach(language en pt_BR)
  if(language STREQUAL "en")
    set(template ${CMAKE_SOURCE_DIR}/man/cadencio.1.in)
    set(subdir man1)
  else()
    set(template ${CMAKE_SOURCE_DIR}/man/cadencio.${language}.1.in)
    set(subdir ${language}/man1)
  endif()
  set(page ${cadencio_man_dir}/${subdir}/cadencio.1)
  # The key lists come from the program's own tables.
  set(keys_dir ${cadencio_man_dir}/keys/${language})
  add_custom_command(OUTPUT ${page} ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${keys_dir}
    COMMAND gen_key_pages roff ${language} ${keys_dir}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:cadencio> -DLANGUAGE=${language}
      -DTEMPLATE=${template} -DOUTPUT=${page} -DVERSION=${PROJECT_VERSION} -DKEYS_DIR=${keys_dir}
      -P ${CMAKE_SOURCE_DIR}/cmake/make_man_page.cmake
    COMMAND ${GZIP} -9nf -k ${page}
    DEPENDS cadencio gen_key_pages ${cadencio_catalogues} ${template}
      ${CMAKE_SOURCE_DIR}/cmake/make_man_page.cmake
    COMMENT "Writing the ${language} manual page")
  list(APPEND cadencio_man_pages ${page} ${page}.gz)
  if(language STREQUAL "en")
    install(FILES ${page}.gz DESTINATION share/man/man1)
  else()
    install(FILES ${page}.gz DESTINATION share/man/${language}/man1)
  endif()
endforeach()
add_custom_target(cadencio_man ALL DEPENDS ${cadencio_man_pages})

# The desktop entry with its icon, and the AppStream metadata.
configure_file(${CMAKE_SOURCE_DIR}/desktop/cadencio.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/desktop/${CADENCIO_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_SOURCE_DIR}/desktop/cadencio.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/desktop/cadencio.svg
  DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_BINARY_DIR}/desktop/${CADENCIO_APPSTREAM_ID}.metainfo.xml
  DESTINATION share/metainfo)

# The package's documents: the copyright and, compressed as Debian wants it, the changelog.
set(cadencio_changelog ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_custom_command(OUTPUT ${cadencio_changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
  COMMAND ${GZIP} -9nc ${CMAKE_SOURCE_DIR}/packaging/changelog > ${cadencio_changelog}
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog)
add_custom_target(cadencio_docs ALL DEPENDS ${cadencio_changelog})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${cadencio_changelog}
  DESTINATION share/doc/cadencio)

# The Debian package. It is built from an install under /usr whatever prefix the build was
# configured with: the program finds its data beside itself.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cadencio)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "cadencio maintainers <maintainers@users.noreply.c-seed-625fe00a.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "talking metronome for blind and low-vision musicians")
set(CPACK_PACKAGE_DESCRIPTION
  "cadencio is a metronome worked with the keyboard alone. It shows every
message on an 80 x 25 text screen, in a terminal or in a window with large
letters and a magnifier, and says it aloud in Brazilian Portuguese. Besides
the beat it counts aloud, plays subdivisions and muted measures, trains the
tempo, and has a tuning fork and a tuner that says how far off a string is.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The run-time libraries come from the binary (dpkg-shlibdeps); espeak-ng's data comes with
# libespeak-ng1. The desktop's speech service and its espeak-ng module are a choice of
# AUDIRA.INI, so they are recommended.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "speech-dispatcher, speech-dispatcher-espeak-ng")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
