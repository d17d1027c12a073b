#!/bin/bash
# Copied into a mailer home folder as "SendEmail.exe": Wine starts it as a Unix program, and
# Debian's sendemail does the work. The log file comes as a Windows path and is turned into
# the Unix path of the same file.
args=()
while [ $# -gt 0 ]; do
  args+=("$1")
  if [ "$1" = "-l" ] && [ $# -gt 1 ]; then
    shift
    args+=("$(winepath -u "$1" 2>/dev/null)")
  fi
  shift
done
exec /usr/bin/sendemail "${args[@]}"
