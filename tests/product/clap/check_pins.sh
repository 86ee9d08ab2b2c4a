#!/usr/bin/env bash
# Compiles the CLAP records for every target whose layout they pin, with clang's cross
# targets and no C++ library (the records need only the C types): x86_64 Linux and Windows,
# i686 Linux, i686 Windows (MinGW and MSVC). The builds cover only some of these; a wrong pin
# fails here for the others.
#   check_pins.sh CLANG SOURCE_DIR
set -eu
clang=$1 root=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/include"
printf '#pragma once\n#include <stddef.h>\nnamespace std { using ::size_t; }\n' >"$work/include/cstddef"
printf '#pragma once\n#include <stdint.h>\n' >"$work/include/cstdint"
printf '#include "product/clap/clap_extensions.h"\n' >"$work/records.cpp"
fail=0
for target in x86_64-linux-gnu x86_64-pc-windows-msvc i686-linux-gnu i686-w64-windows-gnu \
              i686-pc-windows-msvc; do
  if "$clang" -target "$target" -std=c++20 -ffreestanding -nostdinc++ -I"$work/include" \
       -I"$root" -fsyntax-only "$work/records.cpp"; then
    echo "pinned layout holds: $target"
  else
    echo "FAIL: $target"; fail=1
  fi
done
exit $fail
