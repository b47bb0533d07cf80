#!/bin/sh
# Only the platform layer touches the operating system: no file of the layers
# above it includes a Windows or POSIX header. (Upward includes between the
# layers do not build at all: each layer compiles against a view of its own
# headers and those below it.)
#   check_system_headers.sh SOURCE_ROOT
root=${1:?usage: check_system_headers.sh SOURCE_ROOT}
found=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(windows|winternl|commctrl|tlhelp32|oleauto|unistd|dirent|fcntl|fnmatch|signal|sys/[a-z_]+)\.h>' \
  "$root/src/model" "$root/src/config" "$root/src/backups" "$root/src/dialog" "$root/src/install" \
  "$root/src/app")
if [ -n "$found" ]; then
  echo "system headers above the platform layer:"
  echo "$found"
  exit 1
fi
echo "no system header above the platform layer"
