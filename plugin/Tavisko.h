/* The plug-in's interface for hosts: open a session, hand over logs, run the correction wizard
 * modally, close the session. Call all four on the host's user-interface thread, in this order:
 * TVK_Initialize, any number of TVK_AddFile, TVK_Launch, TVK_Uninitialize. One launch per session:
 * to run the wizard again, close the session and open a new one.
 *
 * A host without a Qt application object may call them as they are: the library makes one for the
 * session and removes it at TVK_Uninitialize. A Qt host's own application object is used as it is. */
#ifndef TAVISKO_PLUGIN_H
#define TAVISKO_PLUGIN_H

#ifdef __cplusplus
extern "C" {
#else
#include <uchar.h>
#endif

#if defined(_WIN32)
#define TVK_API __declspec(dllexport)
#else
#define TVK_API __attribute__((visibility("default")))
#endif

/* 1 when the session is ready; 0 when the wizard cannot be created (no display, for instance). Called
 * again while the session is open it changes nothing: the files already added stay. */
TVK_API int TVK_Initialize(void);
/* Offers one log: a zero-terminated UTF-16 full path. 1 when accepted, 0 when refused (the log cannot
 * be corrected, there is no session, or the session has launched). A log that cannot be corrected is
 * not offered; the wizard names it and the reason when it opens. A path given twice is corrected
 * twice. */
TVK_API int TVK_AddFile(const char16_t* path);
/* Runs the wizard and returns when it has closed: 1; or 0 at once without a session or when the session
 * has already launched. Without files the wizard lists the logs of the "Site Data" folder for the user
 * to choose. */
TVK_API int TVK_Launch(void);
/* Closes the session. */
TVK_API void TVK_Uninitialize(void);

/* The exports' types, for hosts that resolve them at run time. */
typedef int (*TVK_InitializeFn)(void);
typedef int (*TVK_AddFileFn)(const char16_t*);
typedef int (*TVK_LaunchFn)(void);
typedef void (*TVK_UninitializeFn)(void);

#ifdef __cplusplus
}
#endif

#endif
