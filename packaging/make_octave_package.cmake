# Writes the Octave package tfmex-<version>.tar.gz (run with cmake -P).
#
#   -DSOURCE_DIR=<repository>  -DSTAGE_DIR=<scratch folder>
#   -DVERSION=<x.y.z>          -DOUTPUT=<tarball path>
#   -DPLUGINS=<a;b;...>        the plug-ins whose sources exist
#
# Layout: DESCRIPTION, COPYING, INDEX, inst/ (help files, Contents.m and the
# toolbox functions help/tfmex_*.m, their checks help/private/*.m in inst/private),
# src/ (Makefile and the sources of the gateway, the kernels and the plug-ins).
cmake_minimum_required(VERSION 3.25)

foreach(var SOURCE_DIR STAGE_DIR VERSION OUTPUT PLUGINS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "make_octave_package.cmake needs -D${var}=...")
  endif()
endforeach()

set(name tfmex-${VERSION})
set(root ${STAGE_DIR}/${name})
file(REMOVE_RECURSE ${STAGE_DIR})
file(MAKE_DIRECTORY ${root}/inst ${root}/src)

set(TFMEX_VERSION ${VERSION})
string(TIMESTAMP TFMEX_DATE "%Y-%m-%d" UTC)
configure_file(${SOURCE_DIR}/packaging/octave/DESCRIPTION.in ${root}/DESCRIPTION @ONLY)
configure_file(${SOURCE_DIR}/LICENSE ${root}/COPYING COPYONLY)
configure_file(${SOURCE_DIR}/packaging/octave/Makefile ${root}/src/Makefile COPYONLY)

# inst/: Contents.m and the help file of every plug-in in the package.
configure_file(${SOURCE_DIR}/help/Contents.m ${root}/inst/Contents.m COPYONLY)
foreach(plugin IN LISTS PLUGINS)
  if(NOT EXISTS ${SOURCE_DIR}/help/${plugin}.m)
    message(FATAL_ERROR "no help file help/${plugin}.m for plug-in ${plugin}")
  endif()
  configure_file(${SOURCE_DIR}/help/${plugin}.m ${root}/inst/${plugin}.m COPYONLY)
endforeach()
# The toolbox functions, written in the host language, go in as they are.
file(GLOB toolbox RELATIVE ${SOURCE_DIR}/help ${SOURCE_DIR}/help/tfmex_*.m)
set(toolbox_names "")
foreach(file IN LISTS toolbox)
  configure_file(${SOURCE_DIR}/help/${file} ${root}/inst/${file} COPYONLY)
  string(REGEX REPLACE "\\.m$" "" function_name ${file})
  list(APPEND toolbox_names ${function_name})
endforeach()
# Their shared argument checks, private to them in inst/private.
file(GLOB toolbox_private RELATIVE ${SOURCE_DIR}/help/private ${SOURCE_DIR}/help/private/*.m)
foreach(file IN LISTS toolbox_private)
  configure_file(${SOURCE_DIR}/help/private/${file} ${root}/inst/private/${file} COPYONLY)
endforeach()

# src/: the same tree as the repository, so that every #include "host/...",
# "src/..." and "kernels/..." resolves from src/ as it does from the top.
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/host/gateway.cpp ${SOURCE_DIR}/host/*.h
     ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.hpp ${SOURCE_DIR}/src/*.inc
     ${SOURCE_DIR}/include/tfmex/*.hpp
     ${SOURCE_DIR}/kernels/*.h ${SOURCE_DIR}/kernels/*.hpp ${SOURCE_DIR}/kernels/*.inc
     ${SOURCE_DIR}/kernels/*.cpp
     ${SOURCE_DIR}/MEXSource/*.h ${SOURCE_DIR}/MEXSource/*.cpp)
foreach(rel IN LISTS sources)
  if(rel MATCHES "^host/embedded/")
    continue()  # the embedded host is not part of a plug-in
  endif()
  configure_file(${SOURCE_DIR}/${rel} ${root}/src/${rel} COPYONLY)
endforeach()

# INDEX: the families of Contents.m, with the plug-ins and toolbox functions
# of this package.
file(STRINGS ${SOURCE_DIR}/help/Contents.m lines)
set(index "tfmex >> Compiled wavelet and time-frequency transforms\n")
set(family "")
foreach(line IN LISTS lines)
  if(line MATCHES "^%   ([A-Za-z0-9_]+) +- ")
    if(CMAKE_MATCH_1 IN_LIST PLUGINS OR CMAKE_MATCH_1 IN_LIST toolbox_names)
      if(NOT family STREQUAL "")
        string(APPEND index "${family}\n")
        set(family "")
      endif()
      string(APPEND index " ${CMAKE_MATCH_1}\n")
    endif()
  elseif(line MATCHES "^% ([A-Z].*)\\.$")
    set(family "${CMAKE_MATCH_1}")
  endif()
endforeach()
file(WRITE ${root}/INDEX "${index}")

get_filename_component(out_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${out_dir})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar czf ${OUTPUT} ${name}
                WORKING_DIRECTORY ${STAGE_DIR} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not write ${OUTPUT}")
endif()
