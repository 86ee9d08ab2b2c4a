#!/usr/bin/env bash
# Makes 32-bit x86 Linux programs (32-bit Wine) runnable: where the kernel cannot run them
# itself, registers qemu-i386 as their interpreter through binfmt_misc (needs root, once per
# boot). Exits 0 when 32-bit programs run afterwards, else 1 after saying why in one line.
set -u
probe=/usr/lib/wine/wine  # a 32-bit x86 program from wine32

runs() { "$probe" --version >/dev/null 2>&1; }

if [ ! -x "$probe" ]; then
  echo "NOTE: 32-bit Wine ($probe) is not installed"
  exit 1
fi
runs && exit 0

binfmt=/proc/sys/fs/binfmt_misc
if [ ! -e "$binfmt/register" ]; then
  mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null
fi
if [ ! -e "$binfmt/qemu-i386" ]; then
  # The standard registration of i386 ELF executables with qemu-i386.
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:' \
    >"$binfmt/register" 2>/dev/null
fi
if runs; then
  exit 0
fi
echo "NOTE: this machine runs no 32-bit x86 programs and refused to register qemu-i386 for them (needs root and binfmt_misc)"
exit 1
