# Shared by the set-up scripts: run a command as one named step, its output kept in $steps_log.
# step TITLE COMMAND... prints TITLE, appends the command's whole output to the log and, when the
# command fails, prints the log's last lines and ends the script with the command's status.
steps_tail_lines=${LINEWELD_LOG_TAIL:-40}

step() {
    local title=$1
    shift
    echo "$title"
    printf '\n==> %s\n$ %s\n' "$title" "$*" >>"$steps_log"
    local status=0
    "$@" >>"$steps_log" 2>&1 </dev/null || status=$?
    if [ "$status" -ne 0 ]; then
        echo "Failed (exit status $status): $title"
        echo "---- last $steps_tail_lines lines of $steps_log ----"
        tail -n "$steps_tail_lines" "$steps_log"
        echo "---- the whole log: $steps_log ----"
        exit "$status"
    fi
}
