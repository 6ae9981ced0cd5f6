#!/usr/bin/env bash
# Renders the pictures of docs/architecture/ (*.dot) into the SVG files that are
# committed beside them; rooms.dot is first made anew from the sources' includes. Needs Graphviz's dot (Debian: graphviz) and the
# Chinese font the program's packages bring (fonts-wqy-microhei).
set -euo pipefail
"$(dirname "$0")/rooms-graph.py"
cd "$(dirname "$0")/../docs/architecture"
for source in *.dot; do
  dot -Tsvg "$source" -o "${source%.dot}.svg"
done
