# A key file that is no P-256 public key must stop the build with a message that names KV_UPDATE_PUBKEY and
# says why; a good key and no key must build. Each case goes through the build's own steps: the header made by
# cmake/UpdateKey.cmake, then src/update/update_key.cpp compiled against it (syntax only, which is where the
# check stands).
# Run by ctest: cmake -DCXX=compiler -DSOURCE=repository -DWORK=scratch-folder -P this-file
cmake_minimum_required(VERSION 3.20)
set(keys ${SOURCE}/tests/update/keys)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# Hand-damaged copies of the good key.
file(READ ${keys}/good-pub.pem good)
string(REPLACE "MFkw" "MF*w" bad_char "${good}")
file(WRITE ${WORK}/bad-char.pem "${bad_char}")
string(REPLACE "==\n" "\n" unpadded "${good}")  # a P-256 key is 91 bytes: its base64 ends in "=="
file(WRITE ${WORK}/unpadded.pem "${unpadded}")
file(WRITE ${WORK}/trailing.pem "${good}garbage\n")
file(WRITE ${WORK}/huge.pem "${good}")
foreach(i RANGE 200)
  file(APPEND ${WORK}/huge.pem "${good}")
endforeach()
# The 41st character of the body holds bits of x: changing it keeps the form but leaves the curve.
string(FIND "${good}" "\n" body_start)
math(EXPR at "${body_start} + 1 + 40")
string(SUBSTRING "${good}" ${at} 1 c)
if(c STREQUAL "A")
  set(to "B")
else()
  set(to "A")
endif()
string(SUBSTRING "${good}" 0 ${at} head)
math(EXPR after "${at} + 1")
string(SUBSTRING "${good}" ${after} -1 tail)
file(WRITE ${WORK}/off-curve.pem "${head}${to}${tail}")

set(failures 0)
function(expect_refused name file reason)
  set(header ${WORK}/${name}/update_key_pem.h)
  execute_process(COMMAND ${CMAKE_COMMAND} -DKV_KEY_FILE=${file} -DKV_KEY_HEADER=${header}
                          -P ${SOURCE}/cmake/UpdateKey.cmake
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(stage "configure")
  if(rc EQUAL 0)
    set(stage "compile")
    execute_process(COMMAND ${CXX} -std=c++20 -fsyntax-only -I${SOURCE}/src -I${WORK}/${name}
                            ${SOURCE}/src/update/update_key.cpp
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  endif()
  string(REGEX REPLACE "[ \t\r\n]+" " " flat "${out}")  # messages come wrapped
  if(reason STREQUAL "" AND NOT rc EQUAL 0)
    message(SEND_ERROR "${name}: refused at ${stage}, but it is a usable key:\n${out}")
  elseif(NOT reason STREQUAL "" AND rc EQUAL 0)
    message(SEND_ERROR "${name}: the build went on with this key file")
  elseif(NOT reason STREQUAL "" AND NOT flat MATCHES "KV_UPDATE_PUBKEY: [^\"]*${reason}")
    message(SEND_ERROR "${name}: refused at ${stage} without naming KV_UPDATE_PUBKEY and '${reason}':\n${out}")
  else()
    message(STATUS "${name}: ${stage} as expected")
  endif()
endfunction()

expect_refused(no-key "" "")
expect_refused(good ${keys}/good-pub.pem "")
expect_refused(missing ${WORK}/no-such.pem "no such file")
expect_refused(directory ${WORK} "no such file")
expect_refused(huge ${WORK}/huge.pem "no P-256 public key")
expect_refused(der ${keys}/der-pub.der "not a PEM text")
expect_refused(sec1-private ${keys}/sec1-private.pem "private key")
expect_refused(pkcs8-private ${keys}/pkcs8-private.pem "private key")
expect_refused(trailing ${WORK}/trailing.pem "not a PEM public key")
expect_refused(bad-char ${WORK}/bad-char.pem "not a PEM text")
expect_refused(unpadded ${WORK}/unpadded.pem "not base64")
expect_refused(p384 ${keys}/p384.pem "prime256v1")
expect_refused(secp256k1 ${keys}/secp256k1.pem "prime256v1")
expect_refused(explicit-curve ${keys}/explicit-curve.pem "prime256v1")
expect_refused(compressed ${keys}/compressed.pem "compressed")
expect_refused(rsa ${keys}/rsa.pem "not an EC key")
expect_refused(ed25519 ${keys}/ed25519.pem "not an EC key")
expect_refused(off-curve ${WORK}/off-curve.pem "not on the P-256 curve")
