/* Wine's <signal.h> and sig_atomic_t, which the UCRT's declares. */
#pragma once
#include_next <signal.h>
#ifndef _SIG_ATOMIC_T_DEFINED
#define _SIG_ATOMIC_T_DEFINED
typedef int sig_atomic_t;
#endif
