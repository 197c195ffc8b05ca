# Sourced by the render scripts: svg_size FILE prints "WIDTH HEIGHT", the integer width and
# height attributes of the SVG's root element, which is the pixel size it is drawn at.
svg_size() {
  local w h
  w=$(grep -o -m1 '<svg[^>]*' "$1" | grep -o ' width="[0-9]*"' | grep -o '[0-9]*')
  h=$(grep -o -m1 '<svg[^>]*' "$1" | grep -o ' height="[0-9]*"' | grep -o '[0-9]*')
  [ -n "$w" ] && [ -n "$h" ] || { echo "$1: root element needs integer width and height" >&2; exit 1; }
  echo "$w $h"
}
