#!/bin/bash
# Started under Wine by SendEmail.exe (send_email.cpp, beside it in the mailer home folder):
# runs Debian's sendemail with the arguments in the job file $1 (each ended by a NUL), leaves
# this script's pid in $1.pid and sendemail's exit status in $1.status, each in one step. A
# Windows program cannot wait for a Unix process under Wine, and one that is terminated takes
# none with it: $1.lease goes when SendEmail.exe ends, and sendemail is ended then too.
set -u
job=$1
echo $$ >"$job.pid.new" && mv -f "$job.pid.new" "$job.pid"
gone() {
  rm -f "$job" "$job.pid"
  exit 1
}
[ -e "$job.lease" ] || gone
mapfile -d '' -t args <"$job"

/usr/bin/sendemail "${args[@]}" &
mailer=$!
while kill -0 "$mailer" 2>/dev/null; do
  if [ ! -e "$job.lease" ]; then
    kill -TERM "$mailer" 2>/dev/null
    for _ in 1 2 3 4 5; do kill -0 "$mailer" 2>/dev/null && sleep 0.1; done
    kill -KILL "$mailer" 2>/dev/null
    gone
  fi
  sleep 0.05
done
wait "$mailer"
status=$?
[ -e "$job.lease" ] || gone  # ended with SendEmail.exe: no one reads the status
echo "$status" >"$job.status.new" && mv -f "$job.status.new" "$job.status"
