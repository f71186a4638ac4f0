/* The UCRT header with terminate() and its handler functions: Wine has them in <eh.h>. */
#pragma once
#include <eh.h>
