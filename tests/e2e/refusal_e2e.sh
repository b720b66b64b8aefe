#!/usr/bin/env bash
# A command line with only two "*" is refused: the one window is the message titled with the
# application's title, it shows something, the program waits for it, nothing is fetched, and
# Return ends the program normally. Then, started with no argument while the language setting
# names a file that is not there, the program still loads the language first: its message
# shows, and the program ends quietly without a window. The setting is written and deleted
# with the platform's registry tool (larkspan-reg on Linux).
# shellcheck source=tests/e2e/lib.sh disable=SC2119
source "$(dirname "$0")/lib.sh"

start_demo
start_updater "Vantrel*3.1*0101000"
message=$(wait_window "Quillmere")
sleep 2 # the update window would open within 200 ms of the start
names=$(timeout 5 xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null || true)
[ "$names" = "Quillmere - Larkspan" ] || fail "the windows shown are: $names"
shot "$message" "$SHOTS/refusal.png"
if area_flat "$SHOTS/refusal.png" 100x40+0+0; then fail "the message shows nothing"; fi
updater_running || fail "the program did not wait for the message"
send "$message" key Return
expect_clean_exit "Return ends the program"
if grep -q vantrel "$WORK/demo.log"; then fail "a refused command line still fetched"; fi

# Vantrel's language setting, as a literal: a typo in the program's own key path shows here.
LANGUAGE_KEY='HKCU\Software\Quillmere\Vantrel 2009\{KTD270391-KLP0198273645-KPID3917264-MTD090471-MLP0178264519-MPID3926618}'
on_exit=("${REG[@]}" delete "$LANGUAGE_KEY" /f) # a Wine prefix serves the other tests too
# (Wine's reg.exe on a busy machine now and then fails a first write: it is asked again.)
wait_for 10 "the language setting written" \
  eval '"${REG[@]}" add "$LANGUAGE_KEY" /v "Default Language" /d Missing.lng /f &>/dev/null'
start_updater
send "$(wait_window "Quillmere - Larkspan")" key Return
expect_clean_exit "the quiet end after the language's message"
# The key above the setting deleted, in any letter case, with its subkeys: no setting, no message.
"${REG[@]}" delete 'hkcu\software\quillmere' /f >/dev/null 2>&1 || fail "could not delete the key"
start_updater
expect_clean_exit "the quiet end without the setting"
