// Marks the plug-in's one export.
#ifndef ZORVAN_PLATFORM_EXPORT_H
#define ZORVAN_PLATFORM_EXPORT_H

#if defined(_WIN32)
#define ZV_EXPORT __declspec(dllexport)
#else
#define ZV_EXPORT __attribute__((visibility("default")))
#endif

#endif  // ZORVAN_PLATFORM_EXPORT_H
