#!/bin/sh
# Runs the desktop's own checkers on the launcher and the AppStream file.
# Offline: appstreamcli would otherwise try to fetch the addresses it names.
set -e
desktop="$1"
metainfo="$2"
for tool in desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is missing: run scripts/install-deps.sh" >&2
    exit 1
  fi
done
desktop-file-validate "$desktop"
appstreamcli validate --no-net "$metainfo"
