# Deployment values: the hosts and numbers a community sets for its own servers.
# Override any of them at configure time, for example
#   cmake -DKV_UPDATE_HOST=update.mycommunity.net ...
# or put the same -D options into the KV_DEPLOY_ARGS environment variable for scripts/build.
# The defaults are reserved .example names, which never resolve.
set(KV_UPDATE_HOST   "update.korvalen.example" CACHE STRING "Default update host, also the launcher's own site")
set(KV_TV_HOST       "tv.korvalen.example"     CACHE STRING "Host of the default entertainment (TV) page")
set(KV_FORUM_HOST    "forum.korvalen.example"  CACHE STRING "Host of the community forum")
set(KV_MAKER_HOST    "talvern.example"         CACHE STRING "Host of the maker's site")
set(KV_PARTNER_TITLE "KORVALEN.EXAMPLE"        CACHE STRING "Site title shown before any settings are loaded")
set(KV_URL_INITIAL   "http://files.korvalen.example/Korvalen.exe" CACHE STRING "Initial address in the update window")
set(KV_DIRECTX_HOST  "dl.directx.example"      CACHE STRING "Host of the DirectX 9.0c installer")
set(KV_PB_HOST       "www.punkbuster.example"  CACHE STRING "Host of the anti-cheat client's site")
set(KV_VOICE_CHANNEL    "10000" CACHE STRING "Voice-chat channel number")
set(KV_VOICE_SUBCHANNEL "10000" CACHE STRING "Voice-chat sub-channel number")
# Signed clients (opt-in): the public key, as the PEM file that `openssl ec -in key.pem -pubout -out pub.pem`
# writes for a P-256 (prime256v1) key. With a key the launcher installs a downloaded client only when
# /ostrel/BF2.exe.sig beside it verifies; empty (the default) installs clients unchecked. A relative path is
# taken from the folder cmake runs in (the repository, for scripts/build). A file that is no such key stops the
# build with a message naming this option.
set(KV_UPDATE_PUBKEY    ""      CACHE FILEPATH "Public key (PEM, P-256) that signs the clients; empty: not checked")

set(KV_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/cmake/deploy.h.in ${KV_GENERATED_DIR}/deploy.h @ONLY)
include(${CMAKE_SOURCE_DIR}/cmake/UpdateKey.cmake)
