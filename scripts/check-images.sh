#!/usr/bin/env bash
# check-images.sh PACKAGE_LIST SOURCE_DIR IMAGES_DIR
#
# The demonstration's verdict: IMAGES_DIR holds one floppy image per disk of
# PACKAGE_LIST, named after the disk's label ("Disk 1 - Corvela.img"), and
# nothing else; each image holds exactly its disk's files under their base
# names (a later entry of the same name wins, as on a real floppy), byte for
# byte as in SOURCE_DIR, with the source's modification time to FAT's two
# seconds. Says what differs and exits 1 otherwise.
set -euo pipefail
list=$1 source=$2 images=$3

# "section<TAB>key<TAB>value" for each line of the INI file, names in lower case.
ini() {
  tr -d '\r' <"$list" | awk '
    /^[ \t]*\[/ { s = $0; sub(/^[ \t]*\[/, "", s); sub(/\].*$/, "", s); s = tolower(s); next }
    /=/ { k = $0; sub(/=.*$/, "", k); gsub(/^[ \t]+|[ \t]+$/, "", k)
          v = $0; sub(/^[^=]*=/, "", v); gsub(/^[ \t]+|[ \t]+$/, "", v)
          if (!((s SUBSEP tolower(k)) in seen)) { seen[s SUBSEP tolower(k)] = 1; print s "\t" tolower(k) "\t" v } }'
}
value() { ini | awk -F'\t' -v s="$1" -v k="$2" '$1 == s && $2 == k { print $3; exit }'; }

fail=0
problem() { echo "check-images: $*" >&2; fail=1; }

name=$(value global name)
disks=$(value disks number)
[ -n "$name" ] && [ "${disks:-0}" -ge 1 ] 2>/dev/null || { problem "cannot read $list"; exit 1; }

source "$(dirname "$0")/image-check.sh"
expected_images=()
for ((k = 0; k < disks; k++)); do
  label="Disk $((k + 1)) - $name"
  img="$images/${label//\//_}.img"
  expected_images+=("$(basename "$img")")
  [ -f "$img" ] || { problem "no image for $label"; continue; }
  files=$(value "disk$k" files)
  # A later entry of a name replaces the earlier, as on the floppy.
  declare -A want=()
  for ((j = 0; j < files; j++)); do
    entry=$(value "disk$k" "file$j")
    want["${entry##*[\\/]}"]=$entry
  done
  pairs=()
  for base in "${!want[@]}"; do pairs+=("$base|${want[$base]}"); done
  while IFS= read -r difference; do
    [ -z "$difference" ] || problem "$label: $difference"
  done < <(image_differences "$img" "$source" "${pairs[@]}")
  unset want
done
for img in "$images"/*; do
  [ -e "$img" ] || continue
  printf '%s\n' "${expected_images[@]}" | grep -qxF "$(basename "$img")" ||
    problem "$(basename "$img") is not an image of this package"
done
[ $fail -eq 0 ] && echo "check-images: all $disks images hold exactly the package's files" >&2
exit $fail
