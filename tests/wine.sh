#!/usr/bin/env bash
# Wine for the tests: a Windows prefix of this build's own, served by one
# wineserver from the first test to the last. Left to itself, the server shuts
# down a few seconds after the last program ends, and a program that starts
# as it does so can lose its connection ("wine client error:0: recvmsg:
# Connection reset by peer") and fail a test it did nothing to fail.
# Usage: WINEPREFIX=FOLDER wine.sh start WINESERVER WINE
#        WINEPREFIX=FOLDER wine.sh stop WINESERVER
set -eu
server=$2
# Ends the server, if one is up, and waits until it has gone.
end_server() { if "$server" -k 2>/dev/null; then "$server" -w; fi; }
case $1 in
  start)
    mkdir -p "$WINEPREFIX"
    # A server still up from a run that was cut short goes first.
    end_server
    # The server, and the programs that the first start leaves running, keep
    # the output they were started with open: that is a log, not this
    # script's output, which the test runner waits to see closed.
    log=$WINEPREFIX/wine.log
    "$server" -p </dev/null >"$log" 2>&1 || { cat "$log"; exit 1; }
    # The first start takes seconds and writes setup messages, which no
    # test's standard error may see.
    WINEDLLOVERRIDES=mscoree,mshtml= "$3" wineboot --init </dev/null >>"$log" 2>&1 ||
      { cat "$log"; exit 1; }
    ;;
  stop)
    end_server
    ;;
  *) exit 2 ;;
esac
