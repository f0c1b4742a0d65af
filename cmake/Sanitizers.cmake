# Sanitizer and fuzzing builds, one configure line each (build them in their own trees):
#   -DTAV_SANITIZE=address   AddressSanitizer + UndefinedBehaviorSanitizer, stopping at the
#                            first report, plus libstdc++'s own bounds checks (an index past a
#                            vector's size but inside its capacity escapes ASan)
#   -DTAV_SANITIZE=thread    ThreadSanitizer; -DTAV_TSAN=ON is the older spelling
#   -DTAV_FUZZ=ON            clang only: every library instrumented for libFuzzer with ASan +
#                            UBSan and TAV_FUZZING defined, and the fuzz targets of fuzz/
# The flags reach every target, tests and tools included, so one tree is one kind of build.

if(TAV_TSAN)
    if(TAV_SANITIZE AND NOT TAV_SANITIZE STREQUAL "thread")
        message(FATAL_ERROR "TAV_TSAN=ON conflicts with TAV_SANITIZE=${TAV_SANITIZE}")
    endif()
    set(TAV_SANITIZE thread)
endif()

set(_tav_asan_flags -fsanitize=address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer -D_GLIBCXX_ASSERTIONS)

if(TAV_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "TAV_FUZZ needs clang (libFuzzer): configure with "
                            "-DCMAKE_CXX_COMPILER=clang++")
    endif()
    if(TAV_SANITIZE)
        message(FATAL_ERROR "TAV_FUZZ brings its own sanitizers; leave TAV_SANITIZE empty")
    endif()
    # The libraries get coverage instrumentation without libFuzzer's main; the targets in
    # fuzz/ link -fsanitize=fuzzer themselves.
    add_compile_options(-fsanitize=fuzzer-no-link ${_tav_asan_flags} -g)
    # The program's own consistency checks that only debug builds make otherwise.
    add_compile_definitions(TAV_FUZZING)
    add_link_options(-fsanitize=address,undefined)
elseif(TAV_SANITIZE STREQUAL "address")
    add_compile_options(${_tav_asan_flags} -g)
    add_link_options(-fsanitize=address,undefined)
elseif(TAV_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -g)
    add_link_options(-fsanitize=thread)
elseif(TAV_SANITIZE)
    message(FATAL_ERROR "TAV_SANITIZE must be address or thread, not '${TAV_SANITIZE}'")
endif()
