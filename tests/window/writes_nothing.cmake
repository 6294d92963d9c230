cmake_minimum_required(VERSION 3.25)
# Starts the real program for two seconds with XDG_RUNTIME_DIR unset and a fresh temporary folder,
# and checks that the folder stays empty. -DPROGRAM=<quarnel> -DFOLDER=<a scratch folder>
file(REMOVE_RECURSE "${FOLDER}")
file(MAKE_DIRECTORY "${FOLDER}")
execute_process(COMMAND env -u XDG_RUNTIME_DIR -u DBUS_SESSION_BUS_ADDRESS TMPDIR=${FOLDER}
                        QT_QPA_PLATFORM=offscreen timeout 2 "${PROGRAM}"
                ERROR_VARIABLE err RESULT_VARIABLE status)
file(GLOB made "${FOLDER}/*")
if(made)
  message(FATAL_ERROR "the program made: ${made}")
endif()
if(NOT status EQUAL 124)  # ended by timeout, not by itself
  message(FATAL_ERROR "the program stopped with ${status}: ${err}")
endif()
if(err MATCHES "QStandardPaths")
  message(FATAL_ERROR "the program printed: ${err}")
endif()
