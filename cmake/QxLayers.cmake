# The library's layers and what each may use: one table for the build (each layer's target
# depends on exactly these) and for cmake/CheckLayers.cmake (each include keeps to them).
# From the bottom: platform, afx, foundation, runtime, config, then service, editor and ui
# beside each other. resources/ holds identifiers only. The adaptor modules
# (runtime/adaptors) see the layers below the runtime and the runtime itself, never the
# public header; include/ is the public header, which reaches every layer.
set(QX_LAYERS platform afx foundation runtime config service editor ui)
set(QX_USES_platform)
set(QX_USES_afx platform)
set(QX_USES_foundation platform afx)
set(QX_USES_runtime platform foundation)
set(QX_USES_runtime_adaptors platform foundation runtime)
set(QX_USES_config platform afx foundation)
set(QX_USES_service platform afx foundation runtime config resources)
set(QX_USES_editor platform afx foundation)
set(QX_USES_ui platform afx foundation config resources)
set(QX_USES_resources)
set(QX_USES_include platform afx foundation runtime config service editor ui resources)

if(CMAKE_SCRIPT_MODE_FILE)
  return()  # read by CheckLayers.cmake for the table alone
endif()

# qx_add_layer(<layer> <sources>...): the layer's objects, compiled for the DLL (exports
# on), with the options of every target and the layers of its row as dependencies. The
# DLL links every layer; a layer linking another takes only its usage requirements.
function(qx_add_layer layer)
  add_library(qx_${layer} OBJECT ${ARGN})
  target_link_libraries(qx_${layer} PUBLIC qx_options)
  foreach(used IN LISTS QX_USES_${layer})
    if(NOT used STREQUAL "resources")
      target_link_libraries(qx_${layer} PUBLIC qx_${used})
    endif()
  endforeach()
  target_include_directories(qx_${layer} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)
  target_compile_definitions(qx_${layer} PRIVATE QXQVINFO_BUILD)
endfunction()

# Fails the configuration when a layer's target links a layer outside its row: the
# dependencies as CMake sees them keep to the same table as the includes.
function(qx_check_layer_targets)
  foreach(layer IN LISTS QX_LAYERS)
    get_target_property(links qx_${layer} LINK_LIBRARIES)
    foreach(link IN LISTS links)
      if(link MATCHES "^qx_(.+)$" AND NOT link STREQUAL "qx_options")
        if(NOT CMAKE_MATCH_1 IN_LIST QX_USES_${layer})
          message(FATAL_ERROR "qx_${layer} links ${link}, but ${layer}/ may use only: ${QX_USES_${layer}}")
        endif()
      endif()
    endforeach()
  endforeach()
endfunction()
