# Run by CPack on its staging tree, before the Debian package is built:
# compresses the manual pages and adds the copyright file and the changelog
# that Debian's policy asks every package to carry. Folders 755 and files
# 644 whatever the umask.
set(prefix "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
execute_process(COMMAND gzip -9nf "${prefix}/share/man/man1/korvimalet.1"
                                  "${prefix}/share/man/de/man1/korvimalet.1" COMMAND_ERROR_IS_FATAL ANY)

set(docs "${prefix}/share/doc/korvimalet")
file(MAKE_DIRECTORY "${docs}")
# CPack makes the staging prefix (usr) itself, with the umask's modes.
file(CHMOD "${prefix}" "${prefix}/share/doc" "${docs}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
     GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(COPY "${CPACK_KORVIMALET_PACKAGING_DIR}/copyright" DESTINATION "${docs}"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
configure_file("${CPACK_KORVIMALET_PACKAGING_DIR}/changelog.in" "${docs}/changelog.Debian" @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
execute_process(COMMAND gzip -9nf "${docs}/changelog.Debian" COMMAND_ERROR_IS_FATAL ANY)
