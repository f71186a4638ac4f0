/* The STL's sources spell <windows.h> as on a case-insensitive file system,
 * and use FILE_ID_INFO (with FILE_ID_128), which Wine 8's headers lack. */
#pragma once
#include <windows.h>
#ifndef _FILE_ID_INFO_DEFINED
#define _FILE_ID_INFO_DEFINED
typedef struct _FILE_ID_128 {
  BYTE Identifier[16];
} FILE_ID_128, *PFILE_ID_128;
typedef struct _FILE_ID_INFO {
  ULONGLONG VolumeSerialNumber;
  FILE_ID_128 FileId;
} FILE_ID_INFO, *PFILE_ID_INFO;
#endif
