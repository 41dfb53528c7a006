# Fails when a file of the plug-in includes a folder above its own: plugin/
# on top, acquisition/ over the other areas, feedback/, settings/ and
# symbology/ beside one another, then device/ (the vendor layer), common/,
# and platform/ (the operating-system layer) at the bottom; or when any file
# but platform/'s own .cpp files includes an operating-system header, or a
# C++ header that brings <pthread.h> with it. Headers in platform/ are held to
# this too, so no file that includes them sees the OS header either.
#   -DSOURCE=<the plug-in's src directory>
cmake_minimum_required(VERSION 3.25)
set(allowed_plugin plugin acquisition feedback settings symbology device common platform)
set(allowed_acquisition acquisition feedback settings symbology device common platform)
set(allowed_feedback feedback device common platform)
set(allowed_settings settings device common platform)
set(allowed_symbology symbology device common platform)
set(allowed_device device common platform)
set(allowed_common common platform)
set(allowed_platform platform)

set(violations "")
foreach(folder plugin acquisition feedback settings symbology device common platform)
  file(GLOB files ${SOURCE}/${folder}/*.h ${SOURCE}/${folder}/*.cpp)
  foreach(file ${files})
    if(NOT (folder STREQUAL "platform" AND file MATCHES "\\.cpp$"))
      file(STRINGS ${file} system REGEX
           "^#include <((windows|objbase|pthread|dlfcn|unistd|time)\\.h|thread|mutex|shared_mutex|condition_variable|future)>")
      foreach(line ${system})
        string(REPLACE "${SOURCE}/" "" name "${file}")
        list(APPEND violations "${name} includes an OS header: ${line}")
      endforeach()
    endif()
    file(STRINGS ${file} includes REGEX "^#include \"[a-z_]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" target "${line}")
      if(NOT target IN_LIST allowed_${folder})
        string(REPLACE "${SOURCE}/" "" name "${file}")
        list(APPEND violations "${name} includes ${target}/")
      endif()
    endforeach()
  endforeach()
endforeach()
if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "include arrows running upward, or OS headers outside platform/'s .cpp files:\n  ${text}")
endif()
