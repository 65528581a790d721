#!/usr/bin/env bash
# Drives the tessa tool as a user would, through every way a command can fail:
# an input that cannot be read, memory that runs out, output that cannot be
# written, options without their value, hex without whole bytes, numbers out
# of range. Each failure must be exactly one line on standard error, starting
# "tessa", naming the cause, with exit status 1 (a failed operation) or 2
# (bad usage); never an abort. A few successes check that the tool still works.
#
#   usage: tessa_cli_test.sh TESSA [--no-memory-limit]
#
# --no-memory-limit leaves out the cases run under a memory limit (ulimit -v):
# AddressSanitizer reserves terabytes of address space and ends the process
# on a failed allocation instead of letting it throw, so they cannot run in
# the sanitizer build. What is left out is printed.
#
# TESSALIB_FAULTS_PATH names the test build of the library (tessalib_faults);
# the cases marked [faults] run tessa over it with a failing known-answer
# test, the library's failed state. Without it they are left out (printed).
set -uo pipefail

tessa_bin=${1:?usage: tessa_cli_test.sh TESSA [--no-memory-limit]}
[[ -x $tessa_bin ]] || { echo "tessa_cli_test: no program at $tessa_bin" >&2; exit 1; }
tessa_bin=$(cd "$(dirname "$tessa_bin")" && pwd)/$(basename "$tessa_bin")
memory_cases=1
[[ ${2:-} == --no-memory-limit ]] && memory_cases=0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dir=$work/a-directory
mkdir "$dir"
printf 'abc' >"$work/abc.txt"
printf -- '-' >"$work/--odd"

tessa() { "$tessa_bin" "$@"; }
# The library in its failed state: the test build under the name tessa
# loads, its SHA-256 known-answer test made to fail, reports to a log here.
faults_cases=0
if [[ -n ${TESSALIB_FAULTS_PATH:-} ]]; then
    mkdir "$work/faults"
    ln -s "$TESSALIB_FAULTS_PATH" "$work/faults/libtessalib.so.6"
    printf 'NoMessageBox=1\nErrorLogDir=%s\n' "$work/faults" >"$work/faults/options"
    faults_cases=1
fi
with_failed_library() {
    export LD_LIBRARY_PATH=$work/faults TESSALIB_TEST_FAULT=sha256 TESSALIB_OPTIONS_FILE=$work/faults/options
}
# Memory for the cases that must run out of it: far more than the tool needs
# to start, far less than what the command asks for.
limit_memory() { ulimit -v $((256 * 1024)); }

