# Source sets are found by name, so a new file needs no edit here:
#   src/**/*_win.cpp     Windows side only (system calls, windows and controls)
#   src/**/*_posix.cpp   native (POSIX) side only
#   everything else in src/**/*.cpp   the portable core (no <windows.h>)
#   src/app/main_win.cpp is the launcher's entry point and goes into the executable alone.
#   src/update/update_key.cpp is built once per key, beside that key (cmake/UpdateKey.cmake).
file(GLOB_RECURSE _all CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp)
set(KV_CORE_SOURCES "")
set(KV_PLATFORM_SOURCES "")
foreach(f IN LISTS _all)
  if(f MATCHES "/src/app/main_win\\.cpp$" OR f MATCHES "/src/update/update_key\\.cpp$")
    continue()
  elseif(f MATCHES "_win\\.cpp$")
    if(KV_WINDOWS)
      list(APPEND KV_PLATFORM_SOURCES ${f})
    endif()
  elseif(f MATCHES "_posix\\.cpp$")
    if(NOT KV_WINDOWS)
      list(APPEND KV_PLATFORM_SOURCES ${f})
    endif()
  else()
    list(APPEND KV_CORE_SOURCES ${f})
  endif()
endforeach()
