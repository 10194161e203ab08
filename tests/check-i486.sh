#!/usr/bin/env bash
# Whether 32-bit exes run on an i486: they hold no instruction that
# processor lacks (cmov, fcmov, fcomi, the long nops, MMX, SSE, cpuid,
# rdtsc, cmpxchg8b, ...). The linker map beside an exe (its name with .map)
# names the function and the object each finding sits in, and keeps the
# data the linker puts after the code (exception tables) from being read
# as instructions.
#
#   tests/check-i486.sh [--probe PROBE.exe] EXE...
#
# Prints every finding, not just the first; exits 1 if there is any. With
# --probe, an exe built for the Pentium Pro around a cmov in LargerOf, the
# check is also shown to refuse what it must refuse.
set -euo pipefail
here=$(dirname "$0")
probe=""
if [ "${1:-}" = --probe ]; then
  probe=$2
  shift 2
fi

# Pentium and later: cpuid may not exist on a 486, rdtsc, rdmsr, wrmsr,
# rsm and cmpxchg8b came with the Pentium, the rest later. ud2 is left
# alone: it exists to raise the invalid-opcode fault, which a 486 raises
# too. Any MMX or SSE register operand counts as well.
newer='^(cmov[a-z]*|fcmov[a-z]*|f(u)?comip?|cpuid|rdtscp?|rdmsr|wrmsr|rdpmc|rsm|cmpxchg(8|16)b|sys(enter|exit|call|ret)|emms|femms|fxsave|fxrstor|[lsm]fence|clflush|prefetch[a-z0-9]*|movnti|fisttp[a-z]*|popcnt|lzcnt|tzcnt|movbe|crc32[a-z]*|rdrand|rdseed|xgetbv|xsave[a-z]*|xrstor[a-z]*|endbr(32|64)|nop[lw]|ud1|[(]bad[)])$'

# map_code MAP: the code of the image, from the linker map's .text:
# "S START END SECTION OBJECT" for each input section of code and
# "Y ADDRESS NAME" for each symbol, addresses in decimal.
map_code() {
  awk '
    function hex(s,   i, v) {
      s = tolower(s); sub(/^0x/, "", s); v = 0
      for (i = 1; i <= length(s); i++) v = v * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
      return v
    }
    function code(address, size, object) {
      sub(/.*\//, "", object)
      if (pending ~ /^\.(text|init)/ && hex(size) > 0)
        printf "S %d %d %s %s\n", hex(address), hex(address) + hex(size), pending, object
      pending = ""
    }
    /^\.text[ \t]/ { inside = 1; next }
    /^[^ \t]/ { inside = 0 }
    !inside { next }
    { n = split($0, f, /[ \t]+/) }
    # " .text$name 0xADDRESS 0xSIZE object", the name alone on its line when long.
    /^ [^ *]/ { pending = f[2]; if (n >= 5) code(f[3], f[4], f[5]); next }
    /^ \*/ { pending = ""; next }
    pending != "" && f[3] ~ /^0x/ && n >= 4 { code(f[2], f[3], f[4]); next }
    f[2] ~ /^0x/ && f[3] !~ /^0x/ && !/ = / {
      name = $0; sub(/^[ \t]+0x[0-9a-fA-F]+[ \t]+/, "", name)
      printf "Y %d %s\n", hex(f[2]), name
    }' "$1"
}

# check_exe EXE: prints "EXE: MNEMONIC at ADDRESS in FUNCTION (OBJECT)" for
# each finding.
check_exe() {
  local exe=$1 map="${1%.*}.map" code="" range=()
  if [ -f "$map" ]; then
    code=$(map_code "$map")
    # What lies after the last code is data.
    range=($(awk '$1 == "S" { if (first == "" || $2 < first) first = $2; if ($3 > last) last = $3 }
      END { if (first != "") printf "--start-address=%d --stop-address=%d", first, last }' <<<"$code"))
  fi
  i686-w64-mingw32-objdump -d --no-show-raw-insn -j .text "${range[@]}" "$exe" |
    awk -F'\t' -v newer="$newer" -v exe="$(basename "$exe")" -v code="$code" '
      function hex(s,   i, v) {
        s = tolower(s); v = 0
        for (i = 1; i <= length(s); i++) v = v * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
        return v
      }
      BEGIN {
        lines = split(code, line, "\n")
        for (i = 1; i <= lines; i++) {
          split(line[i], f, " ")
          if (f[1] == "S") { nsec++; secstart[nsec] = f[2] + 0; secend[nsec] = f[3] + 0; secname[nsec] = f[4]; secobj[nsec] = f[5] }
          else if (f[1] == "Y") { nsym++; symaddr[nsym] = f[2] + 0; name = line[i]; sub(/^Y [0-9]+ /, "", name); symname[nsym] = name }
        }
      }
      # "  401000:\tmnemonic operands", after any prefixes.
      $1 ~ /^ *[0-9a-f]+:$/ && NF >= 2 {
        split($2, word, " ")
        w = 1
        while (word[w] ~ /^(lock|rep|repz|repnz|repe|repne|data16|addr16|cs|ds|es|fs|gs|ss)$/) w++
        if (word[w] !~ newer && $2 !~ /%[xyz]?mm[0-9]/) next
        a = $1; gsub(/[ :]/, "", a); address = hex(a)
        where = nsec ? "" : " (no linker map beside the exe)"
        for (i = 1; i <= nsec; i++) {
          if (address < secstart[i] || address >= secend[i]) continue
          best = 0
          for (j = 1; j <= nsym; j++)
            if (symaddr[j] <= address && symaddr[j] >= secstart[i] && (best == 0 || symaddr[j] > symaddr[best])) best = j
          name = best ? symname[best] : secname[i] ~ /^\.text\$/ ? substr(secname[i], 7) : "a static function"
          where = " in " name " (" secobj[i] ")"
        }
        if (where == "") next  # padding between sections of code
        printf "%s: %s at 0x%s%s\n", exe, word[w], a, where
      }'
}

failed=0
for exe in "$@"; do
  said=$(check_exe "$exe")
  if [ -n "$said" ]; then
    echo "$said"
    failed=1
  else
    echo "$(basename "$exe"): no instruction newer than the i486"
  fi
done

if [ -n "$probe" ]; then
  said=$(check_exe "$probe")
  for message in "cmov" "in LargerOf(int, int) (NewerProcessor.cpp.obj)"; do
    if ! grep -qF "$message" <<<"$said"; then
      echo "for an exe built for the Pentium Pro the check did not say \"$message\":"
      echo "${said:-(nothing)}"
      exit 1
    fi
  done
  echo "the instruction check refuses a cmov and names its function"
fi
exit $failed
