# The public key that signs the clients, read into the build (KV_UPDATE_PUBKEY in cmake/Deploy.cmake).
#
# kv_update_key_header(PEM HEADER) writes HEADER with the PEM text (empty PEM: no key). Here it refuses what is
# plainly no public key (no file, a private key, not text); src/update/update_key.cpp then checks the rest
# (curve, point) with the launcher's own parser when it is compiled, and stops the build with the reason.
#
# kv_add_update_key(TARGET PEM [DEMO]) makes a static library that answers kv::update_public_key() with that
# key. Without DEMO, the demo key (scripts/demo, whose private half is public) draws a warning.
#
# Run as a script (cmake -DKV_KEY_FILE=... -DKV_KEY_HEADER=... -P cmake/UpdateKey.cmake) it only writes the
# header; the tests use this.

set(_kv_update_key_dir ${CMAKE_CURRENT_LIST_DIR})

function(kv_update_key_header pem header)
  set(KV_UPDATE_KEY_PEM "")
  if(NOT pem STREQUAL "")
    get_filename_component(pem "${pem}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
    if(NOT EXISTS "${pem}" OR IS_DIRECTORY "${pem}")
      message(FATAL_ERROR "KV_UPDATE_PUBKEY: no such file: ${pem}")
    endif()
    file(SIZE "${pem}" size)
    if(size GREATER 8192)
      message(FATAL_ERROR "KV_UPDATE_PUBKEY: ${pem} is no P-256 public key (${size} bytes; such a key in PEM "
                          "has about 180)")
    endif()
    file(READ "${pem}" text)
    if(text MATCHES "PRIVATE KEY")
      message(FATAL_ERROR "KV_UPDATE_PUBKEY: ${pem} is a private key, which must never go into the launcher. "
                          "Build with its public half: openssl ec -in key.pem -pubout -out pub.pem")
    endif()
    # Only the characters of PEM armour and base64, so the text can stand in a C++ raw string as it is.
    if(NOT text MATCHES "^[-A-Za-z0-9+/= \t\r\n]+$")
      message(FATAL_ERROR "KV_UPDATE_PUBKEY: ${pem} is not a PEM text; give the file that "
                          "openssl ec -in key.pem -pubout -out pub.pem writes")
    endif()
    set(KV_UPDATE_KEY_PEM "${text}")
    if(NOT CMAKE_SCRIPT_MODE_FILE)
      set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${pem}")
    endif()
  endif()
  configure_file(${_kv_update_key_dir}/update_key.h.in ${header} @ONLY)
endfunction()

function(kv_add_update_key target pem)
  set(demo ${CMAKE_SOURCE_DIR}/scripts/demo/demo-update-pub.pem)
  if(NOT ARGV2 STREQUAL "DEMO" AND NOT pem STREQUAL "" AND EXISTS "${pem}" AND NOT IS_DIRECTORY "${pem}")
    file(READ "${pem}" text)
    file(READ "${demo}" demo_text)
    if(text STREQUAL demo_text)
      message(WARNING "KV_UPDATE_PUBKEY is the demo key, whose private half is in the repository: anyone can "
                      "sign clients for this launcher. Make a key of your own (README: Signing your clients).")
    endif()
  endif()
  set(dir ${CMAKE_BINARY_DIR}/generated/${target})
  kv_update_key_header("${pem}" ${dir}/update_key_pem.h)
  add_library(${target} STATIC ${CMAKE_SOURCE_DIR}/src/update/update_key.cpp)
  target_include_directories(${target} PRIVATE ${dir})
  target_link_libraries(${target} PUBLIC kv_core)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  kv_update_key_header("${KV_KEY_FILE}" "${KV_KEY_HEADER}")
endif()
