# Sourced by the desktop tests: ends a program and times its end against a
# bound that grows with how busy the machine was meanwhile, as the tests'
# StepTimer does. While the program ends, its threads and those of its child
# processes (the web engine's) are read from the kernel's counts: the time
# they ran and the time they stood ready while no processor was free. Their
# ratio, (ran + stood ready) / ran, is 1 on a quiet machine and about 2 with
# twice as many runnable jobs as cores; a program that waits idle (on a lock,
# a thread, a file) adds to neither, so its wait still breaks the bound.

# "ran ready" in nanoseconds, summed over the threads of $1 and of its child
# processes, in _counts (read by the shell itself: the polls must cost little
# on a busy machine).
_process_counts() {
  local pids=("$1") p f line ran=0 ready=0 a b
  for f in /proc/"$1"/task/*/children; do
    read -r -a line 2>/dev/null <"$f" && pids+=("${line[@]}")
  done
  for p in "${pids[@]}"; do
    for f in /proc/"$p"/task/*/schedstat; do
      read -r a b _ 2>/dev/null <"$f" || continue
      ran=$((ran + a)) ready=$((ready + b))
    done
  done
  _counts="$ran $ready"
}

# The time in milliseconds.
_now_ms() {
  local t=${EPOCHREALTIME:-}
  if [ -n "$t" ]; then t=${t//[.,]/} && echo $((10#$t / 1000)); else date +%s%3N; fi
}

# end_from PID: the end of the program is timed from now (its counts too).
end_from() {
  _process_counts "$1"
  _end_before="$_counts"
  _end_start=$(_now_ms)
  _runnable_sum=0 _runnable_looks=0
}

# Adds the machine's runnable jobs now (less this shell) to _runnable_sum:
# threads that end during the quit take their counts with them, so the
# machine's own load is read beside the program's.
_look_at_machine() {
  local _a _b _c runnable _e
  read -r _a _b _c runnable _e 2>/dev/null </proc/loadavg || return
  runnable=${runnable%/*}
  _runnable_sum=$((_runnable_sum + (runnable > 0 ? runnable - 1 : 0)))
  _runnable_looks=$((_runnable_looks + 1))
}

# await_end PID [GUARD_S]: polls until the program has ended, at most GUARD_S
# seconds (10, times KR_TIME_SCALE) after end_from, and sets end_ms (the time
# it took), end_status (its exit status, where it is this shell's child) and
# end_slowness (the ratio, from 1 to 8, as of the last look before the end).
# Fails, the program killed, when it is still running.
await_end() {
  local pid="$1" guard_ms=$((${2:-10} * 1000 * ${KR_TIME_SCALE:-1})) last="$_end_before"
  local marked=""
  while kill -0 "$pid" 2>/dev/null; do
    [ $(($(_now_ms) - _end_start)) -gt "$guard_ms" ] && break
    # A quit asked through the desktop (keys, a menu) is timed from the
    # program's line that it quits (end_mark: a pattern of the file
    # end_mark_file), not from when xdotool began to send it.
    if [ -z "$marked" ] && [ -n "${end_mark:-}" ] && grep -q "$end_mark" "$end_mark_file" 2>/dev/null; then
      marked=1
      _end_start=$(_now_ms)
    fi
    _process_counts "$pid"
    _look_at_machine
    [ "$_counts" = "0 0" ] || last="$_counts"
    sleep 0.01
  done
  end_ms=$(($(_now_ms) - _end_start))
  local ran ready before_ran before_ready
  read -r before_ran before_ready <<<"$_end_before"
  read -r ran ready <<<"$last"
  end_slowness="$(awk -v ran="$((ran - before_ran))" -v ready="$((ready - before_ready))" \
    -v runnable="$_runnable_sum" -v looks="$_runnable_looks" -v cores="$(getconf _NPROCESSORS_ONLN)" 'BEGIN {
    if (ran < 1e6) ran = 1e6
    if (ready < 0) ready = 0
    s = (ran + ready) / ran
    # The machine as a whole: its runnable jobs for each of its cores.
    if (looks > 0 && cores > 0 && runnable / looks / cores > s) s = runnable / looks / cores
    if (s > 8) s = 8
    printf "%.2f", s }')"
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid" 2>/dev/null
    end_status=""
    return 1
  fi
  wait "$pid" 2>/dev/null
  end_status=$?
  return 0
}

# timed_end PID [SIGNAL] [GUARD_S]: sends the signal (TERM) and awaits the end.
timed_end() {
  end_from "$1"
  kill -"${2:-TERM}" "$1" 2>/dev/null
  await_end "$1" "${3:-10}"
}

# The bound that a quit of $1 ms fails at on this machine: four times it (the
# time also holds the X server's, the window manager's and xdotool's turns,
# which a busy machine delays past what the program's counts show; the test
# prints the figure), times KR_TIME_SCALE (builds slow by design) and times
# end_slowness.
scaled_limit() {
  awk -v base="$1" -v scale="${KR_TIME_SCALE:-1}" -v s="${end_slowness:-1}" \
    'BEGIN { printf "%d", 4 * base * scale * s }'
}
