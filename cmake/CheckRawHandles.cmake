# Fails when a handle is closed or freed by a raw call outside the files that own handles:
# everywhere else a handle lives in an owner (platform/QxHandle.h and its kin), which
# closes it exactly once, also on an early return or an exception. Run as a test:
#   cmake -DQX_SOURCE_DIR=<root> -P cmake/CheckRawHandles.cmake
cmake_policy(VERSION 3.20)
if(NOT QX_SOURCE_DIR)
  message(FATAL_ERROR "QX_SOURCE_DIR is not set")
endif()

# The owners: the handle template and its traits, the GDI and device-context owners, the
# registry key class, the socket and ODBC handle owners.
set(owner_files
  platform/QxHandle.h
  afx/CGdiObject.h
  afx/CDC.h
  afx/CDC.cpp
  foundation/CRegistry.cpp
  runtime/internal/QxSocket.h
  runtime/adaptors/QxOdbcAdaptor320U/OdbcHandles.h)
set(release_calls CloseHandle RegCloseKey ReleaseDC DeleteDC DeleteObject closesocket FindClose
  FreeLibrary UnhookWindowsHookEx LocalFree GlobalFree CoTaskMemFree ILFree FreeAddrInfoW SQLFreeHandle)
list(JOIN release_calls "|" calls)
# A free call (not a member's, such as bitmap_.DeleteObject()), also written ::Call.
set(raw_call "(^|[^.>A-Za-z0-9_])(::)?(${calls})[ \t]*\\(")

file(GLOB_RECURSE files RELATIVE ${QX_SOURCE_DIR}
     ${QX_SOURCE_DIR}/*.cpp ${QX_SOURCE_DIR}/*.h)
list(FILTER files EXCLUDE REGEX "^(build|out)/")
set(faults 0)
foreach(file IN LISTS files)
  if(file IN_LIST owner_files)
    continue()
  endif()
  file(STRINGS ${QX_SOURCE_DIR}/${file} lines REGEX "${raw_call}")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line MATCHES "^//")
      continue()
    endif()
    message(SEND_ERROR "${file}: a raw release outside the owners: ${line}")
    math(EXPR faults "${faults} + 1")
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "${faults} raw release call(s): hold the handle in an owner (platform/QxHandle.h)")
endif()
message(STATUS "Every handle is released by its owner")