# One case a line: STATUS | STDERR (an extended regular expression the one
# line of standard error must match; empty for a success) | STDOUT (a regular
# expression for standard output, checked for successes only) | COMMAND
# (shell text; `tessa` runs the tool, $dir is a directory, $work a scratch
# directory). Cases marked [memory] run under limit_memory.
cases=$(cat <<'EOF'
# An input path that is a directory, for every command that reads one.
1 | ^tessa hex: cannot read .*/a-directory: Is a directory$ | | tessa hex "$dir"
1 | ^tessa b64: cannot read .*: Is a directory$ | | tessa b64 "$dir"
1 | ^tessa unhex: cannot read .*: Is a directory$ | | tessa unhex "$dir"
1 | ^tessa hexfilter: cannot read .*: Is a directory$ | | tessa hexfilter "$dir"
1 | ^tessa b64filter: cannot read .*: Is a directory$ | | tessa b64filter "$dir"
1 | ^tessa utf8: cannot read .*: Is a directory$ | | tessa utf8 "$dir"
1 | ^tessa mac: cannot read .*: Is a directory$ | | tessa mac --alg hmac-sha256 --key 00 "$dir"
1 | ^tessa xof: cannot read .*: Is a directory$ | | tessa xof --alg shake128 --len 4 "$dir"
1 | ^tessa encrypt: cannot read .*: Is a directory$ | | tessa encrypt --alg aes128 --key 000102030405060708090A0B0C0D0E0F "$dir"
1 | ^tessa decrypt: cannot read .*: Is a directory$ | | tessa decrypt --alg des --key 0123456789ABCDEF --in hex "$dir"
1 | ^tessa hash: cannot read standard input: Is a directory$ | | tessa hash - <"$dir"
# A file of /proc that opens but cannot be read, a file that does not exist.
1 | ^tessa hex: cannot read /proc/self/mem: Input/output error$ | | tessa hex /proc/self/mem
1 | ^tessa b64: cannot read .*/missing: No such file or directory$ | | tessa b64 "$work/missing"
# Memory that runs out: a huge output, an input that never ends.
1 | ^tessa xof: out of memory$ | | [memory] tessa xof --alg shake128 --len 2147483647 --text a
1 | ^tessa hex: out of memory$ | | [memory] tessa hex /dev/zero
1 | ^tessa b64: out of memory$ | | [memory] tessa b64 - </dev/zero
1 | ^tessa hash: out of memory$ | | [memory] tessa hash </dev/zero
# Output that cannot be written: a full device, a directory as --out.
1 | ^tessa hash: cannot write to standard output: No space left on device$ | | tessa hash --text abc >/dev/full
1 | ^tessa hex: cannot write to standard output: No space left on device$ | | tessa hex --text abc >/dev/full
1 | ^tessa unhex: cannot write to standard output: No space left on device$ | | tessa unhex --text 41 >/dev/full
1 | ^tessa unhex: cannot write /dev/full: No space left on device$ | | tessa unhex --text 41 --out /dev/full
1 | ^tessa unb64: cannot create .*/a-directory: Is a directory$ | | tessa unb64 --text QQ== --out "$dir"
1 | ^tessa encrypt: cannot write to standard output: No space left on device$ | | tessa encrypt --alg des --key 0123456789ABCDEF --hex 0011223344556677 >/dev/full
1 | ^tessa mac: cannot write to standard output: No space left on device$ | | tessa mac --alg hmac-sha1 --key 00 --text a >/dev/full
1 | ^tessa derive: cannot write to standard output: No space left on device$ | | tessa derive pbkdf2 --iter 1 --password p --salt 00 >/dev/full
1 | ^tessa xof: cannot write to standard output: No space left on device$ | | tessa xof --alg shake256 --len 8 --text a >/dev/full
1 | ^tessa xof: cannot write /dev/full: No space left on device$ | | tessa xof --alg shake256 --len 8 --text a --out /dev/full
1 | ^tessa version: cannot write to standard output: No space left on device$ | | tessa version >/dev/full
1 | ^tessa error: cannot write to standard output: No space left on device$ | | tessa error 33 >/dev/full
1 | ^tessa help: cannot write to standard output: No space left on device$ | | tessa --help >/dev/full
1 | ^tessa hash: cannot write to standard output: No space left on device$ | | tessa hash --help >/dev/full
1 | ^tessa hash: cannot write to standard output: No space left on device$ | | tessa hash "$work/abc.txt" "$work/abc.txt" >/dev/full
# tessa rand: keys, nonces, numbers, seed files and the statistical test.
0 | | ^[0-9A-F]{64}$ | tessa rand key 32
0 | | ^[0-9A-F]{32}$ | tessa rand nonce 16
0 | | ^[0-9A-F]{8}$ | tessa rand key 4 --seed 00112233
# Files: encrypt and decrypt --in/--out (or --file), compress, decompress, crc, wipe.
0 | | ^ok$ | tessa encrypt --alg aes128 --mode cbc --key 000102030405060708090A0B0C0D0E0F --iv 000102030405060708090A0B0C0D0E0F --prefix-iv --in "$work/abc.txt" --out "$work/abc.enc" && echo ok
0 | | ^abc$ | tessa decrypt --alg aes128 --mode cbc --key 000102030405060708090A0B0C0D0E0F --prefix-iv --in "$work/abc.enc" --out "$work/abc.dec" && cat "$work/abc.dec" && echo
1 | ^tessa encrypt: Duplicate data or filename \(DUP_ERROR\): the output is the input file$ | | tessa encrypt --alg des --key 0123456789ABCDEF --file "$work/abc.txt" --out "$work/./abc.txt"
1 | ^tessa decrypt: .*\(BAD_LENGTH_ERROR\)$ | | tessa decrypt --alg aes256 --key 000102030405060708090A0B0C0D0E0F000102030405060708090A0B0C0D0E0F --in "$work/abc.txt" --out "$work/x"
1 | ^tessa decrypt: .*\(READ_ERROR\)$ | | tessa decrypt --alg tdea --mode ctr --key 000102030405060708090A0B0C0D0E0F0001020304050607 --iv 0011223344556677 --in "$dir" --out "$work/x"
1 | ^tessa encrypt: .*\(OPEN_ERROR\)$ | | tessa encrypt --alg blowfish --key 0011 --in "$work/missing" --out "$work/x"
2 | ^tessa encrypt: with --file FILE give --out FILE | | tessa encrypt --alg aes128 --key 000102030405060708090A0B0C0D0E0F --file "$work/abc.txt"
1 | ^tessa encrypt: .*\(WRITE_ERROR\)$ | | tessa encrypt --alg aes128 --mode ctr --key 000102030405060708090A0B0C0D0E0F --iv 000102030405060708090A0B0C0D0E0F --in "$work/abc.txt" --out /dev/full
0 | | ^still a device$ | tessa encrypt --alg des --key 0123456789ABCDEF --in "$work/abc.txt" --out /dev/full 2>/dev/null; [[ -c /dev/full ]] && echo still a device
0 | | ^tessa encrypt: +[0-9]+% of 16 MiB$ | head -c 16777216 /dev/zero >"$work/big" && script -qfec "$tessa_bin encrypt --alg tdea --mode ctr --key 000102030405060708090A0B0C0D0E0F0001020304050607 --iv 0011223344556677 --in $work/big --out $work/big.enc" /dev/null | tr '\r' '\n' | grep -m 1 '%'
0 | | ^abc$ | tessa compress --method zstd "$work/abc.txt" --out "$work/abc.zst" && tessa decompress --method zstd "$work/abc.zst" --to text
0 | | ^789C4B4C4A0600024D0127$ | tessa compress --text abc --to hex
1 | ^tessa decompress: .*\(INVALID_DATA_ERROR\): not data compressed with this method$ | | tessa decompress --hex 789C4B4C4A06
1 | ^tessa decompress: .*\(BAD_FORMAT_ERROR\): not data compressed with this method$ | | tessa decompress --method zstd --text abcdef
2 | ^tessa compress: --method takes zlib or zstd, not lz4 | | tessa compress --method lz4 --text a
0 | | ^CBF43926$ | tessa crc --text 123456789
0 | | ^352441C2$ | tessa crc "$work/abc.txt"
0 | | ^00000000$ | : >"$work/empty" && tessa crc "$work/empty"
1 | ^tessa crc: .*\(OPEN_ERROR\): .*missing$ | | tessa crc "$work/missing"
1 | ^tessa crc: .*\(READ_ERROR\): | | tessa crc "$dir"
0 | | ^gone$ | printf 'secret' >"$work/w" && tessa wipe "$work/w" && [[ ! -e $work/w ]] && echo gone
1 | ^tessa wipe: .*\(OPEN_ERROR\): /dev/null$ | | tessa wipe --quick /dev/null
2 | ^tessa wipe: give the files to wipe | | tessa wipe
0 | | ^[5-7]$ | tessa rand number 5 7
0 | | ^power-up tests: passed$ | tessa selftest
0 | | ^module: +/.*libtessalib\.so | tessa version --verbose
0 | | ^built: +[A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4} [0-9:]{8}$ | tessa version --verbose
1 | ^tessa selftest: cannot write to standard output: No space left on device$ | | tessa selftest >/dev/full
0 | | ^-?[0-9]+$ | tessa rand number -2147483648 2147483647
0 | | ^ok$ | tessa rand key 16 --out "$work/key.bin" && test $(wc -c <"$work/key.bin") -eq 16 && echo ok
0 | | ^ok$ | tessa rand init "$work/seed" && test $(wc -c <"$work/seed") -eq 128 && tessa rand update-seed "$work/seed" && echo ok
0 | | ^processor generator: | tessa rand init
0 | | ^FIPS 140-2 tests [a-zA-Z]+$ | tessa rand test --report "$work/report.txt" ; test -s "$work/report.txt"
0 | | ^ok$ | printf 'ab%.0s' $(seq 100) | tessa rand make-seed "$work/made" --console --strength 112 >/dev/null && test $(wc -c <"$work/made") -eq 128 && echo ok
2 | ^tessa rand: the number of bytes must be 1 to 65536: 65537 | | tessa rand key 65537
2 | ^tessa rand: the number of bytes must be 1 to 65536: 0 | | tessa rand nonce 0
2 | ^tessa rand: --seed is not whole bytes of hex | | tessa rand key 8 --seed 123
2 | ^tessa rand: UPPER is below LOWER | | tessa rand number 9 3
2 | ^tessa rand: LOWER and UPPER must be 32-bit numbers | | tessa rand number 0 2147483648
2 | ^tessa rand: unknown action: dice | | tessa rand dice
1 | ^tessa rand: PRNG: Cannot open input file \(PRNG_ERR_FILE_OPEN\)$ | | tessa rand update-seed "$work/no-seed"
1 | ^tessa rand: PRNG: Cannot create output file \(PRNG_ERR_FILE_CREATE\)$ | | tessa rand init "$dir/missing/seed"
1 | ^tessa rand: cannot write to standard output: No space left on device$ | | tessa rand key 8 >/dev/full
# An option without its value is bad usage, not an absent option.
2 | ^tessa hash: --alg needs a value \(see tessa hash --help\)$ | | tessa hash --alg
2 | ^tessa hex: --text needs a value | | tessa hex --text
2 | ^tessa encrypt: --key needs a value | | tessa encrypt --alg aes128 --text a --key
2 | ^tessa derive: --salt needs a value | | tessa derive pbkdf2 --iter 1 --password p --salt
# Hex arguments are whole bytes: a lone digit is not dropped.
2 | ^tessa derive: the salt is not whole bytes of hex | | tessa derive pbkdf2 --iter 1 --password p --salt 0
2 | ^tessa derive: the password is not whole bytes of hex | | tessa derive pbkdf2 --iter 1 --password-hex 123 --salt 00
2 | ^tessa mac: the key is not whole bytes of hex | | tessa mac --alg hmac-sha1 --key 0 --text a
2 | ^tessa mac: the --hex message is not whole bytes of hex | | tessa mac --alg hmac-sha1 --key 00 --hex abc
2 | ^tessa encrypt: give the key as whole bytes of hex | | tessa encrypt --alg aes128 --key 0 --text a
2 | ^tessa encrypt: the data is not whole bytes of hex | | tessa encrypt --alg des --key 0123456789ABCDEF --hex 001
# Numbers out of range, unknown names and options.
2 | ^tessa error: not a 32-bit error code: 4294967302 | | tessa error 4294967302
2 | ^tessa error: not a 32-bit error code: -2147483649 | | tessa error -2147483649
2 | ^tessa error: not a number: 12x | | tessa error 12x
2 | ^tessa xof: --len must be a number from 1 to 2147483647 | | tessa xof --alg shake128 --len 99999999999999999999 --text a
2 | ^tessa hash: unknown algorithm 'sha999' | | tessa hash --alg sha999 --text a
2 | ^tessa hash: unknown option --texts | | tessa hash --texts a
2 | ^tessa hex: give --text or a FILE, not both | | tessa hex --text a "$work/abc.txt"
2 | ^tessa: unknown command 'nope' | | tessa nope
2 | ^tessa: give a command | | tessa
# A failure the library reports.
1 | ^tessa encrypt: Data not a valid length \(BAD_LENGTH_ERROR\): ECB and CBC need a multiple of 16 bytes | | tessa encrypt --alg aes128 --key 000102030405060708090A0B0C0D0E0F --text abc
1 | ^tessa hash: Cannot open input file \(OPEN_ERROR\): .*/missing$ | | tessa hash "$work/missing"
# tessa seal and open: RFC 8439's example, the Ascon-128 KAT's first case,
# a changed message, lengths, nonces, options.
0 | | ^D31A8D34648E60DB7B86AFBC53EF7EC2A4ADED51296E08FEA9E2B5A736EE62D63DBEA45E8CA9671282FAFB69DA92728B1A71DE0A9E060B2905D6A5B67ECD3B3692DDBD7F2D778B8C9803AEE328091B58FAB324E4FAD675945585808B4831D7BC3FF4DEF08E4B7A9DE576D26586CEC64B61161AE10B594F09E26A7E902ECBD0600691$ | tessa seal --alg chacha20-poly1305 --key 808182838485868788898A8B8C8D8E8F909192939495969798999A9B9C9D9E9F --nonce 070000004041424344454647 --aad-hex 50515253C0C1C2C3C4C5C6C7 --no-prefix --text "Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the future, sunscreen would be it."
0 | | ^Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the future, sunscreen would be it\.$ | tessa open --alg chacha20-poly1305 --key 808182838485868788898A8B8C8D8E8F909192939495969798999A9B9C9D9E9F --aad-hex 50515253C0C1C2C3C4C5C6C7 --hex 070000004041424344454647D31A8D34648E60DB7B86AFBC53EF7EC2A4ADED51296E08FEA9E2B5A736EE62D63DBEA45E8CA9671282FAFB69DA92728B1A71DE0A9E060B2905D6A5B67ECD3B3692DDBD7F2D778B8C9803AEE328091B58FAB324E4FAD675945585808B4831D7BC3FF4DEF08E4B7A9DE576D26586CEC64B61161AE10B594F09E26A7E902ECBD0600691 --to text
0 | | ^E355159F292911F794CB1432A0103A8A$ | tessa seal --alg ascon128 --key 000102030405060708090A0B0C0D0E0F --nonce 000102030405060708090A0B0C0D0E0F --no-prefix --text ""
0 | | ^$ | tessa open --alg ascon128 --key 000102030405060708090A0B0C0D0E0F --nonce 000102030405060708090A0B0C0D0E0F --no-prefix --hex E355159F292911F794CB1432A0103A8A
1 | ^tessa open: Authentication failed \(AUTH_FAIL_ERROR\): .*nothing was written$ | | tessa open --alg chacha20-poly1305 --key 808182838485868788898A8B8C8D8E8F909192939495969798999A9B9C9D9E9F --aad-hex 50515253C0C1C2C3C4C5C6C7 --hex 070000004041424344454647D31A8D34648E60DB7B86AFBC53EF7EC2A4ADED51296E08FEA9E2B5A736EE62D63DBEA45E8CA9671282FAFB69DA92728B1A71DE0A9E060B2905D6A5B67ECD3B3692DDBD7F2D778B8C9803AEE328091B58FAB324E4FAD675945585808B4831D7BC3FF4DEF08E4B7A9DE576D26586CEC64B61171AE10B594F09E26A7E902ECBD0600691
1 | ^tessa open: Authentication failed \(AUTH_FAIL_ERROR\) | | tessa open --alg chacha20-poly1305 --key 808182838485868788898A8B8C8D8E8F909192939495969798999A9B9C9D9E9F --hex 070000004041424344454647D31A8D34648E60DB7B86AFBC53EF7EC2A4ADED51296E08FEA9E2B5A736EE62D63DBEA45E8CA9671282FAFB69DA92728B1A71DE0A9E060B2905D6A5B67ECD3B3692DDBD7F2D778B8C9803AEE328091B58FAB324E4FAD675945585808B4831D7BC3FF4DEF08E4B7A9DE576D26586CEC64B61161AE10B594F09E26A7E902ECBD0600691
1 | ^tessa open: Authentication failed \(AUTH_FAIL_ERROR\) | | tessa open --alg ascon128 --key 000102030405060708090A0B0C0D0E0F --nonce 000102030405060708090A0B0C0D0E0F --no-prefix --hex E355159F292911F794CB1432A0103A8B
1 | ^tessa open: Data not a valid length \(BAD_LENGTH_ERROR\): the data is shorter than a sealed message | | tessa open --alg aes128-gcm --key 000102030405060708090A0B0C0D0E0F --hex 00112233
2 | ^tessa seal: --nonce takes the nonce of AES-128-GCM: 12 bytes \(24 hex digits\) | | tessa seal --alg aes128-gcm --key 000102030405060708090A0B0C0D0E0F --nonce 00 --text a
2 | ^tessa seal: --key takes the key of ChaCha20-Poly1305: 32 bytes | | tessa seal --alg chacha20-poly1305 --key 000102030405060708090A0B0C0D0E0F --nonce 070000004041424344454647 --text a
2 | ^tessa seal: --alg takes aes128-gcm, aes256-gcm, chacha20-poly1305, ascon128, ascon128a or gcm, not aes | | tessa seal --alg aes --key 00 --text a
2 | ^tessa open: the nonce is read from the data; --nonce goes with --no-prefix | | tessa open --alg aes128-gcm --key 000102030405060708090A0B0C0D0E0F --nonce 070000004041424344454647 --hex 00
2 | ^tessa seal: give --aad or --aad-hex, not both | | tessa seal --alg aes128-gcm --key 000102030405060708090A0B0C0D0E0F --nonce 070000004041424344454647 --aad a --aad-hex 00 --text a
2 | ^tessa seal: --nonce needs a value | | tessa seal --alg aes128-gcm --key 000102030405060708090A0B0C0D0E0F --text a --nonce
1 | ^tessa open: cannot read .*: Is a directory$ | | tessa open --alg aes128-gcm --key 000102030405060708090A0B0C0D0E0F "$dir"
1 | ^tessa seal: cannot write to standard output: No space left on device$ | | tessa seal --alg aes256-gcm --key 808182838485868788898A8B8C8D8E8F909192939495969798999A9B9C9D9E9F --nonce 070000004041424344454647 --text a >/dev/full
# tessa encrypt and decrypt by the generic names: padding, the IV in front.
0 | | ^E717D9BE0BD90F750B58E38385F082AB$ | tessa encrypt --alg aes128/cbc/pkcs5 --key 000102030405060708090A0B0C0D0E0F --iv 000102030405060708090A0B0C0D0E0F --text abc
0 | | ^000102030405060708090A0B0C0D0E0FE717D9BE0BD90F750B58E38385F082AB$ | tessa encrypt --alg aes128 --mode cbc --pad pkcs5 --prefix-iv --key 000102030405060708090A0B0C0D0E0F --iv 000102030405060708090A0B0C0D0E0F --text abc
0 | | ^abc$ | tessa decrypt --alg AES-128/CBC --key 000102030405060708090A0B0C0D0E0F --prefix-iv --hex 000102030405060708090A0B0C0D0E0FE717D9BE0BD90F750B58E38385F082AB --to text
0 | | ^9D77B635CDB54734$ | tessa encrypt --alg tdea/ecb --pad oneandzeroes --key 000102030405060708090A0B0C0D0E0F0001020304050607 --text abc
0 | | ^abc$ | tessa decrypt --alg 3des --pad oneandzeroes --key 000102030405060708090A0B0C0D0E0F0001020304050607 --hex 9D77B635CDB54734 --to text
1 | ^tessa decrypt: Decryption error \(DECRYPT_ERROR\): the padding is wrong | | tessa decrypt --alg aes128/cbc --key 000102030405060708090A0B0C0D0E0F --iv 000102030405060708090A0B0C0D0E0F --hex 00112233445566778899AABBCCDDEEFF
1 | ^tessa encrypt: Parameter is wrong or missing \(BAD_PARAM_ERROR\): --alg takes ALG\[/MODE\[/PADDING\]\] | | tessa encrypt --alg aes128/xyz --key 000102030405060708090A0B0C0D0E0F --text abc
1 | ^tessa encrypt: Invalid IV length \(BAD_IV_LEN_ERROR\) | | tessa encrypt --alg aes128/cbc --key 000102030405060708090A0B0C0D0E0F --iv 0011 --text abc
2 | ^tessa encrypt: give the mode in --alg \(aes128/cbc\) or with --mode, not both | | tessa encrypt --alg aes128/cbc --mode cbc --key 00 --text abc
2 | ^tessa encrypt: give the padding in --alg \(aes128/cbc/w3c\) or with --pad, not both | | tessa encrypt --alg aes128/cbc/w3c --pad w3c --key 00 --text abc
2 | ^tessa encrypt: padding and the IV in front are for AES and Triple DES, not Blowfish | | tessa encrypt --alg blowfish --pad pkcs5 --key 00 --text abc
2 | ^tessa decrypt: --pad needs a value | | tessa decrypt --alg aes128 --key 00 --text a --pad
# tessa wrap and unwrap: RFC 3394's 4.1, a changed bit, lengths; Triple DES round trip.
0 | | ^1FA68B0A8112B447AEF34BD8FB5A7B829D3E862371D2CFE5$ | tessa wrap --alg aes128 --kek 000102030405060708090A0B0C0D0E0F --hex 00112233445566778899AABBCCDDEEFF
0 | | ^00112233445566778899AABBCCDDEEFF$ | tessa unwrap --alg AES128 --kek 000102030405060708090A0B0C0D0E0F --hex 1FA68B0A8112B447AEF34BD8FB5A7B829D3E862371D2CFE5
0 | | ^000102030405060708090A0B0C0D0E0F0001020304050607$ | tessa wrap --alg tdea --kek 0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF --hex 000102030405060708090A0B0C0D0E0F0001020304050607 --to raw | tessa unwrap --alg tdea --kek 0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF -
1 | ^tessa unwrap: the wrapped key failed its integrity check | | tessa unwrap --alg aes128 --kek 000102030405060708090A0B0C0D0E0F --hex 1FA68B0A8112B447AEF34BD8FB5A7B829D3E862371D2CFE4
1 | ^tessa wrap: Data not a valid length \(BAD_LENGTH_ERROR\): AES wraps 16 bytes or more, a multiple of 8$ | | tessa wrap --alg aes128 --kek 000102030405060708090A0B0C0D0E0F --hex 0011223344556677
1 | ^tessa unwrap: Data not a valid length \(BAD_LENGTH_ERROR\): a Triple DES wrap is 40 bytes$ | | tessa unwrap --alg tdea --kek 000102030405060708090A0B0C0D0E0F0001020304050607 --hex 000102030405060708090A0B0C0D0E0F
1 | ^tessa wrap: Invalid key length \(BAD_KEY_LEN_ERROR\): --kek is | | tessa wrap --alg aes256 --kek 000102030405060708090A0B0C0D0E0F --hex 000102030405060708090A0B0C0D0E0F
2 | ^tessa wrap: --alg takes aes128, aes192, aes256 or tdea, not des | | tessa wrap --alg des --kek 00 --hex 00
2 | ^tessa unwrap: give the key-encryption key as whole bytes of hex with --kek | | tessa unwrap --alg aes128 --kek 123 --hex 00
# tessa stream: RFC 8439 2.4.2, RFC 6229, lengths, files (the input as output refused).
0 | | ^6E2E359A2568F98041BA0728DD0D6981E97E7AEC1D4360C20A27AFCCFD9FAE0BF91B65C5524733AB8F593DABCD62B3571639D624E65152AB8F530C359F0861D807CA0DBF500D6A6156A38E088A22B65E52BC514D16CCF806818CE91AB77937365AF90BBF74A35BE6B40B8EEDF2785E42874D$ | tessa stream --alg chacha20 --counter 1 --iv 000000000000004A00000000 --key 000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F --text "Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the future, sunscreen would be it."
0 | | ^B2396305F03DC027CCC3524A0A1118A8$ | tessa stream --alg arcfour --key 0102030405 --hex 00000000000000000000000000000000
0 | | ^abc$ | tessa stream --alg salsa20 --key 000102030405060708090A0B0C0D0E0F --iv 0001020304050607 --text abc --to raw | tessa stream --alg salsa20 --key 000102030405060708090A0B0C0D0E0F --iv 0001020304050607 --to text -
0 | | ^same$ | printf 'some file' >"$work/s.txt" && tessa stream --alg chacha20 --key 000102030405060708090A0B0C0D0E0F --iv 0001020304050607 --file "$work/s.txt" --out "$work/s.enc" && tessa stream --alg chacha20 --key 000102030405060708090A0B0C0D0E0F --iv 0001020304050607 --file "$work/s.enc" --out "$work/s.dec" && cmp -s "$work/s.txt" "$work/s.dec" && echo same
1 | ^tessa stream: Duplicate data or filename \(DUP_ERROR\): the output is the input; nothing was written$ | | printf 'keep me' >"$work/k.txt" && tessa stream --alg arcfour --key 01 --file "$work/k.txt" --out "$work/./k.txt" ; s=$? ; [ "$(cat "$work/k.txt")" = 'keep me' ] && exit $s
1 | ^tessa stream: Duplicate data or filename \(DUP_ERROR\) | | printf 'keep me' >"$work/l.txt" && ln -s "$work/l.txt" "$work/l.lnk" && tessa stream --alg arcfour --key 01 --file "$work/l.txt" --out "$work/l.lnk" ; s=$? ; [ "$(cat "$work/l.txt")" = 'keep me' ] && exit $s
1 | ^tessa stream: Cannot open input file \(OPEN_ERROR\): .*/missing$ | | tessa stream --alg arcfour --key 01 --file "$work/missing" --out "$work/m.out"
1 | ^tessa stream: Invalid key length \(BAD_KEY_LEN_ERROR\): Salsa20 takes a 16- or 32-byte key | | tessa stream --alg salsa20 --key 0102 --iv 0001020304050607 --text a
1 | ^tessa stream: Invalid IV length \(BAD_IV_LEN_ERROR\): ChaCha20 takes | | tessa stream --alg chacha20 --key 000102030405060708090A0B0C0D0E0F --iv 00 --text a
2 | ^tessa stream: --counter must be a number from 0 to 4294967295: 4294967296 | | tessa stream --alg chacha20 --key 000102030405060708090A0B0C0D0E0F --iv 0001020304050607 --counter 4294967296 --text a
2 | ^tessa stream: with --file FILE give --out FILE and no other data | | tessa stream --alg arcfour --key 01 --file --text a
2 | ^tessa stream: --alg takes arcfour, pc1, salsa20 or chacha20, not aes | | tessa stream --alg aes --key 01 --text a
1 | ^tessa stream: cannot write to standard output: No space left on device$ | | tessa stream --alg arcfour --key 01 --text a >/dev/full
# The shared input and version options: --in FILE, --from FORM, standard
# input when no input is given, tessa --version.
0 | | ^Tessalib 6\.22\.[0-9]{2}$ | tessa --version
2 | ^tessa: --version takes no arguments$ | | tessa --version now
0 | | ^616263$ | printf abc | tessa hex
0 | | ^616263$ | tessa hex --in "$work/abc.txt"
0 | | ^YWJj$ | tessa b64 --in "$work/abc.txt"
0 | | ^ba7816bf.*  .*abc\.txt$ | tessa hash --in "$work/abc.txt"
0 | | ^ba7816bf[0-9a-f]{56}$ | printf abc | tessa hash
0 | | ^fd7adb152c05ef80 | printf abc | tessa mac --alg hmac-sha256 --key 00
0 | | ^fd7adb152c05ef80 | tessa mac --alg hmac-sha256 --key 00 --in "$work/abc.txt"
0 | | ^6BF668$ | printf abc | tessa encrypt --alg aes128 --mode ctr --key 000102030405060708090A0B0C0D0E0F --iv 000102030405060708090A0B0C0D0E0F
0 | | ^6BF668$ | printf 61:62:63 >"$work/abc.hex" && tessa encrypt --alg aes128 --mode ctr --key 000102030405060708090A0B0C0D0E0F --iv 000102030405060708090A0B0C0D0E0F --in "$work/abc.hex" --from hex
0 | | ^6BF668$ | printf 616263 >"$work/abc.hex" && tessa encrypt --alg aes128 --mode ctr --key 000102030405060708090A0B0C0D0E0F --iv 000102030405060708090A0B0C0D0E0F --in hex "$work/abc.hex"
0 | | ^abc$ | tessa encrypt --alg aes128 --mode ctr --key 000102030405060708090A0B0C0D0E0F --iv 000102030405060708090A0B0C0D0E0F --text abc --to raw | tessa decrypt --alg aes128 --mode ctr --key 000102030405060708090A0B0C0D0E0F --iv 000102030405060708090A0B0C0D0E0F --to text
2 | ^tessa encrypt: --from takes raw, hex or b64 | | tessa encrypt --alg aes128 --key 000102030405060708090A0B0C0D0E0F --in "$work/abc.txt" --from utf7
2 | ^tessa encrypt: give one of --text STRING, --hex HEX, --b64 TEXT, --in FILE | | tessa encrypt --alg aes128 --key 000102030405060708090A0B0C0D0E0F --in "$work/abc.txt" --text a
2 | ^tessa hex: give --text or a FILE, not both | | tessa hex --text a --in "$work/abc.txt"
2 | ^tessa mac: give one of --text, --hex, a FILE or - \(see | | tessa mac --alg hmac-sha1 --key 00 --in "$work/abc.txt" "$work/abc.txt"
1 | ^tessa decrypt: the data is not whole bytes of hex | | printf 616 | tessa decrypt --alg des --key 0123456789ABCDEF --from hex
# --to and --out on the digest commands.
0 | | ^ungWv48Bz\+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=$ | tessa hash --text abc --to b64
0 | | ^ok$ | tessa hash --in "$work/abc.txt" --to raw --out "$work/d.bin" && test $(wc -c <"$work/d.bin") -eq 32 && echo ok
0 | | ^ba7816bf[0-9a-f]{56}$ | tessa hash --text abc --out "$work/d.hex" && cat "$work/d.hex"
0 | | ^/XrbFSwF74Dcz1Ch\+kwF1aPsbalVdfwxKufF0JGDY1E=$ | tessa mac --alg hmac-sha256 --key 00 --text abc --to b64
0 | | ^7f9c2ba4e88f827d$ | tessa xof --alg shake128 --len 8 --text "" --to hex
0 | | ^ok$ | tessa xof --alg shake128 --len 8 --text "" --out "$work/x.bin" && test $(wc -c <"$work/x.bin") -eq 8 && echo ok
2 | ^tessa hash: --to and --out take one input | | tessa hash --to raw "$work/abc.txt" "$work/abc.txt"
2 | ^tessa mac: --to takes hex, b64 or raw | | tessa mac --alg hmac-sha256 --key 00 --text abc --to text
# A key or IV of the wrong size typed on the command line is bad usage, in
# every command that takes one.
2 | ^tessa encrypt: AES-128 needs a 16-byte key \(32 hex digits\), not 15 bytes \(see | | tessa encrypt --alg aes128 --key 000102030405060708090A0B0C0D0E --text data
2 | ^tessa decrypt: the IV of DES is 8 bytes \(16 hex digits\) \(see | | tessa decrypt --alg des --mode cbc --key 0123456789ABCDEF --iv 00 --hex 0011223344556677
# Successes, including values that look like options.
0 | | ^ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad$ | tessa hash --text abc
0 | | ^616263$ | tessa hex "$work/abc.txt"
0 | | ^2D2D616C67$ | tessa hex --text --alg
0 | | ^2D$ | cd "$work" && tessa hex -- --odd
0 | | ^-2147483648: unknown error code$ | tessa error -2147483648
0 | | ^-33: Invalid key length \(BAD_KEY_LEN_ERROR\)$ | tessa error -33
0 | | ^7f9c2ba4e88f827d616045507605853e$ | tessa xof --alg shake128 --len 16 --text ""
0 | | ^4B007901B765489ABEAD49D926F721D065A429C1$ | tessa derive pbkdf2 --prf sha1 --iter 4096 --password password --salt-text salt --len 20
# tessa pad and unpad: each padding, both block sizes, a bad padding, lengths.
0 | | ^6162630505050505$ | tessa pad --block 8 --text abc
0 | | ^61626380000000000000000000000000$ | tessa pad --pad oneandzeroes --text abc
0 | | ^6162630000000000000000000000000D$ | tessa pad --pad ansix923 --text abc
0 | | ^10101010101010101010101010101010$ | tessa pad --text ""
0 | | ^abc$ | tessa pad --pad ansix923 --block 8 --text abc --to raw | tessa unpad --pad ansix923 --block 8 --to text
0 | | ^abc$ | printf 61626380000000000000000000000000 >"$work/p.hex" && tessa unpad --pad oneandzeroes --in "$work/p.hex" --from hex --to text
0 | | ^abc$ | tessa unpad --pad w3c --block 8 --hex 6162630102030405 --to text
1 | ^tessa unpad: .*\(DECRYPT_ERROR\): the data does not end in that padding$ | | tessa unpad --block 8 --hex 6162630505050504
1 | ^tessa unpad: .*\(BAD_LENGTH_ERROR\): padded data is a whole number of blocks | | tessa unpad --block 8 --hex 616263
2 | ^tessa pad: --block takes 8 or 16, not 32 | | tessa pad --block 32 --text a
2 | ^tessa unpad: --pad takes pkcs5, oneandzeroes, ansix923 or w3c, not zero | | tessa unpad --pad zero --hex 00
1 | ^tessa pad: cannot write to standard output: No space left on device$ | | tessa pad --text a >/dev/full
# tessa stream --alg pc1 (PC1_Bytes, PC1_File): RFC 6229's first key, files.
0 | | ^B2396305F03DC027CCC3524A0A1118A8$ | tessa stream --alg pc1 --key 0102030405 --hex 00000000000000000000000000000000
0 | | ^same$ | printf 'pc1 file' >"$work/q.txt" && tessa stream --alg pc1 --key 0102 --file "$work/q.txt" --out "$work/q.enc" && tessa stream --alg arcfour --key 0102 --file "$work/q.enc" --out "$work/q.dec" && cmp -s "$work/q.txt" "$work/q.dec" && echo same
1 | ^tessa stream: Duplicate data or filename \(DUP_ERROR\): the output is the input | | printf 'keep me' >"$work/r.txt" && tessa stream --alg pc1 --key 01 --file "$work/r.txt" --out "$work/./r.txt" ; s=$? ; [ "$(cat "$work/r.txt")" = 'keep me' ] && exit $s
1 | ^tessa stream: Cannot open input file \(OPEN_ERROR\): .*/missing$ | | tessa stream --alg pc1 --key 01 --file "$work/missing" --out "$work/m.out"
2 | ^tessa stream: pc1 takes a key only | | tessa stream --alg pc1 --key 01 --iv 00 --text a
# The shared data options on wrap, unwrap and stream: --from, standard input.
0 | | ^1FA68B0A8112B447AEF34BD8FB5A7B829D3E862371D2CFE5$ | printf 00112233445566778899AABBCCDDEEFF >"$work/w.hex" && tessa wrap --alg aes128 --kek 000102030405060708090A0B0C0D0E0F --in "$work/w.hex" --from hex
0 | | ^ABEiM0RVZneImaq7zN3u/w==$ | printf H6aLCoEStEeu80vY+1p7gp0+hiNx0s/l | tessa unwrap --alg aes128 --kek 000102030405060708090A0B0C0D0E0F --from b64 --to b64
0 | | ^B2396305F03DC027CCC3524A0A1118A8$ | printf AAAAAAAAAAAAAAAAAAAAAA== | tessa stream --alg arcfour --key 0102030405 --from b64
2 | ^tessa stream: with --file FILE give --out FILE and no other data | | tessa stream --alg arcfour --key 01 --file "$work/abc.txt" --out "$work/f.out" --from hex
2 | ^tessa wrap: --from takes raw, hex or b64 | | tessa wrap --alg aes128 --kek 000102030405060708090A0B0C0D0E0F --in "$work/abc.txt" --from text
# tessa rand key and nonce: --to and --out.
0 | | ^[0-9A-F]{32}$ | tessa rand key 16
0 | | ^[A-Za-z0-9+/]{22}==$ | tessa rand nonce 16 --to b64
0 | | ^ok$ | tessa rand key 32 --out "$work/k.bin" && test $(wc -c <"$work/k.bin") -eq 32 && echo ok
0 | | ^ok$ | tessa rand nonce 12 --to hex --out "$work/n.hex" && grep -Eq '^[0-9A-F]{24}$' "$work/n.hex" && echo ok
2 | ^tessa rand: --to takes hex, b64 or raw | | tessa rand key 16 --to text
# tessa seal/open --alg gcm (GCM_Encrypt/GCM_Decrypt): the GCM paper's test
# cases 2 and 9 (AES-128 and AES-192), a shorter tag, a 60-byte nonce.
0 | | ^000000000000000000000000CD33B28AC773F74BA00ED1F312572435$ | tessa seal --alg gcm --key 000000000000000000000000000000000000000000000000 --nonce 000000000000000000000000 --text ""
0 | | ^0388DACE60B6A392F328C2B971B2FE78AB6E47D42CEC13BDF53A67B21257BDDF$ | tessa seal --alg gcm --no-prefix --key 00000000000000000000000000000000 --nonce 000000000000000000000000 --hex 00000000000000000000000000000000
0 | | ^0388DACE60B6A392F328C2B971B2FE78AB6E47D42CEC13BD$ | tessa seal --alg gcm --no-prefix --tag-len 8 --key 00000000000000000000000000000000 --nonce 000000000000000000000000 --hex 00000000000000000000000000000000
0 | | ^00000000000000000000000000000000$ | tessa open --alg gcm --no-prefix --tag-len 8 --key 00000000000000000000000000000000 --nonce 000000000000000000000000 --hex 0388DACE60B6A392F328C2B971B2FE78AB6E47D42CEC13BD
0 | | ^hello$ | n=$(printf '%0120d' 7) && tessa seal --alg gcm --key 0000000000000000000000000000000000000000000000000000000000000000 --nonce $n --aad hdr --text hello --to raw | tessa open --alg gcm --key 0000000000000000000000000000000000000000000000000000000000000000 --nonce-len 60 --aad hdr --to text
1 | ^tessa open: Authentication failed \(AUTH_FAIL_ERROR\): the data, key, nonce, tag length | | tessa open --alg gcm --no-prefix --tag-len 8 --key 00000000000000000000000000000000 --nonce 000000000000000000000000 --hex 0388DACE60B6A392F328C2B971B2FE78AB6E47D42CEC13BC
1 | ^tessa open: the data is shorter than a sealed message \(nonce and tag\)$ | | tessa open --alg gcm --key 00000000000000000000000000000000 --hex 00
2 | ^tessa seal: --tag-len takes 4 to 16, not 3 | | tessa seal --alg gcm --tag-len 3 --key 00000000000000000000000000000000 --nonce 00 --text a
2 | ^tessa seal: --key takes an AES key of 16, 24 or 32 bytes | | tessa seal --alg gcm --key 0000 --nonce 00 --text a
2 | ^tessa seal: --tag-len and --nonce-len go with --alg gcm | | tessa seal --alg aes128-gcm --tag-len 8 --key 00000000000000000000000000000000 --nonce 000000000000000000000000 --text a
2 | ^tessa seal: --nonce-len is for open | | tessa seal --alg gcm --nonce-len 8 --key 00000000000000000000000000000000 --nonce 00 --text a
# Files with the generic names (CIPHER_FileEncrypt/FileDecrypt): the file is
# what the in-memory command gives; a padding by name; the shared rules.
0 | | ^same$ | K=000102030405060708090A0B0C0D0E0F; tessa encrypt --alg aes128/cbc --key $K --iv $K --prefix-iv --file "$work/abc.txt" --out "$work/g.enc" && tessa encrypt --alg aes128/cbc --key $K --iv $K --prefix-iv --in "$work/abc.txt" --to raw --out "$work/g.mem" && cmp -s "$work/g.enc" "$work/g.mem" && echo same
0 | | ^abc$ | K=000102030405060708090A0B0C0D0E0F0001020304050607; tessa encrypt --alg tdea/ecb --pad ansix923 --key $K --file "$work/abc.txt" --out "$work/t.enc" && tessa decrypt --alg tdea/ecb/ansix923 --key $K --file "$work/t.enc" --out "$work/t.dec" && cat "$work/t.dec" && echo
1 | ^tessa decrypt: .*\(DECRYPT_ERROR\): wrong key or IV | | K=000102030405060708090A0B0C0D0E0F; tessa encrypt --alg aes128/cbc --key $K --iv $K --file "$work/abc.txt" --out "$work/h.enc" && tessa decrypt --alg aes128/cbc --key 00000000000000000000000000000000 --iv $K --file "$work/h.enc" --out "$work/h.dec"; s=$?; [ ! -e "$work/h.dec" ] && exit $s
1 | ^tessa encrypt: Duplicate data or filename \(DUP_ERROR\): the output is the input file$ | | tessa encrypt --alg aes128/ctr --key 000102030405060708090A0B0C0D0E0F --iv 000102030405060708090A0B0C0D0E0F --file "$work/abc.txt" --out "$work/./abc.txt"; s=$?; [ "$(cat "$work/abc.txt")" = abc ] && exit $s
2 | ^tessa encrypt: with --file FILE give --out FILE and no other data | | tessa encrypt --alg aes128/cbc --key 000102030405060708090A0B0C0D0E0F --iv 000102030405060708090A0B0C0D0E0F --file "$work/abc.txt" --out "$work/x" --from hex
# crc: a file by --in or by name through CRC_File, --from, an empty file.
0 | | ^352441C2$ | tessa crc --in "$work/abc.txt"
0 | | ^352441C2$ | printf 616263 >"$work/c.hex" && tessa crc --in "$work/c.hex" --from hex
0 | | ^00000000$ | : >"$work/empty" && tessa crc "$work/empty"
1 | ^tessa crc: Cannot open input file \(OPEN_ERROR\): .*/missing$ | | tessa crc --in "$work/missing"
# compress and decompress take the shared data options.
0 | | ^abc$ | tessa compress --method zstd --text abc --to b64 | tessa decompress --method zstd --from b64 --to text
# version and selftest take no arguments.
2 | ^tessa selftest: takes no arguments | | tessa selftest now
2 | ^tessa version: takes no arguments but --verbose | | tessa version 6
# The library in its failed state: its checks fail, every command refuses
# with exit status 1 and one line; the API_ answers (version) still work.
1 | ^tessa selftest: .*\(TEST_FAILED_ERROR\): the library must not be used$ | | [faults] tessa selftest
0 | | ^module: +/.*libtessalib_faults\.so | [faults] tessa version --verbose
1 | ^tessa hash: .*\(TEST_FAILED_ERROR\): the library failed its load-time checks | | [faults] tessa hash --text abc
1 | ^tessa rand: .*\(TEST_FAILED_ERROR\): the library failed its load-time checks | | [faults] tessa rand number 1 6
1 | ^tessa encrypt: .*\(TEST_FAILED_ERROR\): the library failed its load-time checks | | [faults] tessa encrypt --alg aes128/cbc --key 000102030405060708090A0B0C0D0E0F --iv 000102030405060708090A0B0C0D0E0F --text a
1 | ^tessa seal: .*\(TEST_FAILED_ERROR\): the library failed its load-time checks | | [faults] tessa seal --alg aes128-gcm --key 000102030405060708090A0B0C0D0E0F --nonce 000000000000000000000001 --text a
1 | ^tessa wrap: .*\(TEST_FAILED_ERROR\): the library failed its load-time checks | | [faults] tessa wrap --alg aes128 --kek 000102030405060708090A0B0C0D0E0F --hex 00112233445566778899AABBCCDDEEFF
1 | ^tessa pad: .*\(TEST_FAILED_ERROR\): the library failed its load-time checks | | [faults] tessa pad --text a
EOF
)

failures=0
left_out=()
while IFS= read -r line; do
    [[ -z $line || $line == \#* ]] && continue
    IFS='|' read -r want pattern stdout_pattern command <<<"$line"
    want=${want// /}
    pattern=$(sed -E 's/^ +| +$//g' <<<"$pattern")
    stdout_pattern=$(sed -E 's/^ +| +$//g' <<<"$stdout_pattern")
    command=$(sed -E 's/^ +| +$//g' <<<"$command")
    setup=:
    if [[ $command == '[memory] '* ]]; then
        command=${command#'[memory] '}
        if ((memory_cases == 0)); then
            left_out+=("$command")
            continue
        fi
        setup=limit_memory
    elif [[ $command == '[faults] '* ]]; then
        command=${command#'[faults] '}
        if ((faults_cases == 0)); then
            left_out+=("$command (no TESSALIB_FAULTS_PATH)")
            continue
        fi
        setup=with_failed_library
    fi
    (
        $setup
        eval "$command"
    ) </dev/null >"$work/out" 2>"$work/err"
    got=$?
    errs=$(wc -l <"$work/err")
    problem=""
    if [[ $got != "$want" ]]; then
        problem="exit status $got, want $want"
    elif ((want != 0)) && ((errs != 1)); then
        problem="$errs lines on standard error, want exactly one"
    elif ((want != 0)) && ! grep -Eq -- "$pattern" "$work/err"; then
        problem="standard error does not match /$pattern/"
    elif ((want == 0)) && [[ -s $work/err ]]; then
        problem="a success wrote to standard error"
    elif ((want == 0)) && ! grep -Eq -- "$stdout_pattern" "$work/out"; then
        problem="standard output does not match /$stdout_pattern/"
    fi
    if [[ -n $problem ]]; then
        failures=$((failures + 1))
        echo "FAIL: $command"
        echo "      $problem"
        sed 's/^/      stderr: /' "$work/err" | head -n 5
        head -c 300 "$work/out" | sed 's/^/      stdout: /'
    fi
done <<<"$cases"

if ((${#left_out[@]} > 0)); then
    echo "not run here (no memory limit under AddressSanitizer, or no test build of the library):"
    printf '  %s\n' "${left_out[@]}"
fi
if ((failures > 0)); then
    echo "tessa_cli_test: $failures cases failed"
    exit 1
fi
echo "tessa_cli_test: every case passed"
