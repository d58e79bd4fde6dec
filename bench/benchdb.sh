# Shared by the benchmark scripts (sourced from the repository's root): a
# private Firebird server on a free port with a demonstration office database,
# today's queue of called tickets and a history of past days.
#
# After bench_server: RUN (scratch folder, removed at exit), database,
# server_pid, and sql (runs isql on the office database, statements on stdin).

bench_server() {
  RUN=$(mktemp -d /tmp/monitor-bench.XXXXXX)
  trap bench_cleanup EXIT
  local p port=""
  for p in $(seq 3100 3199); do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then port=$p; break; fi
  done
  [ -n "$port" ] || { echo "no free port in 3100-3199" >&2; exit 1; }
  eval "$(PORT=$port scripts/fbserver start "$RUN/fb")"
  database=$(scripts/mkdb "$MONITOR_FB_DIR/bench" --server "$MONITOR_FB_HOST" --demo)
  database=${database#Database=}
  server_pid=$(cat "$RUN/fb/server.pid")
}

bench_cleanup() {
  if [ -n "${BENCH_CHILDREN:-}" ]; then
    stop_children $BENCH_CHILDREN
  fi
  scripts/fbserver stop "$RUN/fb" >/dev/null 2>&1 || true
  rm -rf "$RUN"
}

# Ends the processes this script started: politely, then for good after 5 s.
stop_children() {
  local pid
  kill "$@" 2>/dev/null || true
  for _ in $(seq 1 50); do
    for pid in "$@"; do kill -0 "$pid" 2>/dev/null && break; pid=""; done
    [ -z "$pid" ] && break
    sleep 0.1
  done
  kill -9 "$@" 2>/dev/null || true
  wait "$@" 2>/dev/null || true
}

sql() { ISC_USER= ISC_PASSWORD= isql-fb -q -b -user VARLO -password tarvumel "$database" >/dev/null; }

# Today's queue: 20 called tickets (the demonstration's two and 18 more).
bench_today() {
  sql <<'SQL'
SET TERM ^;
EXECUTE BLOCK AS
DECLARE I INTEGER = 0;
BEGIN
  WHILE (I < 18) DO BEGIN
    INSERT INTO ATEND_SENHA (CODATEND_SENHA, DATA_SENHA, SIGLA_SENHA, NUMERO_SENHA, PREFERENCIAL, STATUS,
                             CODATEND_TERM, CODATEND_TIPO)
      VALUES (NEXT VALUE FOR GEN_ATEND_SENHA, CURRENT_DATE, 'F', 10 + :I, MOD(:I, 4), 'A', 1 + MOD(:I, 2), 1);
    I = I + 1;
  END
END^
SET TERM ;^
COMMIT;
SQL
}

# The past days, 300 tickets a day, attended and finished, until the table
# holds $1 tickets.
grow_to() {
  sql <<SQL
SET TERM ^;
EXECUTE BLOCK AS
DECLARE I INTEGER;
DECLARE N INTEGER;
BEGIN
  SELECT COUNT(*) FROM ATEND_SENHA INTO :I;
  N = $1;
  WHILE (I < N) DO BEGIN
    INSERT INTO ATEND_SENHA (CODATEND_SENHA, DATA_SENHA, SIGLA_SENHA, NUMERO_SENHA, PREFERENCIAL, STATUS,
                             CODATEND_TERM, CODATEND_TIPO)
      VALUES (NEXT VALUE FOR GEN_ATEND_SENHA, CURRENT_DATE - 1 - :I / 300, 'F', MOD(:I, 300) + 1, 1, 'F',
              1 + MOD(:I, 2), 1);
    I = I + 1;
  END
END^
SET TERM ;^
COMMIT;
SQL
  sql <<'SQL' || true
SET STATISTICS INDEX IDX_ATEND_SENHA_DATA_STATUS;
COMMIT;
SQL
}

drop_index() { echo "DROP INDEX IDX_ATEND_SENHA_DATA_STATUS; COMMIT;" | sql; }
create_index() { echo "CREATE INDEX IDX_ATEND_SENHA_DATA_STATUS ON ATEND_SENHA (DATA_SENHA, STATUS); COMMIT;" | sql; }

# CPU time (user + system) of a process in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
