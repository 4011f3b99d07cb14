# Run by CPack while it stages the Debian package (CPACK_INSTALL_SCRIPTS): puts
# changelog.Debian, compressed as Debian keeps it, into the package's documents.
set(folder "$ENV{DESTDIR}${CPACK_PACKAGING_INSTALL_PREFIX}/share/doc/tagmill")
file(MAKE_DIRECTORY "${folder}")
execute_process(COMMAND gzip -9nc "${CMAKE_CURRENT_LIST_DIR}/changelog.Debian"
                OUTPUT_FILE "${folder}/changelog.Debian.gz" COMMAND_ERROR_IS_FATAL ANY)
