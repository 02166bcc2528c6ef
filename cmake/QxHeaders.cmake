# The public headers: every header that include/QxQVInfo320U.h reaches through quoted
# includes, and nothing else, so that what a host gets is exactly what the public header
# needs. Internal headers (the XML input, the wire protocol, the configuration document,
# the tool's settings key) stay out of the install tree.
#
# qx_public_headers(<out>) sets <out> to the paths relative to the source root.
function(qx_public_headers out)
  set(todo include/QxQVInfo320U.h)
  set(seen)
  while(todo)
    list(POP_FRONT todo header)
    if(header IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${header})
    set(path ${PROJECT_SOURCE_DIR}/${header})
    if(NOT EXISTS ${path})
      message(FATAL_ERROR "${header}, included by a public header, does not exist")
    endif()
    file(STRINGS ${path} lines REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*" "\\1" name "${line}")
      list(APPEND todo ${name})
    endforeach()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()
