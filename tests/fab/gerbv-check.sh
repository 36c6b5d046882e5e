#!/usr/bin/env bash
# The example's exports as a real viewer reads them: gerbv, given only the files of the export's zip, must draw
# each plot exactly as the hand-drawn RS-274-X of the RS-274-D plot with its PCB.DFN apertures, draw the
# outline, and read from the plated and unplated drill files together the holes and diameters the NC1 and
# PCB.DFN give.
# Usage: gerbv-check.sh FLASHKIT_CLI SOURCE_DIR. Exit 77 (skipped) when gerbv is not installed.
set -euo pipefail
cli=$1
source=$2
if ! command -v gerbv >/dev/null; then
  echo "SKIPPED: gerbv is not installed (scripts/setup installs it from Debian)" >&2
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/prog" "$work/in" "$work/out"
find "$source/examples/fab" -maxdepth 1 -type f -exec cp {} "$work/in/" \;
if ! "$cli" fabexport --program-dir "$work/prog" --base BOARD --input-path "$work/in" --dfn-path "$work/in" \
  --output-path "$work/out" --pick "$work/in/TOP.GBR ,PLANE.GBR ,OUTLINE.GBR" >"$work/log" 2>&1; then
  cat "$work/log" >&2
  exit 1
fi
mkdir "$work/zip"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
  "$work/out/BOARD-fab.zip" "$work/zip"

# The board's area at 600 dots per inch, white on black, without antialiasing.
render() { gerbv -x png -D 600 -O 0x0 -W 1.5x1.0 -b '#000000' -f '#FFFFFFFF' -o "$2" "$1"; }
# A plot that draws nothing: an image equal to it would mean the comparison compared nothing.
printf '%%FSLAX23Y23*%%\r\n%%MOIN*%%\r\n%%ADD10C,0.01*%%\r\nM02*\r\n' >"$work/empty.gbr"
render "$work/empty.gbr" "$work/empty.png"
status=0
for pair in GTL:TOP GBL:PLANE; do
  file=BOARD.${pair%%:*} plot=${pair#*:}
  render "$work/zip/$file" "$work/$plot-export.png"
  render "$source/tests/fab/$plot-drawn.gbr" "$work/$plot-drawn.png"
  if cmp -s "$work/$plot-export.png" "$work/empty.png"; then
    echo "FAIL: gerbv draws nothing of $file" >&2
    status=1
  elif ! cmp -s "$work/$plot-export.png" "$work/$plot-drawn.png"; then
    echo "FAIL: gerbv draws $file unlike $plot-drawn.gbr" >&2
    status=1
  fi
done
render "$work/zip/BOARD.GKO" "$work/outline.png"
if cmp -s "$work/outline.png" "$work/empty.png"; then
  echo "FAIL: gerbv draws nothing of BOARD.GKO" >&2
  status=1
fi
# gerbv writes the holes it read in its own Excellon: tools renumbered from T10, positions in 2.4.
gerbv -x drill -o "$work/holes.drl" "$work/zip/BOARD-PTH.drl" "$work/zip/BOARD-NPTH.drl"
if ! diff "$source/tests/fab/BOARD-holes-read.drl" "$work/holes.drl" >&2; then
  echo "FAIL: gerbv reads other holes or diameters from BOARD-PTH.drl and BOARD-NPTH.drl" >&2
  status=1
fi
[ $status -eq 0 ] && echo "gerbv draws the zip's plots as drawn by hand, draws the outline and reads the 5 holes of 3 tools"
exit $status
