#!/bin/bash
# Lays out a stand-in Java runtime from the built binaries, for runs of a
# packed launcher outside the test programs (the demo, the release check):
#   lay-out.sh <stand-in bin dir> <home> [<version line>]
# gives <home>\bin\java.exe and jli.dll, <home>\bin\client\jvm.dll and
# <home>\bin\server\jvm.dll, and <home>\standin\version.txt with the line
# "java -version" answers (default: a Java 11).
set -euo pipefail
bin=${1:?usage: lay-out.sh <stand-in bin dir> <home> [<version line>]}
home=${2:?usage: lay-out.sh <stand-in bin dir> <home> [<version line>]}
version=${3:-'openjdk version "11.0.2" 2019-01-15'}
mkdir -p "$home/bin/client" "$home/bin/server" "$home/standin"
cp "$bin/java.exe" "$bin/jli.dll" "$home/bin/"
cp "$bin/jvm.dll" "$home/bin/client/"
cp "$bin/jvm.dll" "$home/bin/server/"
printf '%s\n' "$version" >"$home/standin/version.txt"
