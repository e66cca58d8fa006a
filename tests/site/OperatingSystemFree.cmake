# Fails when a source file of the folder given as FOLDER includes an operating system's own
# header: what the system gives is reached through platform/, so a port needs only a backend
# there. Run as: cmake -DFOLDER=<folder> -P OperatingSystemFree.cmake
file(GLOB sources "${FOLDER}/*.cpp" "${FOLDER}/*.h")
set(found "")
foreach(source IN LISTS sources)
  file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*<(unistd|dirent|fcntl|pwd|grp|dlfcn|poll|termios|windows|io|direct)\\.h>|^[ \t]*#[ \t]*include[ \t]*<(sys|arpa|netinet)/")
  foreach(line IN LISTS includes)
    string(APPEND found "\n  ${source}: ${line}")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "operating-system headers outside platform/:${found}")
endif()
