// The system calls of the platform layer, simulated: included ahead of
// platform_posix.cpp when the explorer builds it, so the layer's own thread
// start, waits, locks, events, pauses and clock run on the scheduler's
// simulated threads in virtual time. Every header the layer uses is
// included first; the names below then refer to the simulated calls.
#ifndef ZORVAN_TESTS_INTERLEAVING_SIM_POSIX_H
#define ZORVAN_TESTS_INTERLEAVING_SIM_POSIX_H

#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <stdio.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace sim {

int mutexInit(pthread_mutex_t* mutex, const pthread_mutexattr_t* attributes);
int mutexDestroy(pthread_mutex_t* mutex);
int mutexLock(pthread_mutex_t* mutex);
int mutexUnlock(pthread_mutex_t* mutex);
int condInit(pthread_cond_t* condition, const pthread_condattr_t* attributes);
int condDestroy(pthread_cond_t* condition);
int condWait(pthread_cond_t* condition, pthread_mutex_t* mutex);
int condTimedWait(pthread_cond_t* condition, pthread_mutex_t* mutex, const timespec* deadline);
int condBroadcast(pthread_cond_t* condition);
int threadCreate(pthread_t* thread, const pthread_attr_t* attributes, void* (*routine)(void*),
                 void* argument);
int threadJoin(pthread_t thread, void** result);
int threadDetach(pthread_t thread);
int clockGetTime(clockid_t clock, timespec* now);
int sleepFor(const timespec* request, timespec* remaining);
long systemCall(long number, ...);
int addressInfo(const void* address, Dl_info* info);
void* openModule(const char* name, int flags);

}  // namespace sim

#define pthread_mutex_init sim::mutexInit
#define pthread_mutex_destroy sim::mutexDestroy
#define pthread_mutex_lock sim::mutexLock
#define pthread_mutex_unlock sim::mutexUnlock
#define pthread_cond_init sim::condInit
#define pthread_cond_destroy sim::condDestroy
#define pthread_cond_wait sim::condWait
#define pthread_cond_timedwait sim::condTimedWait
#define pthread_cond_broadcast sim::condBroadcast
#define pthread_create sim::threadCreate
#define pthread_join sim::threadJoin
#define pthread_detach sim::threadDetach
#define clock_gettime sim::clockGetTime
#define nanosleep sim::sleepFor
#define syscall sim::systemCall
#define dladdr sim::addressInfo
#define dlopen sim::openModule

#endif  // ZORVAN_TESTS_INTERLEAVING_SIM_POSIX_H
