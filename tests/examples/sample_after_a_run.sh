#!/bin/sh
# Runs the sample-reading tests on a copy of examples/raft holding a run's
# output.  Usage: sample_after_a_run.sh <source folder> <test program> ...
set -eu
source=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sample=$work/raft
cp -R "$source/examples/raft" "$sample"
for f in "$sample"/RAFT.*; do
  cp "$f" "$sample/RAFT_Adaptive.${f##*.}"
done
printf '1,1,0,0,0,0,0,0\r\n' >"$sample/RAFT.GH1"
status=0
for program in "$@"; do
  OH_SAMPLE_SOURCE=$sample QT_QPA_PLATFORM=offscreen "$program" --gtest_brief=1 || status=1
done
exit $status
