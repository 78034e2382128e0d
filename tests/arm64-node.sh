#!/usr/bin/env bash
# Debian's Node for arm64, with the libraries it links, unpacked into a
# folder of its own (FOLDER/root), to run the module as an ARM device's
# browser does, under qemu-user: it cannot be installed beside the machine's
# own Node. apt fetches the packages with a state of its own in FOLDER, so
# the machine's package lists and architectures are left as they are.
# Usage: arm64-node.sh FOLDER   (then: qemu-aarch64 -L FOLDER/root FOLDER/root/usr/bin/node ...)
set -euo pipefail
folder=$(realpath -m "$1")
[ -x "$folder/root/usr/bin/node" ] && exit 0
mkdir -p "$folder/state/lists/partial" "$folder/cache/archives/partial" "$folder/debs" "$folder/root"
apt=(-o Dir::State="$folder/state" -o Dir::Cache="$folder/cache" -o Dir::State::status=/dev/null
     -o APT::Architecture=arm64 -o APT::Architectures::=arm64 -o Debug::NoLocking=1)
apt-get "${apt[@]}" update -qq
# nodejs and what it depends on, the C library among them; the node-*
# packages hold the parts of Node that Debian ships apart.
packages=(nodejs libnode108 libbrotli1 libc-ares2 libc6 libicu72 libnghttp2-14 libssl3 libstdc++6
          libgcc-s1 libuv1 zlib1g node-acorn node-cjs-module-lexer node-undici)
# As root, apt warns that it downloads unsandboxed: the warning is kept in
# a log, and shown only if the download fails.
(cd "$folder/debs" && apt-get "${apt[@]}" download -qq "${packages[@]}" 2>"$folder/download.log") ||
  { cat "$folder/download.log"; exit 1; }
for package in "$folder"/debs/*.deb; do dpkg-deb -x "$package" "$folder/root"; done
[ -x "$folder/root/usr/bin/node" ] || { echo "arm64 Node was not unpacked into $folder/root"; exit 1; }
