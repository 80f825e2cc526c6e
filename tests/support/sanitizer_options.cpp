// Sanitizer settings built into every test program, so they hold however the tests are started
// (ctest, a debugger, by hand). The sanitizers read these before main().

extern "C" {

const char* __asan_default_options() {
    return "detect_leaks=1:abort_on_error=0:strict_string_checks=1";
}

const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

// Leaks of third-party libraries only; the list and its reasons are in the file.
const char* __lsan_default_options() {
    return "suppressions=" VEXLOR_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

}  // extern "C"
