// The Fast-CDR C serializer library of one package: the generic serializer,
// defined for every message type and service of the package named by MSGDEF_PACKAGE.
#include "fastcdr_c.hpp"
#include MSGDEF_PACKAGE_HEADER
#include "fastcdr_c_declarations.h"  // exported names of this package and of its dependencies

#define MSGDEF_BIND_MESSAGE FASTCDR_C_BIND_MESSAGE
MSGDEF_CAT(MSGDEF_PACKAGE, __MESSAGES)(FASTCDR_C_DEFINE)
MSGDEF_CAT(MSGDEF_PACKAGE, __SERVICES)(FASTCDR_C_DEFINE_SERVICE)
