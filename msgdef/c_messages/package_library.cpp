// The C message library of one package: the generic functions, exported for
// every message type of the package named by MSGDEF_PACKAGE.
#include "c_message.hpp"
#include MSGDEF_PACKAGE_HEADER

#define MSGDEF_BIND_MESSAGE C_MESSAGES_BIND_MESSAGE
MSGDEF_CAT(MSGDEF_PACKAGE, __MESSAGES)(C_MESSAGES_DEFINE)
