// Under ThreadSanitizer: libpulse is not instrumented, and the sanitizer cannot see the order its own
// locks and shared-memory ring buffers give to what its threads touch, so it reports races inside the
// library that are not ours. Races in our code are still reported.

#if defined(__SANITIZE_THREAD__)
extern "C" const char *__tsan_default_suppressions() {
    return "called_from_lib:libpulse.so\n"
           "called_from_lib:libpulse-simple.so\n"
           "called_from_lib:libpulsecommon\n"
           "race:libpulse\n"
           "race:libpulsecommon\n";
}
#endif
