#!/usr/bin/env bash
# Starts the program under Xvfb with accessibility on and prints what a screen reader
# sees through AT-SPI: the main window's cells, status labels, history and status bar.
# Usage: tools/a11y-check.sh [path/to/numbalo]
set -euo pipefail
program=$(readlink -f "${1:-build/numbalo}")
export XDG_RUNTIME_DIR=$(mktemp -d); chmod 700 "$XDG_RUNTIME_DIR"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" dbus-run-session -- bash -c '
  /usr/libexec/at-spi-bus-launcher --launch-immediately & sleep 1
  "$0" & app=$!
  sleep 4
  /usr/bin/python3 - <<"PY"
import pyatspi
desktop = pyatspi.Registry.getDesktop(0)
apps = [a for a in desktop if a and a.name == "numbalo"]
assert apps, "the program is not on the accessibility bus"
seen = []
def walk(node, depth=0):
    for child in node:
        if child is None:
            continue
        name = child.name or ""
        if any(name.startswith(p) for p in ("Sheet 1 1行", "Sheet 8 5行5列", "Sheet 1 の状態", "番号の履歴 1", "呼び出す番号")) \
           or name in ("編集モード",):
            seen.append(f"{child.getRoleName()}: {name}")
        walk(child, depth + 1)
walk(apps[0])
print("\n".join(seen))
print(f"{len(seen)} accessible objects matched")
PY
  kill $app' "$program"
