# Fails when an object of the plug-in other than AtomicCount's POSIX side
# calls an atomic operation's run-time support: on ARMv5 every atomic
# read-modify-write (fetch_add, exchange, compare_exchange, ...) and every
# atomic wider than 32 bits becomes such a call (__sync_*_4, __atomic_*),
# which a Windows CE build would have to supply. They belong in AtomicCount,
# whose Win32 side uses the interlocked calls. Allowed anywhere: the barrier
# __sync_synchronize that acquire and release accesses call on ARMv5.
#   -DNM=<nm for the target> -DLIBRARY=<the plug-in's static library>
execute_process(COMMAND ${NM} -A -u ${LIBRARY} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(violations "")
foreach(line ${lines})
  # "library:object: U symbol"
  if(NOT line MATCHES ":([^:]+): +U (__(sync|atomic)_[A-Za-z0-9_]+)$")
    continue()
  endif()
  set(object ${CMAKE_MATCH_1})
  set(symbol ${CMAKE_MATCH_2})
  if(symbol STREQUAL "__sync_synchronize" OR object MATCHES "^atomic_count_posix\\.cpp\\.o(bj)?$")
    continue()
  endif()
  list(APPEND violations "${object} calls ${symbol}")
endforeach()
if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "atomic operations needing run-time support outside AtomicCount:\n  ${text}")
endif()
