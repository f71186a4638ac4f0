/* Wine's <crtdbg.h> and the report-file names of the release runtime, where
 * the debug reports are no-ops. */
#pragma once
#include_next <crtdbg.h>
#ifndef _CRTDBG_FILE_STDERR
typedef void* _HFILE;
#define _CRTDBG_INVALID_HFILE ((_HFILE)(intptr_t)-1)
#define _CRTDBG_HFILE_ERROR ((_HFILE)(intptr_t)-2)
#define _CRTDBG_FILE_STDOUT ((_HFILE)(intptr_t)-4)
#define _CRTDBG_FILE_STDERR ((_HFILE)(intptr_t)-5)
#define _CRTDBG_REPORT_FILE ((_HFILE)(intptr_t)-6)
#endif
#ifndef _CRTDBG_MODE_FILE
#define _CRTDBG_MODE_FILE 0x1
#define _CRTDBG_MODE_DEBUG 0x2
#define _CRTDBG_MODE_WNDW 0x4
#define _CRTDBG_REPORT_MODE -1
#endif
#if !defined(_DEBUG) && !defined(_CrtSetReportFile)
#define _CrtSetReportFile(t, f) ((_HFILE)0)
#endif
