# What the plug-in may not import, for check_module.sh and check_dll.sh
# (sourced, not run). Each function takes the imported names, one a line,
# and prints what is wrong and exits 1, or returns.

# fail_on_imports NAMES WHAT PATTERN
fail_on_imports() {
  found=$(echo "$1" | grep -E "$3" | tr '\n' ' ' || true)
  if [ -n "$found" ]; then
    echo "imported $2: $found"
    exit 1
  fi
}

# check_no_maths NAMES: the plug-in's sine is its own.
check_no_maths() {
  fail_on_imports "$1" "maths functions" '^(sin|cos|tan|sincos|exp|log|pow|fmod|remainder)[fl]?$'
}

# check_no_allocation_or_abort NAMES BUILD (release or debug): the plug-in
# allocates nothing, and a release build holds no debug assertion, so
# nothing that aborts. Only where the C runtime's own start-up code imports
# neither (not mingw's, whose DLL start-up imports abort, calloc and free).
check_no_allocation_or_abort() {
  fail_on_imports "$1" "allocation functions" \
    '^(malloc|calloc|realloc|free|aligned_alloc|posix_memalign|_Zn[wa][mj].*)$'
  if [ "$2" = release ]; then
    fail_on_imports "$1" "in a release build" '^(abort|__assert_fail|__assert_perror_fail|__assert)$'
  fi
}
