cmake_minimum_required(VERSION 3.25)
# Fails when a source includes a header of a layer above its own. Each layer may include only the
# layers listed after it; run with -DSOURCE_DIR=<top folder>.
set(layers
  "model"
  "cover:model"
  "editor:model,cover"
  "shorten:model,cover"
  "session:model,cover,editor,shorten"
  "window:model,cover,editor,shorten,session"
  "web:model,cover,editor,shorten,session"
  "win32:model,cover,editor,shorten,session"
  "cli:model,shorten")
# tests/ is in no layer's list: the product never includes what only the tests use.
set(all_layers model cover editor shorten session window web win32 cli tests)
# A layer that lists its public headers here keeps every other header to itself: how it does its
# work (the shortener's two threads, its record lists) stays out of sight of the layers above.
set(public_shorten shorten.h apply.h apply_to_template.h auto_types.h short_name.h)

set(faults "")
foreach(entry IN LISTS layers)
  string(REGEX REPLACE "[:,]" ";" parts "${entry}")
  list(POP_FRONT parts layer)
  set(allowed ${parts} ${layer})
  file(GLOB sources "${SOURCE_DIR}/${layer}/*.cpp" "${SOURCE_DIR}/${layer}/*.h")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" includes REGEX "^#include \"[a-z_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" folder "${line}")
      string(REGEX REPLACE "^#include \"[a-z_]+/([a-z_.]+)\".*" "\\1" header "${line}")
      file(RELATIVE_PATH name "${SOURCE_DIR}" "${source}")
      if(folder IN_LIST all_layers AND NOT folder IN_LIST allowed)
        string(APPEND faults "  ${name}: ${line} (${layer}/ may use only: ${allowed})\n")
      elseif(DEFINED public_${folder} AND NOT folder STREQUAL layer AND
             NOT header IN_LIST public_${folder})
        string(APPEND faults "  ${name}: ${line} (${folder}/ offers only: ${public_${folder}})\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "Includes that point up a layer or into one:\n${faults}")
endif()
