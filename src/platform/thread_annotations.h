// Clang's thread-safety annotations, which the clang-analysis build checks;
// no-ops for other compilers.
#ifndef ZORVAN_PLATFORM_THREAD_ANNOTATIONS_H
#define ZORVAN_PLATFORM_THREAD_ANNOTATIONS_H

#if defined(__clang__)
#define ZV_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define ZV_THREAD_ANNOTATION(x)
#endif
#define ZV_CAPABILITY(x) ZV_THREAD_ANNOTATION(capability(x))
#define ZV_SCOPED_CAPABILITY ZV_THREAD_ANNOTATION(scoped_lockable)
#define ZV_GUARDED_BY(x) ZV_THREAD_ANNOTATION(guarded_by(x))
#define ZV_ACQUIRE(...) ZV_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define ZV_RELEASE(...) ZV_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define ZV_REQUIRES(...) ZV_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define ZV_EXCLUDES(...) ZV_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))

#endif  // ZORVAN_PLATFORM_THREAD_ANNOTATIONS_H
