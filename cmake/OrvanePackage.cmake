# The Debian package, made by CPack from the install rules (`scripts/quickstart.sh package` runs it):
# build/orvane_<version>_amd64.deb with everything under /usr.
# Included from the top-level CMakeLists.txt after every install rule.

# The manual page, and Debian's documentation layout: the copyright and a changelog. Compressed to
# the maximum and without a name or time stamp in the gzip header, as Debian wants them.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(ORVANE_DEBIAN_DIR ${PROJECT_BINARY_DIR}/debian)
configure_file(${PROJECT_SOURCE_DIR}/data/orvane.1.in ${ORVANE_DEBIAN_DIR}/orvane.1 @ONLY)
add_custom_command(
  OUTPUT ${ORVANE_DEBIAN_DIR}/changelog.gz ${ORVANE_DEBIAN_DIR}/orvane.1.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/cmake/debian/changelog
          ${ORVANE_DEBIAN_DIR}/changelog
  COMMAND ${GZIP_EXECUTABLE} -9nf ${ORVANE_DEBIAN_DIR}/changelog
  COMMAND ${GZIP_EXECUTABLE} -9nkf ${ORVANE_DEBIAN_DIR}/orvane.1
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog ${ORVANE_DEBIAN_DIR}/orvane.1
  VERBATIM)
add_custom_target(orvane_docs ALL
                  DEPENDS ${ORVANE_DEBIAN_DIR}/changelog.gz ${ORVANE_DEBIAN_DIR}/orvane.1.gz)

install(FILES ${ORVANE_DEBIAN_DIR}/orvane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${ORVANE_DEBIAN_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvane)

# A stripped install (`cmake --install --strip`, CPack) also drops the compiler's notes, as Debian's
# own packages do; plain strip keeps them.
if(TARGET orvane)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(
        COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/orvane\"
        COMMAND_ERROR_IS_FATAL ANY)
    endif()")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR "Orvane developers")
set(CPACK_PACKAGE_CONTACT
    "Seed 44a8a66b maintainers <maintainers@users.noreply.c-seed-44a8a66b.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_STRIP_FILES ON)
# Directories 0755 whatever the umask of the build; control files with Debian's modes.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "check whether web pages still link to your site")
# Debian wants the long description in lines of at most 80 columns; CPack does not wrap them.
set(CPACK_PACKAGE_DESCRIPTION
    "Orvane is a desktop tool for people who build and buy links to their web
sites. Paste a list of page addresses and your own site address, press Start,
and Orvane downloads every page and shows whether it still links to your site,
with the anchor text, the link itself, whether search engines may follow it
(dofollow, nofollow, sponsored, ugc) and whether the page may be indexed.

It can also look for an exact fragment of HTML or text instead of a link,
clean the list of pages (duplicate addresses, duplicate domains, invalid and
empty lines) and copy the results to the clipboard, ready to paste into a
spreadsheet.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries do not tell: HTTPS pages are checked against the system's CA bundle, and the
# window is laid out for the Tahoma of fonts-wine when the system has none of its own.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ca-certificates, fonts-wine")

include(CPack)
