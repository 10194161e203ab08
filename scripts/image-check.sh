# The one check of a floppy image's files, for scripts/check-images.sh and
# the tests: source it. mtools reads the image, so the check does not share
# the writer's rules.

# image_differences IMG SOURCE_DIR NAME|PATH...: IMG must hold exactly the
# files NAME, in its root, each with the bytes of SOURCE_DIR/PATH (either
# slash) and its modification time to FAT's two seconds. Prints one line
# per difference; prints nothing when the image holds exactly these.
image_differences() {
  local img=$1 source=$2 back pair name src got delta
  shift 2
  if ! mdir -i "$img" :: >/dev/null 2>&1; then
    echo "$(basename "$img") cannot be read"
    return
  fi
  back=$(mktemp -d)
  # An empty root has nothing to copy, and mcopy calls that a failure.
  mcopy -i "$img" -m -n '::/*' "$back/" 2>/dev/null || true
  local -A wanted=()
  for pair in "$@"; do
    name=${pair%%|*} src="$source/${pair#*|}"
    src=${src//\\//}
    wanted[$name]=1
    got="$back/$name"
    if [ ! -f "$got" ]; then
      echo "$name is not in $(basename "$img")"
    elif ! cmp -s "$src" "$got"; then
      echo "$name differs from $src"
    else
      delta=$(($(stat -c %Y "$src") - $(stat -c %Y "$got")))
      [ "${delta#-}" -le 2 ] || echo "$name has the time $(stat -c %y "$got"), its source $(stat -c %y "$src")"
    fi
  done
  for got in "$back"/*; do
    [ -e "$got" ] || continue
    [ -n "${wanted[$(basename "$got")]+x}" ] || echo "$(basename "$img") holds $(basename "$got"), which it should not"
  done
  rm -rf "$back"
}
