# Copies SRC to DST unless DST exists: a settings file the program has
# written to is never replaced by a build.
if(NOT EXISTS "${DST}")
  file(COPY_FILE "${SRC}" "${DST}")
endif()
