/* Wine's <sal.h> and the source annotations it lacks that Microsoft's STL
 * uses: annotations only, empty for the compiler. */
#pragma once
#include_next <sal.h>
#ifndef _Analysis_assume_
#define _Analysis_assume_(expr)
#endif
#ifndef _Field_z_
#define _Field_z_
#endif
#ifndef _Guarded_by_
#define _Guarded_by_(lock)
#endif
#ifndef _Inout_bytecount_
#define _Inout_bytecount_(size)
#endif
#ifndef _Pre_satisfies_
#define _Pre_satisfies_(cond)
#endif
#ifndef _Maybenull_
#define _Maybenull_
#endif
#ifndef _Notnull_
#define _Notnull_
#endif
#ifndef _Use_decl_annotations_
#define _Use_decl_annotations_
#endif
#ifndef _Acquires_lock_
#define _Acquires_lock_(lock)
#endif
#ifndef _Releases_lock_
#define _Releases_lock_(lock)
#endif
#ifndef _Requires_lock_held_
#define _Requires_lock_held_(lock)
#endif
#ifndef _Interlocked_operand_
#define _Interlocked_operand_
#endif
