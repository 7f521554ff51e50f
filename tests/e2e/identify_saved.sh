#!/usr/bin/env bash
# Reads the files the Save As end-to-end test kept with ImageMagick's
# identify: the progressive JPEG of quality 40, the interlaced GIF and the
# 4-bit BMP, each as the dialog asked.
#   tests/e2e/identify_saved.sh FOLDER
set -euo pipefail
folder=$1
status=0
check() { # file identify-format expected
  local got
  got=$(identify -format "$2" "$folder/$1" 2>&1) || true
  if [ "$got" = "$3" ]; then
    echo "ok   $1: $got"
  else
    echo "FAIL $1: identify says '$got', expected '$3'"
    status=1
  fi
}
check prog.jpg '%m quality %Q, interlace %[interlace]' "JPEG quality 40, interlace JPEG"
check prog.gif '%m interlace %[interlace]' "GIF interlace GIF"
check deep.bmp '%m depth %z' "BMP3 depth 4"
exit $status
