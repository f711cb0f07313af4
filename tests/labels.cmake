# The labels of the suite's tests, read by CTest after the discovered tests (their names are in
# orvane_test_names):
#   slow     hostile servers, 16 MB pages, retry pauses, time-outs, shutdown, long runs
#   threads  what crosses threads: the ThreadSanitizer build runs exactly these
#   gui      the real window and its widgets
# `ctest -LE slow` is the quick run; CI runs everything.
cmake_policy(PUSH)
cmake_policy(VERSION 3.25) # CTest reads this file without the project's policies
set(suite "^([A-Za-z]+/)?")
set(orvane_label_patterns
  slow "${suite}(HostileRun|HostileMarkup|LinkFinderHardPages|ProgramShutdown|PoliteFetch|PageFetcherTimeOut|PageFetcherSizeCap|PageBudgetRun|CrashReportDeathTest)\\."
  slow "${suite}LinkTypes\\..*/(.*SixteenMiB.*|Million.*)$"
  slow "^RunWindow\\.(EachSiteGetsAtMostItsLimit|ASiteThatAsksForAPause)"
  threads "${suite}(CheckWorker[A-Za-z]*|PageBudgetRun|GuiBridge|PageFetcher[A-Za-z]*|PoliteFetch|TestHttpServer|RunWindow|ResultsList[A-Za-z]*|ProgramShutdown|Hostile[A-Za-z]*|LinkFinderConcurrency)\\."
  gui "${suite}(FocusRules|HostileRun|LinkStanding|MainWindow|Memo[A-Za-z]*|ProgramShutdown|ResultsList[A-Za-z]*|RunWindow|UnhandledError[A-Za-z]*|CrashReportDeathTest|VerdictBadges|WindowTexts|WindowControls|FieldEdits|LinkLabel)\\."
)
foreach(test IN LISTS orvane_test_names)
  set(labels "")
  set(patterns ${orvane_label_patterns})
  while(patterns)
    list(POP_FRONT patterns label pattern)
    if(test MATCHES "${pattern}" AND NOT label IN_LIST labels)
      list(APPEND labels ${label})
    endif()
  endwhile()
  if(labels)
    set_tests_properties("${test}" PROPERTIES LABELS "${labels}")
  endif()
endforeach()
cmake_policy(POP)
