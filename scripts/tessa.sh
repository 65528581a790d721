#!/usr/bin/env bash
# Builds the library and the tessa command-line tool, then runs tessa with the
# given arguments, or a short demonstration when there are none.
# Installs missing system packages first when run as root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh library
cmake -S . -B build/main -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/main -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
tessa=build/main/tessa
if (($# > 0)); then
  exec "$tessa" "$@"
fi
demo() { printf '\n$ tessa'; printf ' %q' "$@"; printf '\n'; "$tessa" "$@"; }
demo version
demo --help
demo hex --text "Tessalib"
demo hash --alg sha256 --text abc
demo hash --alg sha3-256 --text abc
demo encrypt --alg aes128 --key 000102030405060708090A0B0C0D0E0F --hex 00112233445566778899AABBCCDDEEFF
demo decrypt --alg aes128 --key 000102030405060708090A0B0C0D0E0F --hex 69C4E0D86A7B0430D8CDB78070B4C55A --to hex
demo seal --alg aes128-gcm --key 000102030405060708090A0B0C0D0E0F --nonce CAFEBABEFACEDBADDECAF888 --aad header --text "attack at dawn"
demo open --alg aes128-gcm --key 000102030405060708090A0B0C0D0E0F --aad header --to text \
  --hex CAFEBABEFACEDBADDECAF888E80DB3D7E69CA160DE30ADE92A94BFA88FC1DF9D4CCE18667558E4C58078
demo mac --alg hmac-sha256 --key 0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B --text "Hi There"
demo derive pbkdf2 --prf sha1 --iter 4096 --password password --salt-text salt --len 20
demo derive scrypt --N 1024 --r 8 --p 16 --password password --salt-text NaCl --len 64
demo xof --alg shake128 --len 32 --text ""
demo error -33
