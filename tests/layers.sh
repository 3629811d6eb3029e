#!/usr/bin/env bash
# The layers include downward only: base/ is the ground and includes nothing else of the
# program, and only the main window itself and the start-up above it include the main
# window's headers (side windows get what they need through document/ state or a small
# interface). Prints each include that runs the wrong way and fails when there is one.
set -u
root="${1:-$(dirname "$0")/..}"
cd "$root" || exit 2
bad=0
while IFS= read -r hit; do
  echo "base/ reaches outside base/: $hit"
  bad=1
done < <(grep -rn --include='*.cpp' --include='*.h' '^#include "' base | grep -v '#include "base/')
while IFS= read -r hit; do
  echo "a main window header is included from below it: $hit"
  bad=1
done < <(grep -rn --include='*.cpp' --include='*.h' '^#include "mainwindow/' \
           base language platform document formats waveform dialogs tools)
if [ "$bad" -eq 0 ]; then echo "layers in order"; fi
exit "$bad"
