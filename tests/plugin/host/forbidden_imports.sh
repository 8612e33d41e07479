# What the plug-in may not import, for check_module.sh and check_dll.sh
# (sourced, not run). Its sine is its own, so no maths function; it
# allocates nothing; and a release build holds no debug assertion, so
# nothing that aborts.
# check_imports NAMES BUILD: NAMES one imported name a line, BUILD release or
# debug. Prints what is wrong and exits 1, or returns.
check_imports() {
  forbidden_maths='^(sin|cos|tan|sincos|exp|log|pow|fmod|remainder)[fl]?$'
  forbidden_allocation='^(malloc|calloc|realloc|free|aligned_alloc|posix_memalign|_aligned_malloc|_Zn[wa][mj].*)$'
  forbidden_in_release='^(abort|__assert_fail|__assert_perror_fail|__assert|_assert|_wassert)$'
  for rule in "maths functions:$forbidden_maths" "allocation functions:$forbidden_allocation" \
    "in a release build:$forbidden_in_release"; do
    what=${rule%%:*}
    pattern=${rule#*:}
    if [ "$what" = "in a release build" ] && [ "$2" != release ]; then continue; fi
    found=$(echo "$1" | grep -E "$pattern" | tr '\n' ' ' || true)
    if [ -n "$found" ]; then
      echo "imported $what: $found"
      exit 1
    fi
  done
}
